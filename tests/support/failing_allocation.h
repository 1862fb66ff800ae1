#pragma once

// A seam in front of the process's C++ heap: the program that links
// failing_allocation.cpp replaces operator new, and the libraries it loads
// allocate through it too, so a test can make any one allocation of a call
// fail as if memory had run out. Off, it costs an atomic load per allocation.

// Lets n more allocations succeed and makes the one after them fail:
// operator new throws std::bad_alloc, its nothrow form gives null. The
// failure happens once, then the seam disarms itself; a negative n disarms
// it at once.
void FailAllocationsAfter(int n) noexcept;

// True while an armed failure has not happened yet. A test that arms the
// seam at 0, 1, 2, ... has failed every allocation of a call once the call
// returns with the failure still pending.
bool AllocationFailurePending() noexcept;
