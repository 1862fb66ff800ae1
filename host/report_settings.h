#pragma once

// The report's settings as the library finds them in the registry, the .reg
// file that XMLXSL_REGISTRY names, read again by the program to know every
// file that a report reads and to say which setting a failed report lacked.

#include <string>
#include <vector>

#include "host/same_file.h"
#include "platform/wintypes.h"

// XMLXSL_REGISTRY's value; empty when it is not set.
std::string RegistryFileName();

// The template path as the program hands it to the library: absolute and
// lexically normal, since the library looks for the report's other files in
// the template's folder.
std::string AbsoluteTemplatePath(const std::string& templatePath);

// Every file besides the codeplug that a report in the language reads: the
// template, pretransform.qzt beside it, the registry file, and the
// language's resource string file as the library opens it (the file-name
// part of its "ReportResource" value, in the template's folder) when the
// registry names one. The language name is UTF-8.
std::vector<named_input> ReportInputs(const std::string& templatePath, const std::string& language);

// The line for a report that failed with a registry result (a status from
// 0x80040001 to 0x800403FF, the result in its low bits): which file, which
// key or value, and what to do. Empty for any other status.
std::string DescribeRegistryFailure(DWORD status, const std::string& language);
