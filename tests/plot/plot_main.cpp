// SPDX-License-Identifier: MIT
// Text needs a QGuiApplication; the drawing makes its own offscreen one, as
// the batch tool does.
#include <gtest/gtest.h>

#include "plot/plot_output.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const tremorline::plot::OffscreenGuiApplication application;
    return RUN_ALL_TESTS();
}
