#pragma once

// A test seam in front of the heap that BSTRs and safe arrays come from, so
// that tests can drive the out-of-memory paths of everything built on them
// rather than hope for a real failure.
//
// Counted allocations: one for each BSTR made by SysAlloc*, one for each safe
// array made by SafeArrayCreate, SafeArrayCreateVector or SafeArrayCopy
// (descriptor and data are a single block), including those that
// VariantCopy, SafeArrayCopy, SafeArrayGetElement and SafeArrayPutElement
// make while copying deeply.

#include "platform/export.h"

// Lets `n` more counted allocations succeed and makes the one after them fail
// as if the heap were exhausted: FailOleAllocationsAfter(0) fails the very
// next one. The failure happens once, then the seam disarms itself. A
// negative `n` disarms it at once. Off, it costs one relaxed atomic load per
// allocation.
WIN32_EXPORT void FailOleAllocationsAfter(int n) noexcept;

// True while an armed failure has not happened yet. A test that arms the
// seam at 0, 1, 2, ... knows it has failed every allocation of an operation
// once the operation returns with the failure still pending.
WIN32_EXPORT bool OleAllocationFailurePending() noexcept;
