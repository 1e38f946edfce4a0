// SPDX-License-Identifier: MIT
#include <algorithm>

#include "sac/sac_header.h"

namespace tremorline::sac {
namespace {

template <std::size_t N>
constexpr bool AllOfWidth(const std::array<std::string_view, N>& labels, std::size_t width) {
    return std::all_of(labels.begin(), labels.end(),
                       [width](std::string_view label) { return label.size() == width; });
}

// The labels stand here at their full width, trailing spaces included.
constexpr std::array<std::string_view, 14> kRealLabels = {
    "DELTA DEPMIN DEPMAX SCALE ODELTA  ", "B E O A INTRNL                    ",
    "T0 T1 T2 T3 T4                    ", "T5 T6 T7 T8 T9                    ",
    "F RESP0 RESP1 RESP2 RESP3         ", "RESP4 RESP5 RESP6 RESP7 RESP8     ",
    "RESP9 STLA STLO STEL STDP         ", "EVLA EVLO EVEL EVDP MAG           ",
    "USER0 USER1 USER2 USER3 USER4     ", "USER5 USER6 USER7 USER8 USER9     ",
    "DIST AZ BAZ GCARC INTRNL          ", "INTRNL DEPMEN CMPAZ CMPINC XMIN   ",
    "XMAX YMIN YMAX UNUSED UNUSED      ", "UNUSD UNUSD UNUSD UNUSD UNUSD     ",
};

constexpr std::array<std::string_view, 8> kIntegerLabels = {
    "NZYEAR NZJDAY NZHOUR NZMIN NZSEC  ", "NZMSEC NVHDR NORID NEVID NPTS     ",
    "INTRNL NWFID NXSIZE NYSIZE UNUSED ", "IFTYPE IDEP IZTYPE UNUSED IINST   ",
    "ISTREG IEVREG IEVTYP IQUAL ISYNTH ", "IMAGTYP IMAGSRC UNUSD UNUSD UNUSD ",
    "UNUSED UNUSD UNUSD UNUSD UNUSD    ", "LEVEN LPSPOL LOVROK LCALDA UNSD   ",
};

constexpr std::array<std::string_view, 5> kTextLabels = {
    "KSTNM KEVNM* KHOLE KO       ", "KA KT0 KT1 KT2 KT3          ", "KT4 KT5 KT6 KT7 KT8         ",
    "KT9 KF KUSER0 KUSER1 KUSER2 ", "KCMPNM KNETWK KDATRD KINST  ",
};

static_assert(AllOfWidth(kRealLabels, kRealLabelWidth));
static_assert(AllOfWidth(kIntegerLabels, kIntegerLabelWidth));
static_assert(AllOfWidth(kTextLabels, kTextLabelWidth));

}  // namespace

const std::array<std::string_view, 14> RealFieldLabels = kRealLabels;
const std::array<std::string_view, 8> IntegerFieldLabels = kIntegerLabels;
const std::array<std::string_view, 5> TextFieldLabels = kTextLabels;

}  // namespace tremorline::sac
