// SPDX-License-Identifier: MIT
#pragma once

// One fuzz target, written once and built two ways: with clang's libFuzzer
// (TREMORLINE_LIBFUZZER) it is the fuzzer's entry point; in the normal test
// build it registers itself so that the suite replays the seed corpus and
// every past finding through the very same code.
//
//   TREMORLINE_FUZZ_TARGET(sac_path) {
//       ... use data and size ...
//   }

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace tremorline::fuzz {

using TargetFunction = void (*)(const std::uint8_t* data, std::size_t size);

// Called by the registration of each target in the test build.
bool RegisterTarget(const char* name, TargetFunction function);

// The targets registered so far, by name.
std::map<std::string, TargetFunction>& Targets();

}  // namespace tremorline::fuzz

#ifdef TREMORLINE_LIBFUZZER
#define TREMORLINE_FUZZ_ENTRY(name)                                                     \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
        FuzzOne_##name(data, size);                                                     \
        return 0;                                                                       \
    }
#else
#define TREMORLINE_FUZZ_ENTRY(name)                        \
    [[maybe_unused]] static const bool registered_##name = \
        ::tremorline::fuzz::RegisterTarget(#name, FuzzOne_##name);
#endif

#define TREMORLINE_FUZZ_TARGET(name)                                        \
    static void FuzzOne_##name(const std::uint8_t* data, std::size_t size); \
    TREMORLINE_FUZZ_ENTRY(name)                                             \
    static void FuzzOne_##name(const std::uint8_t* data, std::size_t size)
