// The library defines the error text with its other global objects; this
// program links the report path without the library, so it holds its own.
#include "report/error_report.h"

std::string gXSLErrorMsg = "Errors: \n";
