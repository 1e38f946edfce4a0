// SPDX-License-Identifier: MIT
#include "common/temporary_cleanup.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>

namespace tremorline {
namespace {

// The handler may run at any moment, on any thread, so each slot is claimed
// and published through one lock-free state and holds its name inline: the
// handler reads no memory that could be freed under it.
enum SlotState : int { kFree, kFilling, kArmed };

struct Slot {
    std::atomic<int> state{kFree};
    int folder_fd = -1;
    std::array<char, 64> name{};
};

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free state");

constexpr int kSlotCount = 32;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::array<Slot, kSlotCount> slots;

// Only async-signal-safe calls: unlinkat and raise. SA_RESETHAND has already
// restored the default action, so the raised signal, delivered when the
// handler returns, ends the program as it would have ended without us.
extern "C" void RemoveTemporaryFilesAndEnd(int signal_number) {
    for (Slot& slot : slots) {
        if (slot.state.load(std::memory_order_acquire) == kArmed) {
            ::unlinkat(slot.folder_fd, slot.name.data(), 0);
        }
    }
    ::raise(signal_number);
}

void InstallHandler() {
    for (int signal_number : kSignals) {
        struct sigaction current {};
        if (::sigaction(signal_number, nullptr, &current) != 0 || current.sa_handler != SIG_DFL ||
            (current.sa_flags & SA_SIGINFO) != 0) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = RemoveTemporaryFilesAndEnd;
        sigfillset(&action.sa_mask);
        action.sa_flags = static_cast<int>(SA_RESETHAND);
        ::sigaction(signal_number, &action, nullptr);
    }
}

}  // namespace

int RegisterTemporaryFile(int folder_fd, std::string_view name) noexcept {
    static std::once_flag installed;
    if (name.size() >= Slot{}.name.size()) {
        return -1;
    }
    try {
        std::call_once(installed, InstallHandler);
    } catch (...) {
        return -1;
    }
    for (int i = 0; i < kSlotCount; ++i) {
        Slot& slot = slots[static_cast<std::size_t>(i)];
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kFilling, std::memory_order_acq_rel)) {
            continue;
        }
        slot.folder_fd = folder_fd;
        std::memcpy(slot.name.data(), name.data(), name.size());
        slot.name[name.size()] = '\0';
        slot.state.store(kArmed, std::memory_order_release);
        return i;
    }
    return -1;
}

void ForgetTemporaryFile(int registration) noexcept {
    if (registration >= 0 && registration < kSlotCount) {
        slots[static_cast<std::size_t>(registration)].state.store(kFree, std::memory_order_release);
    }
}

}  // namespace tremorline
