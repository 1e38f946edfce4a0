// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "sac/sac_header.h"

namespace tremorline::sac {
namespace {

TEST(FieldLabels, TablesHaveTheirFixedWidthsAndWords) {
    for (std::string_view label : RealFieldLabels) {
        EXPECT_EQ(label.size(), 34u) << label;
    }
    for (std::string_view label : IntegerFieldLabels) {
        EXPECT_EQ(label.size(), 34u) << label;
    }
    for (std::string_view label : TextFieldLabels) {
        EXPECT_EQ(label.size(), 28u) << label;
    }
    EXPECT_EQ(RealFieldLabels[0], "DELTA DEPMIN DEPMAX SCALE ODELTA  ");
    EXPECT_EQ(RealFieldLabels[13], "UNUSD UNUSD UNUSD UNUSD UNUSD     ");
    EXPECT_EQ(IntegerFieldLabels[7], "LEVEN LPSPOL LOVROK LCALDA UNSD   ");
    EXPECT_EQ(TextFieldLabels[0], "KSTNM KEVNM* KHOLE KO       ");
    EXPECT_EQ(TextFieldLabels[4], "KCMPNM KNETWK KDATRD KINST  ");
}

}  // namespace
}  // namespace tremorline::sac
