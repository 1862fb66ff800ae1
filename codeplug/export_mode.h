#pragma once

#include "platform/wintypes.h"

// File mode writes what XMLXSL_XML2CP reads back: ids, type codes and raw
// values. Report mode writes display names and translated values instead.
enum class ExportMode : LONG { File = 0, Report = 1 };
