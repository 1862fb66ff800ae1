// The library defines the error text with its other global objects; the
// fuzzers that link the report path without the library hold their own.
#include "report/error_report.h"

std::string gXSLErrorMsg = "Errors: \n";
