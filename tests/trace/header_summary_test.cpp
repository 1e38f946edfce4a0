// SPDX-License-Identifier: MIT
#include "trace/header_summary.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

#include "sac/sac_loader.h"
#include "sac/trace_file.h"
#include "support/real_files.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"
#include "trace/golden_summary.h"
#include "trace/trace_times.h"

namespace tremorline::trace {
namespace {

using testing::SacBuilder;
using testing::TestDataDir;

sac::SacHeader HeaderOfFile(const std::string& name) {
    sac::TraceFile file(TestDataDir() / name);
    return sac::ReadSacHeader(file).header;
}

sac::SacHeader HeaderOf(const SacBuilder& builder) {
    std::vector<unsigned char> bytes = builder.Bytes();
    return sac::ParseSacHeader(
        std::span<const unsigned char, sac::kHeaderSize>(bytes.data(), sac::kHeaderSize),
        sac::ByteOrder::Little);
}

std::string SummaryOf(const std::string& title, const sac::SacHeader& header,
                      std::string_view line_end = kSummaryLineEnd) {
    TraceInfo info;
    CopyTraceInfo(header, info);
    ComputeTraceTimes(info);
    return HeaderSummaryText(title, header, info, line_end);
}

// The line of the summary that starts with `label`, without its line end.
std::string LineStartingWith(const std::string& summary, const std::string& label) {
    std::size_t start = summary.find("\r\n" + label);
    if (start == std::string::npos) {
        return "(no line " + label + ")";
    }
    start += 2;
    return summary.substr(start, summary.find("\r\n", start) - start);
}

TEST(HeaderSummaryText, RealFilesInFull) {
    TREMORLINE_NEEDS_REAL_FILES();
    // test.sac: no event time, NZMSEC 0; LMOW.BHE.SAC: NZMSEC 465;
    // seism.sac: O = 0, so the event is the reference time.
    for (const char* file : {"test.sac", "LMOW.BHE.SAC", "seism.sac"}) {
        EXPECT_EQ(SummaryOf(file, HeaderOfFile(file)), testing::GoldenSummary(file)) << file;
    }
}

TEST(HeaderSummaryText, RealFilesInBothByteOrdersReadAlike) {
    TREMORLINE_NEEDS_REAL_FILES();
    sac::SacHeader little = HeaderOfFile("test.sac");
    sac::SacHeader big = HeaderOfFile("test.sac.swap");
    // The two writers computed the mean (DEPMEN) differently; all else agrees.
    constexpr std::size_t kDepmen = 56;
    EXPECT_EQ(LineStartingWith(SummaryOf("t", big), "-12345, 8"),
              "-12345, 8.753946E-08, -12345, -12345, -12345, ");
    big.reals[kDepmen] = little.reals[kDepmen];
    EXPECT_EQ(SummaryOf("t", big), SummaryOf("t", little));
}

TEST(HeaderSummaryText, LinesOfTheTraceValues) {
    struct Case {
        SacBuilder builder;
        const char* label;
        std::string line;
    };
    const Case cases[] = {
        {SacBuilder(), "ORIGIN", "ORIGIN: 02/01/2005 03:04:05.25"},
        {SacBuilder().Int(sac::integer::NZMSEC, 7), "ORIGIN", "ORIGIN: 02/01/2005 03:04:05.007"},
        {SacBuilder().Int(sac::integer::NZMSEC, 0), "ORIGIN", "ORIGIN: 02/01/2005 03:04:05"},
        {SacBuilder(), "EVENT", "EVENT: No event time available"},
        {SacBuilder().Int(sac::integer::NZMSEC, 500).Real(sac::real::O, 83.6f), "EVENT",
         "EVENT: 02/01/2005 03:05:29.1"},
        {SacBuilder(), "Event offset", "Event offset -12345"},
        {SacBuilder(), "Sample Interval", "Sample Interval 0.01"},
        {SacBuilder().Real(sac::real::CMPAZ, 45.5f), "Component AZ", "Component AZ  45.5"},
        {SacBuilder(), "Component ", "Component BHZ     "},
        {SacBuilder().Int(sac::integer::IDEP, -7), "Sensor Type", "Sensor Type -7"},
        {SacBuilder().Text(sac::text::KNETWK, ""), "Network", "Network          "},
        // Header texts are bytes, shown as they stand.
        {SacBuilder().RawText(sac::text::KSTNM, "Z\xFCrich\x01"), "Station Name",
         "Station Name Z\xFCrich\x01 "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LineStartingWith(SummaryOf("title", HeaderOf(c.builder)), c.label), c.line);
    }
}

}  // namespace
}  // namespace tremorline::trace
