<?xml version="1.0" encoding="windows-1252"?>
<!--
  The programming report a dealer hands to the customer with the radio.

  Reads the pre-transform product (pretransform.qzt): the report export of
  the codeplug plus CHANNEL_LIST. Every field element carries its display
  name in DISPLAY_NAME and its shown value as text.

  Texts are four-character tags between carets, filled in from the resource
  string file of the report's language before this stylesheet runs; the
  dealer tags take the registry's dealer blocks, whose line breaks arrive as
  escaped br elements and so are written out without escaping. No other
  caret may appear anywhere in this file.

  The library removes every "amp;" from the finished page, so this file
  writes no entity but those it must, and numeric references otherwise.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="windows-1252" indent="no"
              doctype-public="-//W3C//DTD HTML 4.01//EN"
              doctype-system="http://www.w3.org/TR/html4/strict.dtd"/>

  <xsl:variable name="blankSubstitute" select="'()?!$%'"/>
  <xsl:variable name="root" select="/TORVALE_CODEPLUG"/>
  <xsl:variable name="identity" select="$root/RRO/RI_BLOCK/ENTRY_INFO"/>
  <xsl:variable name="history" select="$root/RRW/TI_BLOCK/ENTRY_INFO"/>
  <!-- Items of more fields than this are shown as columns, not rows. -->
  <xsl:variable name="rowFieldLimit" select="6"/>
  <xsl:variable name="matrixColumns" select="8"/>
  <!-- The channel list's channels by number, for the scan lists' members. -->
  <xsl:key name="listedChannel" match="CHANNEL_LIST/ZONE/CHANNEL" use="@NUMBER"/>

  <!-- Text of a field as shown: blanks that the export hid are blanks again. -->
  <xsl:template name="restoreBlanks">
    <xsl:param name="text"/>
    <xsl:choose>
      <xsl:when test="contains($text, $blankSubstitute)">
        <xsl:value-of select="substring-before($text, $blankSubstitute)"/>
        <xsl:text> </xsl:text>
        <xsl:call-template name="restoreBlanks">
          <xsl:with-param name="text" select="substring-after($text, $blankSubstitute)"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="$text"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="*" mode="value">
    <xsl:call-template name="restoreBlanks">
      <xsl:with-param name="text" select="normalize-space(.)"/>
    </xsl:call-template>
  </xsl:template>

  <!-- Page -->

  <xsl:template match="/">
    <html lang="^LANG^">
      <head>
        <title>
          <xsl:text>^TITL^ </xsl:text>
          <xsl:value-of select="normalize-space($identity/RI_MODELNUM)"/>
          <xsl:text> </xsl:text>
          <xsl:value-of select="normalize-space($identity/RI_SERIALNUM)"/>
        </title>
        <style type="text/css">
          <xsl:call-template name="styleSheet"/>
        </style>
      </head>
      <body>
        <div class="sheet">
          <xsl:call-template name="dealerHeading"/>
          <xsl:call-template name="radioIdentity"/>
          <xsl:call-template name="channelList"/>
          <xsl:call-template name="zonesAndScanLists"/>
          <div class="section">
            <h2>^SCHN^</h2>
            <xsl:apply-templates select="$root/RRW/CP_BLOCK" mode="block"/>
          </div>
          <div class="section">
            <h2>^SSET^</h2>
            <xsl:apply-templates select="$root/RRW/RC_BLOCK | $root/RRW/DR_BLOCK | $root/RRW/AC_BLOCK | $root/RRW/CB_BLOCK"
                                 mode="block"/>
          </div>
          <div class="section">
            <h2>^SSIG^</h2>
            <xsl:apply-templates select="$root/RRW/SC_BLOCK | $root/RRW/MDC_BLOCK | $root/RRW/QC_BLOCK" mode="block"/>
          </div>
          <div class="section">
            <h2>^STEC^</h2>
            <xsl:apply-templates mode="block"
                                 select="$root/RRO/* | $root/RRW/*[not(self::CP_BLOCK or self::PA_BLOCK or self::SLI_BLOCK
                                         or self::RC_BLOCK or self::DR_BLOCK or self::AC_BLOCK or self::CB_BLOCK
                                         or self::SC_BLOCK or self::MDC_BLOCK or self::QC_BLOCK)]"/>
          </div>
          <p class="closing">^FOOT^</p>
        </div>
      </body>
    </html>
  </xsl:template>

  <xsl:template name="dealerHeading">
    <div class="dealer">
      <div class="dealer-left"><xsl:text disable-output-escaping="yes">^0002^</xsl:text></div>
      <div class="dealer-middle"><xsl:text disable-output-escaping="yes">^0004^</xsl:text></div>
      <div class="dealer-right"><xsl:text disable-output-escaping="yes">^0003^</xsl:text></div>
    </div>
  </xsl:template>

  <!-- The radio at a glance -->

  <xsl:template name="radioIdentity">
    <div class="title">
      <h1>^TITL^</h1>
      <p class="intro">^INTR^</p>
    </div>
    <div class="identity">
      <xsl:call-template name="fact">
        <xsl:with-param name="label">^MODL^</xsl:with-param>
        <xsl:with-param name="value" select="normalize-space($identity/RI_MODELNUM)"/>
        <xsl:with-param name="class" select="'fact major'"/>
      </xsl:call-template>
      <xsl:call-template name="fact">
        <xsl:with-param name="label">^SERN^</xsl:with-param>
        <xsl:with-param name="value" select="normalize-space($identity/RI_SERIALNUM)"/>
        <xsl:with-param name="class" select="'fact major'"/>
      </xsl:call-template>
      <xsl:call-template name="fact">
        <xsl:with-param name="label">^BAND^</xsl:with-param>
        <xsl:with-param name="value">
          <xsl:if test="normalize-space($identity/RI_BANDMINFREQ)">
            <xsl:call-template name="shortNumber">
              <xsl:with-param name="text" select="$identity/RI_BANDMINFREQ"/>
            </xsl:call-template>
            <xsl:text>&#8211;</xsl:text>
            <xsl:call-template name="shortNumber">
              <xsl:with-param name="text" select="$identity/RI_BANDMAXFREQ"/>
            </xsl:call-template>
            <xsl:text> MHz</xsl:text>
          </xsl:if>
        </xsl:with-param>
      </xsl:call-template>
      <xsl:call-template name="fact">
        <xsl:with-param name="label">^TXPR^</xsl:with-param>
        <xsl:with-param name="value">
          <xsl:if test="normalize-space($identity/RI_MAXTXPWR)">
            <xsl:value-of select="normalize-space($identity/RI_MINTXPWR)"/>
            <xsl:text>&#8211;</xsl:text>
            <xsl:value-of select="normalize-space($identity/RI_MAXTXPWR)"/>
            <xsl:text> W</xsl:text>
          </xsl:if>
        </xsl:with-param>
      </xsl:call-template>
      <xsl:call-template name="fact">
        <xsl:with-param name="label">^FIRM^</xsl:with-param>
        <xsl:with-param name="value" select="normalize-space($history/TI_FIRMVER)"/>
      </xsl:call-template>
      <xsl:call-template name="fact">
        <xsl:with-param name="label">^CPVR^</xsl:with-param>
        <xsl:with-param name="value" select="normalize-space($history/TI_LATCPVER)"/>
      </xsl:call-template>
      <xsl:call-template name="fact">
        <xsl:with-param name="label">^CPPN^</xsl:with-param>
        <xsl:with-param name="value" select="normalize-space($identity/RI_CPPARTNUM)"/>
      </xsl:call-template>
      <xsl:call-template name="fact">
        <xsl:with-param name="label">^PROG^</xsl:with-param>
        <xsl:with-param name="value" select="normalize-space(concat($history/TI_LATDATE, ' ', $history/TI_LATTIME))"/>
      </xsl:call-template>
      <xsl:call-template name="fact">
        <xsl:with-param name="label">^CHNS^</xsl:with-param>
        <xsl:with-param name="value" select="count($root/RRW/CP_BLOCK/ENTRY_DATA)"/>
      </xsl:call-template>
      <xsl:call-template name="fact">
        <xsl:with-param name="label">^ZONS^</xsl:with-param>
        <xsl:with-param name="value" select="count($root/RRW/PA_BLOCK/LIST_DATA)"/>
      </xsl:call-template>
      <xsl:call-template name="fact">
        <xsl:with-param name="label">^SCNS^</xsl:with-param>
        <xsl:with-param name="value" select="count($root/RRW/SLI_BLOCK/LIST_DATA)"/>
      </xsl:call-template>
      <xsl:call-template name="fact">
        <xsl:with-param name="label">^REGN^</xsl:with-param>
        <xsl:with-param name="value" select="normalize-space($identity/RI_REGINFO)"/>
      </xsl:call-template>
    </div>
  </xsl:template>

  <!-- 450.00000 as 450: trailing zeros go; a text that is no number stays as it is. -->
  <xsl:template name="shortNumber">
    <xsl:param name="text"/>
    <xsl:variable name="value" select="number(normalize-space($text))"/>
    <xsl:choose>
      <xsl:when test="$value = $value">
        <xsl:value-of select="format-number($value, '0.#####')"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="normalize-space($text)"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="fact">
    <xsl:param name="label"/>
    <xsl:param name="value"/>
    <xsl:param name="class" select="'fact'"/>
    <div class="{$class}">
      <div class="label"><xsl:value-of select="$label"/></div>
      <div class="value">
        <xsl:call-template name="restoreBlanks">
          <xsl:with-param name="text" select="string($value)"/>
        </xsl:call-template>
      </div>
    </div>
  </xsl:template>

  <!-- Channel list: every channel once, grouped by zone -->

  <xsl:template name="channelList">
    <div class="channels">
      <h2>^CHLS^</h2>
      <table class="grid channel-list">
        <thead>
          <tr>
            <th class="number">^CHNO^</th>
            <th>^NAME^</th>
            <th class="number">^RXFR^ <span class="unit">MHz</span></th>
            <th class="number">^TXFR^ <span class="unit">MHz</span></th>
            <th>^BWID^</th>
            <th>^POWR^</th>
            <th>^CODE^</th>
            <th>^SCNL^</th>
          </tr>
        </thead>
        <xsl:apply-templates select="$root/CHANNEL_LIST/ZONE" mode="channelList"/>
      </table>
    </div>
  </xsl:template>

  <xsl:template match="ZONE" mode="channelList">
    <tbody>
      <tr class="zone">
        <th colspan="8">
          <xsl:choose>
            <xsl:when test="@NUMBER">
              <span class="zone-number">^ZONE^ <xsl:value-of select="@NUMBER"/></span>
              <xsl:value-of select="@NAME"/>
            </xsl:when>
            <xsl:otherwise>^NOZN^</xsl:otherwise>
          </xsl:choose>
        </th>
      </tr>
      <xsl:apply-templates select="CHANNEL" mode="channelList"/>
    </tbody>
  </xsl:template>

  <xsl:template match="CHANNEL" mode="channelList">
    <tr>
      <td class="number"><xsl:value-of select="@NUMBER"/></td>
      <td class="alias"><xsl:apply-templates select="ALIAS" mode="value"/></td>
      <td class="number frequency"><xsl:apply-templates select="CP_RXFREQ" mode="value"/></td>
      <td class="number frequency">
        <xsl:if test="normalize-space(CP_TXFREQ) != normalize-space(CP_RXFREQ)">
          <xsl:attribute name="class">number frequency offset</xsl:attribute>
        </xsl:if>
        <xsl:apply-templates select="CP_TXFREQ" mode="value"/>
      </td>
      <td>
        <xsl:choose>
          <xsl:when test="normalize-space(CP_CHBWSEL) = '0'">12.5 kHz</xsl:when>
          <xsl:when test="normalize-space(CP_CHBWSEL) = '1'">25 kHz</xsl:when>
          <xsl:otherwise><xsl:apply-templates select="CP_CHBWSEL" mode="value"/></xsl:otherwise>
        </xsl:choose>
      </td>
      <td>
        <xsl:choose>
          <xsl:when test="normalize-space(CP_TXPWRLEVSEL) = '0'">^LOWP^</xsl:when>
          <xsl:when test="normalize-space(CP_TXPWRLEVSEL) = '1'">^HIGP^</xsl:when>
          <xsl:otherwise><xsl:apply-templates select="CP_TXPWRLEVSEL" mode="value"/></xsl:otherwise>
        </xsl:choose>
      </td>
      <td class="code">
        <xsl:if test="CP_RXFREQ">
          <xsl:variable name="transmit">
            <xsl:call-template name="squelchCode">
              <xsl:with-param name="tone" select="CP_TXENCDATA_TPL"/>
              <xsl:with-param name="code" select="CP_TXENCDATA_DPL"/>
            </xsl:call-template>
          </xsl:variable>
          <xsl:variable name="receive">
            <xsl:call-template name="squelchCode">
              <xsl:with-param name="tone" select="CP_RXDECDATA_TPL"/>
              <xsl:with-param name="code" select="CP_RXDECDATA_DPL"/>
            </xsl:call-template>
          </xsl:variable>
          <xsl:value-of select="$transmit"/>
          <xsl:if test="string($transmit) != string($receive)">
            <xsl:text> / </xsl:text>
            <xsl:value-of select="$receive"/>
          </xsl:if>
        </xsl:if>
      </td>
      <td><xsl:value-of select="@SCAN_LIST"/></td>
    </tr>
  </xsl:template>

  <!-- A tone in hertz, a digital code as D and its three digits, else carrier squelch. -->
  <xsl:template name="squelchCode">
    <xsl:param name="tone"/>
    <xsl:param name="code"/>
    <xsl:choose>
      <xsl:when test="normalize-space($tone)">
        <xsl:value-of select="normalize-space($tone)"/>
        <xsl:text> Hz</xsl:text>
      </xsl:when>
      <xsl:when test="normalize-space($code)">
        <xsl:text>D</xsl:text>
        <xsl:value-of select="normalize-space($code)"/>
      </xsl:when>
      <xsl:otherwise>^CARR^</xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Zones and scan lists -->

  <xsl:template name="zonesAndScanLists">
    <div class="section">
      <h2>^SZSL^</h2>
      <div class="block">
        <h3>^HPA_^</h3>
        <table class="grid">
          <thead>
            <tr>
              <th class="number">^CHNO^</th>
              <th>^ZONE^</th>
              <th>^CHNS^</th>
            </tr>
          </thead>
          <tbody>
            <xsl:for-each select="$root/CHANNEL_LIST/ZONE[@NUMBER]">
              <tr>
                <td class="number"><xsl:value-of select="@NUMBER"/></td>
                <td class="alias"><xsl:value-of select="@NAME"/></td>
                <td>
                  <xsl:for-each select="CHANNEL">
                    <xsl:if test="position() > 1">, </xsl:if>
                    <xsl:value-of select="@NUMBER"/>
                  </xsl:for-each>
                </td>
              </tr>
            </xsl:for-each>
          </tbody>
        </table>
      </div>
      <xsl:for-each select="$root/RRW/SLI_BLOCK">
        <div class="block">
          <h3>^HSLI^</h3>
          <xsl:call-template name="settingsTable">
            <xsl:with-param name="fields" select="LIST_INFO/*"/>
          </xsl:call-template>
          <xsl:for-each select="LIST_DATA">
            <div class="scan-list">
              <h4>
                <xsl:choose>
                  <xsl:when test="normalize-space(ENTRY_INFO/ALIAS)">
                    <xsl:apply-templates select="ENTRY_INFO/ALIAS" mode="value"/>
                  </xsl:when>
                  <xsl:otherwise>^SCNL^ <xsl:value-of select="position()"/></xsl:otherwise>
                </xsl:choose>
              </h4>
              <div class="pair">
                <xsl:call-template name="keyValueTable">
                  <xsl:with-param name="fields" select="ENTRY_INFO/*[not(self::ALIAS)]"/>
                </xsl:call-template>
                <table class="grid members">
                  <thead>
                    <tr>
                      <th class="number">^CHNO^</th>
                      <th>^MEMB^</th>
                    </tr>
                  </thead>
                  <tbody>
                    <xsl:apply-templates select="ENTRY_DATA" mode="scanListMember"/>
                  </tbody>
                </table>
              </div>
            </div>
          </xsl:for-each>
        </div>
      </xsl:for-each>
    </div>
  </xsl:template>

  <xsl:template match="ENTRY_DATA" mode="scanListMember">
    <xsl:variable name="number" select="number(normalize-space(SM_PERSINDEX)) + 1"/>
    <xsl:variable name="channel" select="key('listedChannel', $number)"/>
    <tr>
      <xsl:choose>
        <xsl:when test="normalize-space(SM_PERSTYPE) = '0' and $channel">
          <td class="number"><xsl:value-of select="$number"/></td>
          <td class="alias"><xsl:apply-templates select="$channel[1]/ALIAS" mode="value"/></td>
        </xsl:when>
        <xsl:otherwise>
          <td class="number"><xsl:apply-templates select="SM_PERSINDEX" mode="value"/></td>
          <td>
            <xsl:for-each select="*">
              <xsl:if test="position() > 1">; </xsl:if>
              <xsl:value-of select="@DISPLAY_NAME"/>
              <xsl:text>: </xsl:text>
              <xsl:apply-templates select="." mode="value"/>
            </xsl:for-each>
          </td>
        </xsl:otherwise>
      </xsl:choose>
    </tr>
  </xsl:template>

  <!-- Any block: its fields as a table of display names and values -->

  <xsl:template match="*" mode="block">
    <div class="block">
      <h3><xsl:apply-templates select="." mode="title"/></h3>
      <xsl:choose>
        <xsl:when test="LIST_INFO | LIST_DATA">
          <xsl:call-template name="settingsTable">
            <xsl:with-param name="fields" select="LIST_INFO/*"/>
          </xsl:call-template>
          <xsl:for-each select="LIST_DATA">
            <h4><xsl:call-template name="entryNumber"/></h4>
            <xsl:call-template name="entryContent"/>
          </xsl:for-each>
        </xsl:when>
        <xsl:when test="ENTRY_INFO | ENTRY_DATA">
          <xsl:call-template name="entryContent"/>
        </xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="settingsTable">
            <xsl:with-param name="fields" select="*"/>
          </xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
    </div>
  </xsl:template>

  <xsl:template name="entryNumber">
    <xsl:text>^ENTR^ </xsl:text>
    <xsl:value-of select="position()"/>
  </xsl:template>

  <!-- The info part, then the items: as rows when they have few fields, else side by side. -->
  <xsl:template name="entryContent">
    <xsl:call-template name="settingsTable">
      <xsl:with-param name="fields" select="ENTRY_INFO/*"/>
    </xsl:call-template>
    <xsl:variable name="items" select="ENTRY_DATA"/>
    <xsl:choose>
      <xsl:when test="not($items)"/>
      <xsl:when test="count($items[1]/*) &lt;= $rowFieldLimit">
        <xsl:call-template name="itemRows">
          <xsl:with-param name="items" select="$items"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:for-each select="$items[position() mod $matrixColumns = 1]">
          <xsl:call-template name="itemColumns">
            <xsl:with-param name="items" select=". | following-sibling::ENTRY_DATA[position() &lt; $matrixColumns]"/>
            <xsl:with-param name="first" select="(position() - 1) * $matrixColumns + 1"/>
          </xsl:call-template>
        </xsl:for-each>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="settingsTable">
    <xsl:param name="fields"/>
    <xsl:variable name="count" select="count($fields)"/>
    <xsl:choose>
      <xsl:when test="$count = 0"/>
      <xsl:when test="$count > 10">
        <xsl:variable name="half" select="ceiling($count div 2)"/>
        <div class="pair">
          <xsl:call-template name="keyValueTable">
            <xsl:with-param name="fields" select="$fields[position() &lt;= $half]"/>
          </xsl:call-template>
          <xsl:call-template name="keyValueTable">
            <xsl:with-param name="fields" select="$fields[position() > $half]"/>
          </xsl:call-template>
        </div>
      </xsl:when>
      <xsl:otherwise>
        <div class="single">
          <xsl:call-template name="keyValueTable">
            <xsl:with-param name="fields" select="$fields"/>
          </xsl:call-template>
        </div>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="keyValueTable">
    <xsl:param name="fields"/>
    <table class="grid settings">
      <thead>
        <tr>
          <th>^SETG^</th>
          <th>^VALU^</th>
        </tr>
      </thead>
      <tbody>
        <xsl:for-each select="$fields">
          <tr>
            <th><xsl:value-of select="@DISPLAY_NAME"/></th>
            <td><xsl:apply-templates select="." mode="value"/></td>
          </tr>
        </xsl:for-each>
      </tbody>
    </table>
  </xsl:template>

  <xsl:template name="itemRows">
    <xsl:param name="items"/>
    <table class="grid items">
      <thead>
        <tr>
          <th class="number">^CHNO^</th>
          <xsl:for-each select="$items[1]/*">
            <th><xsl:value-of select="@DISPLAY_NAME"/></th>
          </xsl:for-each>
        </tr>
      </thead>
      <tbody>
        <xsl:for-each select="$items">
          <tr>
            <td class="number"><xsl:value-of select="position()"/></td>
            <xsl:for-each select="*">
              <td><xsl:apply-templates select="." mode="value"/></td>
            </xsl:for-each>
          </tr>
        </xsl:for-each>
      </tbody>
    </table>
  </xsl:template>

  <!-- Fields down the side, one column per item; a field is matched by its element name. -->
  <xsl:template name="itemColumns">
    <xsl:param name="items"/>
    <xsl:param name="first"/>
    <table class="grid matrix">
      <thead>
        <tr>
          <th>^SETG^</th>
          <xsl:for-each select="$items">
            <th class="number">
              <xsl:value-of select="$first + position() - 1"/>
              <xsl:if test="ALIAS">
                <span class="item-alias"><xsl:apply-templates select="ALIAS" mode="value"/></span>
              </xsl:if>
            </th>
          </xsl:for-each>
        </tr>
      </thead>
      <tbody>
        <!-- An alias names its item in the column head. -->
        <xsl:for-each select="$items[1]/*[not(self::ALIAS)]">
          <xsl:variable name="field" select="name()"/>
          <tr>
            <th><xsl:value-of select="@DISPLAY_NAME"/></th>
            <xsl:for-each select="$items">
              <td><xsl:apply-templates select="*[name() = $field][1]" mode="value"/></td>
            </xsl:for-each>
          </tr>
        </xsl:for-each>
      </tbody>
    </table>
  </xsl:template>

  <!-- Block titles -->

  <xsl:template match="*" mode="title"><xsl:value-of select="name()"/></xsl:template>
  <xsl:template match="MDF_BLOCK" mode="title">^HMDF^</xsl:template>
  <xsl:template match="RI_BLOCK" mode="title">^HRI_^</xsl:template>
  <xsl:template match="RRW_BLOCK" mode="title">^HRRW^</xsl:template>
  <xsl:template match="TC_BLOCK" mode="title">^HTC_^</xsl:template>
  <xsl:template match="VECT_BLOCK" mode="title">^HVEC^</xsl:template>
  <xsl:template match="TI_BLOCK" mode="title">^HTI_^</xsl:template>
  <xsl:template match="RC_BLOCK" mode="title">^HRC_^</xsl:template>
  <xsl:template match="DR_BLOCK" mode="title">^HDR_^</xsl:template>
  <xsl:template match="AC_BLOCK" mode="title">^HAC_^</xsl:template>
  <xsl:template match="CB_BLOCK" mode="title">^HCB_^</xsl:template>
  <xsl:template match="SC_BLOCK" mode="title">^HSC_^</xsl:template>
  <xsl:template match="MDC_BLOCK" mode="title">^HMDC^</xsl:template>
  <xsl:template match="QC_BLOCK" mode="title">^HQC_^</xsl:template>
  <xsl:template match="CP_BLOCK" mode="title">^HCP_^</xsl:template>
  <xsl:template match="PA_BLOCK" mode="title">^HPA_^</xsl:template>
  <xsl:template match="SLI_BLOCK" mode="title">^HSLI^</xsl:template>

  <!-- Style: one A4 sheet on screen, A4 pages in print -->

  <xsl:template name="styleSheet">
@page {
  size: A4;
  margin: 16mm 15mm 18mm 15mm;
  @bottom-left { content: "^TITL^"; font: 7.5pt "Liberation Sans", Arial, sans-serif; color: #6b7785; }
  @bottom-right { content: "^PAGE^ " counter(page) " ^PGOF^ " counter(pages); font: 7.5pt "Liberation Sans", Arial, sans-serif; color: #6b7785; }
}
html { background: #dfe3e8; }
body {
  margin: 0;
  font-family: "Segoe UI", "Helvetica Neue", Arial, "Liberation Sans", "DejaVu Sans", sans-serif;
  font-size: 9.5pt;
  line-height: 1.4;
  color: #1c2733;
}
.sheet {
  box-sizing: border-box;
  width: 210mm;
  margin: 10mm auto;
  padding: 14mm 15mm 16mm;
  background: #fff;
  box-shadow: 0 1px 4px rgba(0, 0, 0, 0.18);
}
h1, h2, h3, h4 { font-weight: 600; color: #143d66; break-after: avoid; page-break-after: avoid; }
h1 { font-size: 20pt; margin: 0 0 1mm; letter-spacing: -0.01em; }
h2 { font-size: 13pt; margin: 0 0 3mm; padding-bottom: 1.5mm; border-bottom: 1.5pt solid #143d66; }
h3 { font-size: 10.5pt; margin: 6mm 0 2mm; }
h4 { font-size: 9.5pt; margin: 4mm 0 1.5mm; color: #2b4a69; }

.dealer {
  display: grid;
  grid-template-columns: 1.3fr 1fr 1fr;
  column-gap: 8mm;
  padding-bottom: 4mm;
  border-bottom: 3pt solid #143d66;
  font-size: 8.5pt;
  color: #3b4754;
}
.dealer-left::first-line { font-size: 12pt; font-weight: 700; color: #143d66; }
.dealer-middle, .dealer-right { padding-top: 1mm; }
.dealer-middle { text-align: center; }
.dealer-right { text-align: right; }

.title { margin: 8mm 0 5mm; }
.intro { margin: 0; color: #4d5a67; }

.identity {
  display: grid;
  grid-template-columns: repeat(4, 1fr);
  gap: 0;
  margin-bottom: 8mm;
  border: 0.75pt solid #c9d1da;
  border-radius: 2mm;
  background: #f5f7fa;
  break-inside: avoid;
}
.fact { padding: 2.2mm 3mm; border-top: 0.75pt solid #dde3ea; }
.fact:nth-child(-n+4) { border-top: none; }
.fact .label { font-size: 7pt; text-transform: uppercase; letter-spacing: 0.06em; color: #66727f; }
.fact .value { font-size: 10pt; font-weight: 600; min-height: 1.4em; }
.fact.major .value { font-size: 12.5pt; color: #143d66; }

table { border-collapse: collapse; width: 100%; font-variant-numeric: tabular-nums; }
.grid th, .grid td { padding: 1.1mm 2mm; text-align: left; vertical-align: top; border-bottom: 0.5pt solid #dde3ea; }
.grid thead th {
  font-size: 7.5pt;
  font-weight: 600;
  text-transform: uppercase;
  letter-spacing: 0.04em;
  color: #52606d;
  background: #eef2f6;
  border-bottom: 1pt solid #9fb0c2;
}
.grid tbody th { font-weight: normal; color: #3b4754; }
.grid tbody tr:nth-child(even) td, .grid tbody tr:nth-child(even) th { background: #fafbfc; }
.grid .number { text-align: right; white-space: nowrap; }
.grid td:empty::after { content: "\2013"; color: #a7b1bb; }
.unit { text-transform: none; font-weight: normal; }
thead { display: table-header-group; }
tr { break-inside: avoid; page-break-inside: avoid; }

.channel-list td { white-space: nowrap; }
.channel-list td.alias { font-weight: 600; white-space: normal; }
.channel-list .frequency { font-family: "DejaVu Sans Mono", "Liberation Mono", Consolas, monospace; font-size: 8.5pt; }
.channel-list .offset { color: #8a4b08; }
.channel-list tr.zone th {
  padding-top: 2.5mm;
  font-size: 9.5pt;
  font-weight: 600;
  color: #143d66;
  background: #fff;
  border-bottom: 1pt solid #143d66;
}
.zone-number {
  display: inline-block;
  margin-right: 2.5mm;
  padding: 0 1.8mm;
  border-radius: 1mm;
  font-size: 7.5pt;
  letter-spacing: 0.04em;
  text-transform: uppercase;
  color: #fff;
  background: #143d66;
}

.section { margin-top: 10mm; }
.block { margin-bottom: 4mm; }
.pair { display: grid; grid-template-columns: 1fr 1fr; column-gap: 6mm; align-items: start; }
.single { width: calc(50% - 3mm); }
.settings tbody th { width: 68%; }
.matrix { margin: 3mm 0; font-size: 8pt; table-layout: fixed; }
.matrix thead th:first-child { width: 24%; }
.matrix td, .matrix thead th.number { padding-left: 0.6mm; padding-right: 0.6mm; }
.matrix td { text-align: center; }
.matrix thead th.number { text-align: center; vertical-align: bottom; }
.item-alias { display: block; white-space: normal; margin-top: 0.5mm; font-size: 7pt; font-weight: 600; line-height: 1.2; text-transform: none; letter-spacing: 0; color: #143d66; }
.items { margin-bottom: 2mm; }
.members td.alias { font-weight: 600; }
.scan-list { break-inside: avoid; }
.closing { margin: 10mm 0 0; padding-top: 3mm; border-top: 0.75pt solid #c9d1da; font-size: 8pt; color: #66727f; }

@media print {
  html { background: none; }
  body { font-size: 9pt; }
  .sheet { width: auto; margin: 0; padding: 0; box-shadow: none; }
  .section { margin-top: 0; break-before: page; page-break-before: always; }
  .identity, .grid thead th, .zone-number { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
}
  </xsl:template>
</xsl:stylesheet>
