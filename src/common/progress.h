// SPDX-License-Identifier: MIT
#pragma once

// Long work (building a sound, writing a PSN file, filtering, spectra) is
// handed a Progress: it reports how far it has got, and stops early when the
// user cancels. The window watches the fraction from its own thread and asks
// for the stop; the batch tool and tests pass the default, which nobody
// watches and nobody stops.

#include <atomic>
#include <cstdint>
#include <exception>
#include <stop_token>
#include <utility>

namespace tremorline {

// Thrown by Progress::Step once a stop has been asked for. It is not a
// failure: the command that started the work undoes what it began and says
// nothing.
class Cancelled : public std::exception {
  public:
    const char* what() const noexcept override { return "Cancelled"; }
};

class Progress {
  public:
    Progress() = default;
    explicit Progress(std::stop_token stop) : stop_(std::move(stop)) {}
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Records that `done` of `total` units are done, and throws Cancelled when
    // a stop has been asked for. Cheap enough to call once per block.
    void Step(std::uint64_t done, std::uint64_t total) const {
        if (stop_.stop_requested()) {
            throw Cancelled();
        }
        const double fraction =
            total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
        fraction_.store(fraction < 1.0 ? fraction : 1.0, std::memory_order_relaxed);
    }

    // How far the work has got, 0 to 1; safe to read from any thread.
    double Fraction() const { return fraction_.load(std::memory_order_relaxed); }

    bool StopRequested() const { return stop_.stop_requested(); }

  private:
    std::stop_token stop_;
    mutable std::atomic<double> fraction_{0.0};
};

}  // namespace tremorline
