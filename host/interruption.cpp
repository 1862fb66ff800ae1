#include "host/interruption.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/command_error.h"
#include "platform/environment.h"

namespace {

constexpr int kSlots = 4;
constexpr std::size_t kPathCapacity = 4096;

// Written only outside the handlers; a slot's path is complete before its
// flag is set, and the flag is cleared before the path changes.
char gPaths[kSlots][kPathCapacity];
volatile std::sig_atomic_t gUsed[kSlots];
volatile std::sig_atomic_t gDeferring = 0;
volatile std::sig_atomic_t gPending = 0;

// Only async-signal-safe work: std::remove of a file is unlink(2), and
// std::_Exit runs no destructors and flushes nothing.
[[noreturn]] void remove_staging_and_exit(int signal) {
    for (int slot = 0; slot < kSlots; ++slot)
        if (gUsed[slot]) std::remove(gPaths[slot]);
    std::_Exit(128 + signal);
}

extern "C" void on_interruption(int signal) {
    if (gDeferring) {
        gPending = signal;
        return;
    }
    remove_staging_and_exit(signal);
}

}  // namespace

void InstallInterruptionHandlers() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        if (std::signal(signal, on_interruption) == SIG_IGN) std::signal(signal, SIG_IGN);
}

registered_staging_path::registered_staging_path(const std::string& path) : slot_(-1) {
    if (path.size() >= kPathCapacity) throw CommandError(path + ": the path is too long");
    for (int slot = 0; slot < kSlots; ++slot) {
        if (gUsed[slot]) continue;
        std::memcpy(gPaths[slot], path.c_str(), path.size() + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        gUsed[slot] = 1;
        slot_ = slot;
        return;
    }
    throw CommandError(path + ": too many outputs in progress at once");
}

registered_staging_path::~registered_staging_path() { gUsed[slot_] = 0; }

deferred_interruption::deferred_interruption() noexcept { gDeferring = 1; }

deferred_interruption::~deferred_interruption() {
    gDeferring = 0;
    if (gPending) remove_staging_and_exit(gPending);
}

void HoldForTesting(const std::string& stagingPath) {
    if (GetEnvironmentVariableA("XMLXSL_TEST_HOLD", nullptr, 0) == 0) return;
    std::fprintf(stderr, "xmlxsl: holding %s\n", stagingPath.c_str());
    std::fflush(stderr);
    for (int next = std::getchar(); next != EOF && next != '\n'; next = std::getchar()) {
    }
}
