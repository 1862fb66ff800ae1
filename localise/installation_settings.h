#pragma once

// The installation's settings under HKEY_LOCAL_MACHINE: the resource string
// file of a language and the three dealer blocks of the report heading.
// Windows-style results: 0 success (the result variant holds a new BSTR);
// 1 a query failed; 9 a buffer or string could not be made; 13 a language
// that holds no string; any other value the registry's own code from
// opening the key (2 for a missing key); ERROR_INVALID_PARAMETER (87) for a
// null result pointer. Trouble other than a failed open is written to the
// debugger output, never to the error text.

#include "platform/oleauto.h"

// The "ReportResource" value under Software\Corvane\TORVALE\Language\<name>.
// A language variant that is not VT_BSTR gives 13 and leaves result alone.
DWORD GetXSLResourceFilePathAndName(VARIANT* language, VARIANT* result);

// "DealerInfoLeft", "DealerInfoMiddle", "DealerInfoRight" under
// Software\Corvane\TORVALE; a multi-string's lines are joined by CR LF.
DWORD GetDealerInfoLeft(VARIANT* result);
DWORD GetDealerInfoMiddle(VARIANT* result);
DWORD GetDealerInfoRight(VARIANT* result);
