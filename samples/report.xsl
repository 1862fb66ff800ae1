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

  <xsl:template match="*" mode="value" name="storedValue">
    <xsl:call-template name="restoreBlanks">
      <xsl:with-param name="text" select="normalize-space(.)"/>
    </xsl:call-template>
  </xsl:template>

  <!-- Coded values of a channel as words (samples/README.md lists them). The
       data keeps its codes; a code beyond the list shows as it is stored. -->

  <xsl:template match="CP_CHBWSEL" mode="value">
    <xsl:choose>
      <xsl:when test="normalize-space(.) = '0'">12.5 kHz</xsl:when>
      <xsl:when test="normalize-space(.) = '1'">25 kHz</xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="CP_TXPWRLEVSEL" mode="value">
    <xsl:choose>
      <xsl:when test="normalize-space(.) = '0'">^LOWP^</xsl:when>
      <xsl:when test="normalize-space(.) = '1'">^HIGP^</xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="CP_TXSQCODESEL | CP_RXSQCODESEL" mode="value">
    <xsl:choose>
      <xsl:when test="normalize-space(.) = '0'">^CARR^</xsl:when>
      <xsl:when test="normalize-space(.) = '1'">^SQTN^</xsl:when>
      <xsl:when test="normalize-space(.) = '2'">^SQDC^</xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="CP_TXSIGTYPE | CP_RXSIGTYPE" mode="value">
    <xsl:choose>
      <xsl:when test="normalize-space(.) = '0'">^SGNO^</xsl:when>
      <xsl:when test="normalize-space(.) = '1'">MDC</xsl:when>
      <xsl:when test="normalize-space(.) = '2'">Quik-Call</xsl:when>
      <xsl:when test="normalize-space(.) = '3'">DTMF</xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Signalling systems are counted from 0 in the data, from 1 on paper. -->
  <xsl:template match="CP_TXSIGINDEX | CP_RXSIGINDEX" mode="value">
    <xsl:choose>
      <xsl:when test="normalize-space(.) = '0' or normalize-space(.) = '1'">
        <xsl:text>^SYST^ </xsl:text>
        <xsl:value-of select="normalize-space(.) + 1"/>
      </xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="CP_BUSYCHLKOUT | CP_EMPSEL | CP_COMPANDINGST | CP_NONSTDREVBURST" mode="value">
    <xsl:choose>
      <xsl:when test="normalize-space(.) = '0'">^OFF_^</xsl:when>
      <xsl:when test="normalize-space(.) = '1'">^ON__^</xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Hertz as kilohertz: 2500 as 2.5 kHz. -->
  <xsl:template match="CP_TXDEV" mode="value">
    <xsl:variable name="hertz" select="number(normalize-space(.))"/>
    <xsl:choose>
      <xsl:when test="$hertz = $hertz">
        <xsl:value-of select="format-number($hertz div 1000, '0.##')"/>
        <xsl:text> kHz</xsl:text>
      </xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Seconds; 0 turns the timer off. -->
  <xsl:template match="CP_TOT" mode="value">
    <xsl:variable name="seconds" select="number(normalize-space(.))"/>
    <xsl:choose>
      <xsl:when test="$seconds = 0">^OFF_^</xsl:when>
      <xsl:when test="$seconds = $seconds">
        <xsl:value-of select="$seconds"/>
        <xsl:text> s</xsl:text>
      </xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Coded values of a scan list. -->

  <xsl:template match="SLI_PLSCANTYPE" mode="value">
    <xsl:choose>
      <xsl:when test="normalize-space(.) = '0'">^OFF_^</xsl:when>
      <xsl:when test="normalize-space(.) = '1'">^SQTN^</xsl:when>
      <xsl:when test="normalize-space(.) = '2'">^SQDC^</xsl:when>
      <xsl:when test="normalize-space(.) = '3'">^SQAN^</xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="SLI_HSSCANTYPE" mode="value">
    <xsl:choose>
      <xsl:when test="normalize-space(.) = '0'">^OFF_^</xsl:when>
      <xsl:when test="normalize-space(.) = '1'">^HSNO^</xsl:when>
      <xsl:when test="normalize-space(.) = '2'">^HSFA^</xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="SLI_DESTXPERSTYPE" mode="value">
    <xsl:choose>
      <xsl:when test="normalize-space(.) = '0'">^DTSE^</xsl:when>
      <xsl:when test="normalize-space(.) = '1'">^DTLL^</xsl:when>
      <xsl:when test="normalize-space(.) = '2'">^DTDE^</xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The designated channel by its number and name, counted from 0 in the data. -->
  <xsl:template match="SLI_DESTXPERSINDEX" mode="value">
    <xsl:variable name="number" select="number(normalize-space(.)) + 1"/>
    <xsl:variable name="channel" select="key('listedChannel', $number)"/>
    <xsl:choose>
      <xsl:when test="$channel">
        <xsl:value-of select="$number"/>
        <xsl:text> </xsl:text>
        <xsl:apply-templates select="$channel[1]/ALIAS" mode="value"/>
      </xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Seconds, 0 for off; the priority sample time counts quarter seconds. -->
  <xsl:template match="SLI_TALKBACK | SLI_SIGHOLDTIME | SLI_LTRSCANACTSRCHTIME | SLI_PRISAMPTIME" mode="value">
    <xsl:variable name="count" select="number(normalize-space(.))"/>
    <xsl:choose>
      <xsl:when test="$count = 0">^OFF_^</xsl:when>
      <xsl:when test="$count = $count and self::SLI_PRISAMPTIME">
        <xsl:value-of select="format-number($count * 0.25, '0.##')"/>
        <xsl:text> s</xsl:text>
      </xsl:when>
      <xsl:when test="$count = $count">
        <xsl:value-of select="$count"/>
        <xsl:text> s</xsl:text>
      </xsl:when>
      <xsl:otherwise><xsl:call-template name="storedValue"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The pre-transform names the scan list beside its index. -->
  <xsl:template match="CP_SCANLISTINDEX[@SCAN_LIST]" mode="value">
    <xsl:value-of select="@SCAN_LIST"/>
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
          <xsl:call-template name="contents"/>
          <xsl:call-template name="channelList"/>
          <xsl:call-template name="zonesAndScanLists"/>
          <div class="section" id="channel-settings">
            <h2>^SCHN^</h2>
            <xsl:apply-templates select="$root/RRW/CP_BLOCK" mode="block"/>
          </div>
          <div class="section" id="radio-settings">
            <h2>^SSET^</h2>
            <xsl:apply-templates select="$root/RRW/RC_BLOCK | $root/RRW/DR_BLOCK | $root/RRW/AC_BLOCK | $root/RRW/CB_BLOCK"
                                 mode="block"/>
          </div>
          <div class="section" id="signalling">
            <h2>^SSIG^</h2>
            <xsl:apply-templates select="$root/RRW/SC_BLOCK | $root/RRW/MDC_BLOCK | $root/RRW/QC_BLOCK" mode="block"/>
          </div>
          <div class="section" id="technical-data">
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

  <!-- Contents: a link to each section. Chromium prints no page numbers of
       links (it has no target-counter()), so the list names the sections only. -->
  <xsl:template name="contents">
    <div class="contents">
      <h2>^CONT^</h2>
      <ol>
        <li><a href="#channel-list">^CHLS^</a></li>
        <li><a href="#zones-and-scan-lists">^SZSL^</a></li>
        <li><a href="#channel-settings">^SCHN^</a></li>
        <li><a href="#radio-settings">^SSET^</a></li>
        <li><a href="#signalling">^SSIG^</a></li>
        <li><a href="#technical-data">^STEC^</a></li>
      </ol>
    </div>
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
    <div class="channels" id="channel-list">
      <h2>^CHLS^</h2>
      <xsl:if test="not($root/CHANNEL_LIST/ZONE/CHANNEL)">
        <p class="empty">^NOCH^</p>
      </xsl:if>
      <xsl:if test="$root/CHANNEL_LIST/ZONE/CHANNEL">
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
      </xsl:if>
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
        <xsl:apply-templates select="CP_CHBWSEL" mode="value"/>
      </td>
      <td>
        <xsl:apply-templates select="CP_TXPWRLEVSEL" mode="value"/>
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
    <div class="section" id="zones-and-scan-lists">
      <h2>^SZSL^</h2>
      <div class="block">
        <h3>^HPA_^</h3>
        <xsl:if test="not($root/CHANNEL_LIST/ZONE[@NUMBER])">
          <p class="empty">^NOZO^</p>
        </xsl:if>
        <xsl:if test="$root/CHANNEL_LIST/ZONE[@NUMBER]">
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
        </xsl:if>
      </div>
      <xsl:for-each select="$root/RRW/SLI_BLOCK">
        <div class="block">
          <h3>^HSLI^</h3>
          <xsl:call-template name="settingsTable">
            <xsl:with-param name="fields" select="LIST_INFO/*"/>
          </xsl:call-template>
          <xsl:if test="not(LIST_DATA)">
            <p class="empty">^NOSL^</p>
          </xsl:if>
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

  <!-- CSS strings. A text written into a CSS string (the running head and
       foot of printed pages) is CSS-escaped: the processor writes a character
       beyond ASCII in a style sheet as a character reference, which CSS does
       not read. Letters, digits and a few marks stay as they are; any other
       character of the tables below is written as the CSS escape of its
       code, found by its place from the table's first character; one beyond
       them as U+FFFD. -->
  <xsl:variable name="cssPlain" select="'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -.,:/()#+'"/>
  <!-- U+0020 to U+007E -->
  <xsl:variable name="cssTable1" select="concat('&#32;&#33;&#34;&#35;&#36;&#37;&#38;',
                &quot;&#39;&quot;,
                '&#40;&#41;&#42;&#43;&#44;&#45;&#46;&#47;&#48;&#49;&#50;&#51;&#52;&#53;&#54;&#55;&#56;',
                '&#57;&#58;&#59;&#60;&#61;&#62;&#63;&#64;&#65;&#66;&#67;&#68;&#69;&#70;&#71;&#72;&#73;',
                '&#74;&#75;&#76;&#77;&#78;&#79;&#80;&#81;&#82;&#83;&#84;&#85;&#86;&#87;&#88;&#89;&#90;',
                '&#91;&#92;&#93;&#94;&#95;&#96;&#97;&#98;&#99;&#100;&#101;&#102;&#103;&#104;&#105;&#106;',
                '&#107;&#108;&#109;&#110;&#111;&#112;&#113;&#114;&#115;&#116;&#117;&#118;&#119;&#120;',
                '&#121;&#122;&#123;&#124;&#125;&#126;')"/>
  <!-- U+00A0 to U+024F -->
  <xsl:variable name="cssTable2" select="concat('&#160;&#161;&#162;&#163;&#164;&#165;&#166;&#167;&#168;&#169;&#170;&#171;&#172;&#173;',
                '&#174;&#175;&#176;&#177;&#178;&#179;&#180;&#181;&#182;&#183;&#184;&#185;&#186;&#187;',
                '&#188;&#189;&#190;&#191;&#192;&#193;&#194;&#195;&#196;&#197;&#198;&#199;&#200;&#201;',
                '&#202;&#203;&#204;&#205;&#206;&#207;&#208;&#209;&#210;&#211;&#212;&#213;&#214;&#215;',
                '&#216;&#217;&#218;&#219;&#220;&#221;&#222;&#223;&#224;&#225;&#226;&#227;&#228;&#229;',
                '&#230;&#231;&#232;&#233;&#234;&#235;&#236;&#237;&#238;&#239;&#240;&#241;&#242;&#243;',
                '&#244;&#245;&#246;&#247;&#248;&#249;&#250;&#251;&#252;&#253;&#254;&#255;&#256;&#257;',
                '&#258;&#259;&#260;&#261;&#262;&#263;&#264;&#265;&#266;&#267;&#268;&#269;&#270;&#271;',
                '&#272;&#273;&#274;&#275;&#276;&#277;&#278;&#279;&#280;&#281;&#282;&#283;&#284;&#285;',
                '&#286;&#287;&#288;&#289;&#290;&#291;&#292;&#293;&#294;&#295;&#296;&#297;&#298;&#299;',
                '&#300;&#301;&#302;&#303;&#304;&#305;&#306;&#307;&#308;&#309;&#310;&#311;&#312;&#313;',
                '&#314;&#315;&#316;&#317;&#318;&#319;&#320;&#321;&#322;&#323;&#324;&#325;&#326;&#327;',
                '&#328;&#329;&#330;&#331;&#332;&#333;&#334;&#335;&#336;&#337;&#338;&#339;&#340;&#341;',
                '&#342;&#343;&#344;&#345;&#346;&#347;&#348;&#349;&#350;&#351;&#352;&#353;&#354;&#355;',
                '&#356;&#357;&#358;&#359;&#360;&#361;&#362;&#363;&#364;&#365;&#366;&#367;&#368;&#369;',
                '&#370;&#371;&#372;&#373;&#374;&#375;&#376;&#377;&#378;&#379;&#380;&#381;&#382;&#383;',
                '&#384;&#385;&#386;&#387;&#388;&#389;&#390;&#391;&#392;&#393;&#394;&#395;&#396;&#397;',
                '&#398;&#399;&#400;&#401;&#402;&#403;&#404;&#405;&#406;&#407;&#408;&#409;&#410;&#411;',
                '&#412;&#413;&#414;&#415;&#416;&#417;&#418;&#419;&#420;&#421;&#422;&#423;&#424;&#425;',
                '&#426;&#427;&#428;&#429;&#430;&#431;&#432;&#433;&#434;&#435;&#436;&#437;&#438;&#439;',
                '&#440;&#441;&#442;&#443;&#444;&#445;&#446;&#447;&#448;&#449;&#450;&#451;&#452;&#453;',
                '&#454;&#455;&#456;&#457;&#458;&#459;&#460;&#461;&#462;&#463;&#464;&#465;&#466;&#467;',
                '&#468;&#469;&#470;&#471;&#472;&#473;&#474;&#475;&#476;&#477;&#478;&#479;&#480;&#481;',
                '&#482;&#483;&#484;&#485;&#486;&#487;&#488;&#489;&#490;&#491;&#492;&#493;&#494;&#495;',
                '&#496;&#497;&#498;&#499;&#500;&#501;&#502;&#503;&#504;&#505;&#506;&#507;&#508;&#509;',
                '&#510;&#511;&#512;&#513;&#514;&#515;&#516;&#517;&#518;&#519;&#520;&#521;&#522;&#523;',
                '&#524;&#525;&#526;&#527;&#528;&#529;&#530;&#531;&#532;&#533;&#534;&#535;&#536;&#537;',
                '&#538;&#539;&#540;&#541;&#542;&#543;&#544;&#545;&#546;&#547;&#548;&#549;&#550;&#551;',
                '&#552;&#553;&#554;&#555;&#556;&#557;&#558;&#559;&#560;&#561;&#562;&#563;&#564;&#565;',
                '&#566;&#567;&#568;&#569;&#570;&#571;&#572;&#573;&#574;&#575;&#576;&#577;&#578;&#579;',
                '&#580;&#581;&#582;&#583;&#584;&#585;&#586;&#587;&#588;&#589;&#590;&#591;')"/>
  <!-- U+0370 to U+052F -->
  <xsl:variable name="cssTable3" select="concat('&#880;&#881;&#882;&#883;&#884;&#885;&#886;&#887;&#888;&#889;&#890;&#891;&#892;&#893;',
                '&#894;&#895;&#896;&#897;&#898;&#899;&#900;&#901;&#902;&#903;&#904;&#905;&#906;&#907;',
                '&#908;&#909;&#910;&#911;&#912;&#913;&#914;&#915;&#916;&#917;&#918;&#919;&#920;&#921;',
                '&#922;&#923;&#924;&#925;&#926;&#927;&#928;&#929;&#930;&#931;&#932;&#933;&#934;&#935;',
                '&#936;&#937;&#938;&#939;&#940;&#941;&#942;&#943;&#944;&#945;&#946;&#947;&#948;&#949;',
                '&#950;&#951;&#952;&#953;&#954;&#955;&#956;&#957;&#958;&#959;&#960;&#961;&#962;&#963;',
                '&#964;&#965;&#966;&#967;&#968;&#969;&#970;&#971;&#972;&#973;&#974;&#975;&#976;&#977;',
                '&#978;&#979;&#980;&#981;&#982;&#983;&#984;&#985;&#986;&#987;&#988;&#989;&#990;&#991;',
                '&#992;&#993;&#994;&#995;&#996;&#997;&#998;&#999;&#1000;&#1001;&#1002;&#1003;&#1004;&#1005;',
                '&#1006;&#1007;&#1008;&#1009;&#1010;&#1011;&#1012;&#1013;&#1014;&#1015;&#1016;&#1017;',
                '&#1018;&#1019;&#1020;&#1021;&#1022;&#1023;&#1024;&#1025;&#1026;&#1027;&#1028;&#1029;',
                '&#1030;&#1031;&#1032;&#1033;&#1034;&#1035;&#1036;&#1037;&#1038;&#1039;&#1040;&#1041;',
                '&#1042;&#1043;&#1044;&#1045;&#1046;&#1047;&#1048;&#1049;&#1050;&#1051;&#1052;&#1053;',
                '&#1054;&#1055;&#1056;&#1057;&#1058;&#1059;&#1060;&#1061;&#1062;&#1063;&#1064;&#1065;',
                '&#1066;&#1067;&#1068;&#1069;&#1070;&#1071;&#1072;&#1073;&#1074;&#1075;&#1076;&#1077;',
                '&#1078;&#1079;&#1080;&#1081;&#1082;&#1083;&#1084;&#1085;&#1086;&#1087;&#1088;&#1089;',
                '&#1090;&#1091;&#1092;&#1093;&#1094;&#1095;&#1096;&#1097;&#1098;&#1099;&#1100;&#1101;',
                '&#1102;&#1103;&#1104;&#1105;&#1106;&#1107;&#1108;&#1109;&#1110;&#1111;&#1112;&#1113;',
                '&#1114;&#1115;&#1116;&#1117;&#1118;&#1119;&#1120;&#1121;&#1122;&#1123;&#1124;&#1125;',
                '&#1126;&#1127;&#1128;&#1129;&#1130;&#1131;&#1132;&#1133;&#1134;&#1135;&#1136;&#1137;',
                '&#1138;&#1139;&#1140;&#1141;&#1142;&#1143;&#1144;&#1145;&#1146;&#1147;&#1148;&#1149;',
                '&#1150;&#1151;&#1152;&#1153;&#1154;&#1155;&#1156;&#1157;&#1158;&#1159;&#1160;&#1161;',
                '&#1162;&#1163;&#1164;&#1165;&#1166;&#1167;&#1168;&#1169;&#1170;&#1171;&#1172;&#1173;',
                '&#1174;&#1175;&#1176;&#1177;&#1178;&#1179;&#1180;&#1181;&#1182;&#1183;&#1184;&#1185;',
                '&#1186;&#1187;&#1188;&#1189;&#1190;&#1191;&#1192;&#1193;&#1194;&#1195;&#1196;&#1197;',
                '&#1198;&#1199;&#1200;&#1201;&#1202;&#1203;&#1204;&#1205;&#1206;&#1207;&#1208;&#1209;',
                '&#1210;&#1211;&#1212;&#1213;&#1214;&#1215;&#1216;&#1217;&#1218;&#1219;&#1220;&#1221;',
                '&#1222;&#1223;&#1224;&#1225;&#1226;&#1227;&#1228;&#1229;&#1230;&#1231;&#1232;&#1233;',
                '&#1234;&#1235;&#1236;&#1237;&#1238;&#1239;&#1240;&#1241;&#1242;&#1243;&#1244;&#1245;',
                '&#1246;&#1247;&#1248;&#1249;&#1250;&#1251;&#1252;&#1253;&#1254;&#1255;&#1256;&#1257;',
                '&#1258;&#1259;&#1260;&#1261;&#1262;&#1263;&#1264;&#1265;&#1266;&#1267;&#1268;&#1269;',
                '&#1270;&#1271;&#1272;&#1273;&#1274;&#1275;&#1276;&#1277;&#1278;&#1279;&#1280;&#1281;',
                '&#1282;&#1283;&#1284;&#1285;&#1286;&#1287;&#1288;&#1289;&#1290;&#1291;&#1292;&#1293;',
                '&#1294;&#1295;&#1296;&#1297;&#1298;&#1299;&#1300;&#1301;&#1302;&#1303;&#1304;&#1305;',
                '&#1306;&#1307;&#1308;&#1309;&#1310;&#1311;&#1312;&#1313;&#1314;&#1315;&#1316;&#1317;',
                '&#1318;&#1319;&#1320;&#1321;&#1322;&#1323;&#1324;&#1325;&#1326;&#1327;')"/>
  <!-- U+2010 to U+206F -->
  <xsl:variable name="cssTable4" select="concat('&#8208;&#8209;&#8210;&#8211;&#8212;&#8213;&#8214;&#8215;&#8216;&#8217;&#8218;&#8219;',
                '&#8220;&#8221;&#8222;&#8223;&#8224;&#8225;&#8226;&#8227;&#8228;&#8229;&#8230;&#8231;',
                '&#8232;&#8233;&#8234;&#8235;&#8236;&#8237;&#8238;&#8239;&#8240;&#8241;&#8242;&#8243;',
                '&#8244;&#8245;&#8246;&#8247;&#8248;&#8249;&#8250;&#8251;&#8252;&#8253;&#8254;&#8255;',
                '&#8256;&#8257;&#8258;&#8259;&#8260;&#8261;&#8262;&#8263;&#8264;&#8265;&#8266;&#8267;',
                '&#8268;&#8269;&#8270;&#8271;&#8272;&#8273;&#8274;&#8275;&#8276;&#8277;&#8278;&#8279;',
                '&#8280;&#8281;&#8282;&#8283;&#8284;&#8285;&#8286;&#8287;&#8288;&#8289;&#8290;&#8291;',
                '&#8292;&#8293;&#8294;&#8295;&#8296;&#8297;&#8298;&#8299;&#8300;&#8301;&#8302;&#8303;')"/>
  <!-- U+20A0 to U+20CF -->
  <xsl:variable name="cssTable5" select="concat('&#8352;&#8353;&#8354;&#8355;&#8356;&#8357;&#8358;&#8359;&#8360;&#8361;&#8362;&#8363;',
                '&#8364;&#8365;&#8366;&#8367;&#8368;&#8369;&#8370;&#8371;&#8372;&#8373;&#8374;&#8375;',
                '&#8376;&#8377;&#8378;&#8379;&#8380;&#8381;&#8382;&#8383;&#8384;&#8385;&#8386;&#8387;',
                '&#8388;&#8389;&#8390;&#8391;&#8392;&#8393;&#8394;&#8395;&#8396;&#8397;&#8398;&#8399;')"/>
  <!-- U+2100 to U+214F -->
  <xsl:variable name="cssTable6" select="concat('&#8448;&#8449;&#8450;&#8451;&#8452;&#8453;&#8454;&#8455;&#8456;&#8457;&#8458;&#8459;',
                '&#8460;&#8461;&#8462;&#8463;&#8464;&#8465;&#8466;&#8467;&#8468;&#8469;&#8470;&#8471;',
                '&#8472;&#8473;&#8474;&#8475;&#8476;&#8477;&#8478;&#8479;&#8480;&#8481;&#8482;&#8483;',
                '&#8484;&#8485;&#8486;&#8487;&#8488;&#8489;&#8490;&#8491;&#8492;&#8493;&#8494;&#8495;',
                '&#8496;&#8497;&#8498;&#8499;&#8500;&#8501;&#8502;&#8503;&#8504;&#8505;&#8506;&#8507;',
                '&#8508;&#8509;&#8510;&#8511;&#8512;&#8513;&#8514;&#8515;&#8516;&#8517;&#8518;&#8519;',
                '&#8520;&#8521;&#8522;&#8523;&#8524;&#8525;&#8526;&#8527;')"/>

  <!-- The text, CSS-escaped as above, to stand between the quotes of a CSS string. -->
  <xsl:template name="cssString">
    <xsl:param name="text"/>
    <xsl:if test="$text != ''">
      <xsl:variable name="c" select="substring($text, 1, 1)"/>
      <xsl:choose>
        <xsl:when test="contains($cssPlain, $c)">
          <xsl:value-of select="$c"/>
        </xsl:when>
        <xsl:otherwise>
          <xsl:text>\</xsl:text>
          <xsl:call-template name="hexadecimal">
            <xsl:with-param name="number">
              <xsl:choose>
                <xsl:when test="contains($cssTable1, $c)">
                  <xsl:value-of select="32 + string-length(substring-before($cssTable1, $c))"/>
                </xsl:when>
                <xsl:when test="contains($cssTable2, $c)">
                  <xsl:value-of select="160 + string-length(substring-before($cssTable2, $c))"/>
                </xsl:when>
                <xsl:when test="contains($cssTable3, $c)">
                  <xsl:value-of select="880 + string-length(substring-before($cssTable3, $c))"/>
                </xsl:when>
                <xsl:when test="contains($cssTable4, $c)">
                  <xsl:value-of select="8208 + string-length(substring-before($cssTable4, $c))"/>
                </xsl:when>
                <xsl:when test="contains($cssTable5, $c)">
                  <xsl:value-of select="8352 + string-length(substring-before($cssTable5, $c))"/>
                </xsl:when>
                <xsl:when test="contains($cssTable6, $c)">
                  <xsl:value-of select="8448 + string-length(substring-before($cssTable6, $c))"/>
                </xsl:when>
                <xsl:otherwise>65533</xsl:otherwise>
              </xsl:choose>
            </xsl:with-param>
          </xsl:call-template>
          <xsl:text> </xsl:text>
        </xsl:otherwise>
      </xsl:choose>
      <xsl:call-template name="cssString">
        <xsl:with-param name="text" select="substring($text, 2)"/>
      </xsl:call-template>
    </xsl:if>
  </xsl:template>

  <xsl:template name="hexadecimal">
    <xsl:param name="number"/>
    <xsl:if test="$number >= 16">
      <xsl:call-template name="hexadecimal">
        <xsl:with-param name="number" select="floor($number div 16)"/>
      </xsl:call-template>
    </xsl:if>
    <xsl:value-of select="substring('0123456789ABCDEF', $number mod 16 + 1, 1)"/>
  </xsl:template>

  <!-- Style: one A4 sheet on screen, A4 pages in print -->

  <xsl:template name="styleSheet">
@page {
  size: A4;
  margin: 16mm 15mm 18mm 15mm;
  @top-left {
    content: "<xsl:call-template name="cssString">
      <xsl:with-param name="text" select="normalize-space($identity/RI_MODELNUM)"/>
    </xsl:call-template>";
    font: 7.5pt "Liberation Sans", Arial, sans-serif; color: #6b7785;
  }
  @top-right {
    content: "<xsl:call-template name="cssString">
      <xsl:with-param name="text">^SERN^ <xsl:value-of select="normalize-space($identity/RI_SERIALNUM)"/></xsl:with-param>
    </xsl:call-template>";
    font: 7.5pt "Liberation Sans", Arial, sans-serif; color: #6b7785;
  }
  @bottom-left {
    content: "<xsl:call-template name="cssString"><xsl:with-param name="text">^TITL^</xsl:with-param></xsl:call-template>";
    font: 7.5pt "Liberation Sans", Arial, sans-serif; color: #6b7785;
  }
  @bottom-right {
    content: "<xsl:call-template name="cssString"><xsl:with-param name="text">^PAGE^</xsl:with-param></xsl:call-template> " counter(page)
             " <xsl:call-template name="cssString"><xsl:with-param name="text">^PGOF^</xsl:with-param></xsl:call-template> " counter(pages);
    font: 7.5pt "Liberation Sans", Arial, sans-serif; color: #6b7785;
  }
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
/* A long name without blanks breaks inside its cell rather than run out of it. */
.alias, .item-alias { overflow-wrap: anywhere; }
.empty { margin: 2mm 0 4mm; color: #66727f; font-style: italic; }
.contents { margin-bottom: 8mm; break-inside: avoid; }
.contents ol { margin: 0; padding-left: 6mm; columns: 2; column-gap: 8mm; }
.contents li { margin: 0.6mm 0; }
.contents a { color: #143d66; text-decoration: none; }
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
