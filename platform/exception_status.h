#pragma once

// The one place where an exception becomes a status: at the boundary of a
// function that must let none escape (an export, a COM method).

#include <new>
#include <utility>

// Runs work and gives its status; a lack of memory gives memoryStatus and
// any other exception otherStatus.
template <class Status, class Work>
Status status_of_call(Work&& work, Status memoryStatus, Status otherStatus) noexcept {
    try {
        return std::forward<Work>(work)();
    } catch (const std::bad_alloc&) {
        return memoryStatus;
    } catch (...) {
        return otherStatus;
    }
}
