// SPDX-License-Identifier: MIT
// Opening miniSEED files through the window's commands, with a fake window:
// a file of one segment loads at once, a file of several asks which one, and
// cancelling that question leaves the window exactly as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/sound_commands.h"
#include "app/trace_commands.h"
#include "support/fake_window.h"
#include "support/mseed_builder.h"
#include "support/mseed_converter.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::app {
namespace {

using testing::FakePlayer;
using testing::FakeWindow;
using testing::PackRecords;
using testing::RecordRun;
using testing::TempDir;

constexpr std::int64_t kStart = 1'299'822'383'000'000;  // 2011-03-11 05:46:23
constexpr const char* kFirstTitle = "XX.TEST.00.BHZ.D.2011.070.054623.SAC";

std::vector<unsigned char> Join(const std::vector<RecordRun>& runs) {
    std::vector<unsigned char> bytes;
    for (const RecordRun& run : runs) {
        const std::vector<unsigned char> records = PackRecords(run);
        bytes.insert(bytes.end(), records.begin(), records.end());
    }
    return bytes;
}

class MiniSeedOpen : public ::testing::Test {
  protected:
    MiniSeedOpen() {
        const RecordRun first{.start = kStart, .samples = testing::WavyIntegers(400, 5000)};
        // 400 samples at 20 Hz end 20 s after the start; this run begins 100 s later.
        RecordRun after_gap = first;
        after_gap.start = kStart + 120'000'000;
        after_gap.samples = testing::WavyIntegers(200, 5000, 2);
        RecordRun other_channel = first;
        other_channel.channel = "BHN";
        testing::WriteBytes(one_, Join({first}));
        testing::WriteBytes(several_, Join({first, after_gap, other_channel}));
        testing::SacBuilder().Text(sac::text::KSTNM, "GOOD").WriteTo(good_);
    }

    TempDir dir_;
    std::filesystem::path one_ = dir_ / "one.mseed";
    std::filesystem::path several_ = dir_ / "several.mseed";
    std::filesystem::path good_ = dir_ / "good.sac";
    AppState state_;
    FakeWindow window_;
};

TEST_F(MiniSeedOpen, OneSegmentLoadsAtOnceAndNamesOutputsAsItsConvertedFile) {
    window_.chosen_files.push_back(one_);
    OpenTraceFile(state_, window_);
    EXPECT_TRUE(window_.segment_lists.empty()) << "nothing to choose from";
    EXPECT_TRUE(window_.messages.empty());
    EXPECT_EQ(window_.label1, "one.mseed");
    EXPECT_EQ(state_.TraceFileTitle, kFirstTitle);
    EXPECT_EQ(state_.output_folder, dir_.path());
    ASSERT_TRUE(state_.trace);
    EXPECT_TRUE(state_.FileNative());
    EXPECT_EQ(window_.text1.rfind("one.mseed  XX.TEST.00.BHZ\r\nORIGIN: 03/11/2011 05:46:23", 0),
              0u)
        << window_.text1.substr(0, 80);
    EXPECT_TRUE(window_.enabled.at(Control::MakePsn));
    EXPECT_TRUE(window_.enabled.at(Control::SetUpSound));

    FakePlayer player;
    SetUpSound(state_, window_);
    window_.combo1 = "8000";
    PlaySound(state_, window_, player);
    SaveSound(state_, window_);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "XX.TEST.00.BHZ.D.2011.070.054623.wav"))
        << window_.messages.back();
}

TEST_F(MiniSeedOpen, SeveralSegmentsAskWhichAndLoadTheChosenOne) {
    window_.chosen_files.push_back(several_);
    window_.chosen_segments.push_back(2);
    OpenTraceFile(state_, window_);
    ASSERT_EQ(window_.segment_lists.size(), 1u);
    const std::vector<SegmentRow>& rows = window_.segment_lists.front();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].source, "XX.TEST.00.BHZ");
    EXPECT_EQ(rows[0].start, "2011-03-11 05:46:23.000000");
    EXPECT_EQ(rows[0].end, "2011-03-11 05:46:42.950000");
    EXPECT_EQ(rows[0].samples, "400");
    EXPECT_EQ(rows[0].rate, "20 Hz");
    EXPECT_EQ(rows[0].before, "");
    EXPECT_EQ(rows[1].source, "XX.TEST.00.BHZ");
    EXPECT_EQ(rows[1].samples, "200");
    EXPECT_EQ(rows[1].before, "gap of 100 s");
    EXPECT_EQ(rows[2].source, "XX.TEST.00.BHN");
    EXPECT_EQ(rows[2].before, "");

    ASSERT_TRUE(state_.trace);
    EXPECT_EQ(state_.trace->header.Text(sac::text::KCMPNM), "BHN     ");
    EXPECT_EQ(state_.TraceFileTitle, "XX.TEST.00.BHN.D.2011.070.054623.SAC");
    EXPECT_EQ(window_.label1, "several.mseed");
    EXPECT_EQ(window_.text1.rfind("several.mseed  XX.TEST.00.BHN\r\n", 0), 0u);
}

TEST_F(MiniSeedOpen, ADroppedFileIsOpenedAsAChosenOneIs) {
    window_.chosen_segments.push_back(1);
    OpenTraceFile(state_, window_, several_);
    EXPECT_EQ(window_.segment_lists.size(), 1u);
    ASSERT_TRUE(state_.trace);
    EXPECT_EQ(state_.TraceFileTitle, "XX.TEST.00.BHZ.D.2011.070.054823.SAC");
    EXPECT_EQ(window_.label1, "several.mseed");
    EXPECT_EQ(state_.output_folder, dir_.path());
}

TEST_F(MiniSeedOpen, CancellingTheChoiceLeavesTheWindowAsItWas) {
    window_.chosen_files.push_back(good_);
    OpenTraceFile(state_, window_);
    window_.enabled[Control::PlaySound] = true;
    window_.enabled[Control::SaveSound] = true;
    const FakeWindow before_window = window_;
    const AppState before = state_;

    window_.chosen_files.push_back(several_);
    OpenTraceFile(state_, window_);  // no scripted answer: the chooser is cancelled
    ASSERT_EQ(window_.segment_lists.size(), 1u);
    EXPECT_EQ(window_.label1, before_window.label1);
    EXPECT_EQ(window_.text1, before_window.text1);
    EXPECT_EQ(window_.enabled, before_window.enabled);
    EXPECT_EQ(window_.messages, before_window.messages);
    EXPECT_EQ(state_.trace, before.trace);
    EXPECT_EQ(state_.trace_closed, before.trace_closed);
    EXPECT_EQ(state_.TraceFileTitle, before.TraceFileTitle);
    EXPECT_EQ(state_.output_folder, before.output_folder);
}

TEST_F(MiniSeedOpen, StartUpWithACancelledChoiceLoadsNothing) {
    StartUp(state_, window_, several_.string());
    EXPECT_EQ(window_.segment_lists.size(), 1u);
    EXPECT_FALSE(state_.trace);
    EXPECT_EQ(window_.text1, "");
    EXPECT_FALSE(window_.enabled.at(Control::MakePsn));
    EXPECT_FALSE(window_.enabled.at(Control::SetUpSound));
}

TEST_F(MiniSeedOpen, UnreadableFilesTakeTheErrorPathAndOthersAreStillRefused) {
    // A miniSEED file cut inside its first record, and files that are
    // neither kind: one too short for a SAC header, one long enough.
    std::vector<unsigned char> cut = testing::ReadFileBytes(several_);
    cut.resize(300);
    testing::WriteBytes(dir_ / "cut.mseed", cut);
    testing::WriteBytes(dir_ / "short.txt", std::vector<unsigned char>(100, 'x'));
    testing::WriteBytes(dir_ / "long.txt", std::vector<unsigned char>(1000, 'x'));
    struct Case {
        const char* file;
        const char* text1;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"cut.mseed", "Error", {"cut.mseed"}},  // the reason, naming the file
        {"short.txt", "Error", {}},
        {"long.txt", "", {"Unknown data type"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        FakeWindow window;
        AppState state;
        window.chosen_files.push_back(dir_ / c.file);
        OpenTraceFile(state, window);
        // "Error" has the reason on the next line.
        EXPECT_EQ(window.text1.substr(0, window.text1.find('\r')), c.text1) << window.text1;
        EXPECT_EQ(window.label1, c.file);
        ASSERT_EQ(window.messages.size(), c.messages.size());
        for (std::size_t i = 0; i < c.messages.size(); ++i) {
            EXPECT_NE(window.messages[i].find(c.messages[i]), std::string::npos)
                << window.messages[i];
        }
        EXPECT_FALSE(state.trace);
    }
}

}  // namespace
}  // namespace tremorline::app
