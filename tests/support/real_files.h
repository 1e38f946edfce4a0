// SPDX-License-Identifier: MIT
#pragma once

// The shared real SAC files written by other programs are kept outside the
// project and may be absent. A test on them starts with
// TREMORLINE_NEEDS_REAL_FILES(), which ends it as skipped where they are
// missing; the build leaves such tests (named "...RealFiles...") out of the
// test list then, so a run without them reports one skip instead of many.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tremorline::testing {

inline bool HaveRealFiles() {
    return std::filesystem::exists(TestDataDir() / "test.sac");
}

}  // namespace tremorline::testing

#define TREMORLINE_NEEDS_REAL_FILES()                                      \
    do {                                                                   \
        if (!::tremorline::testing::HaveRealFiles()) {                     \
            GTEST_SKIP() << "the real SAC files are not in "               \
                         << ::tremorline::testing::TestDataDir().string(); \
        }                                                                  \
    } while (false)
