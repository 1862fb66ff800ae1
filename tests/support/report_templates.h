#pragma once

// A pre-transform stylesheet for tests that need one to pass through: it
// copies the report XML as it is.
inline constexpr const char* kIdentityPretransform = R"xsl(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="xml" encoding="windows-1252"/>
<xsl:template match="@*|node()"><xsl:copy><xsl:apply-templates select="@*|node()"/></xsl:copy></xsl:template>
</xsl:stylesheet>
)xsl";
