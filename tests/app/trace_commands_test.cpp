// SPDX-License-Identifier: MIT
#include "app/trace_commands.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "sac/sac_header.h"
#include "support/fake_window.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::app {
namespace {

using testing::FakeWindow;
using testing::SacBuilder;
using testing::TempDir;

struct EnableStates {
    bool make_psn;
    bool set_up_sound;
    bool play_sound;
    bool save_sound;
    friend bool operator==(const EnableStates&, const EnableStates&) = default;
};

EnableStates StatesOf(const FakeWindow& window) {
    return {window.enabled.at(Control::MakePsn), window.enabled.at(Control::SetUpSound),
            window.enabled.at(Control::PlaySound), window.enabled.at(Control::SaveSound)};
}

void AllEnabled(FakeWindow& window) {
    for (auto& [control, on] : window.enabled) {
        on = true;
    }
}

class TraceCommands : public ::testing::Test {
  protected:
    TraceCommands() {
        good_ = dir_ / "good.sac";
        SacBuilder().Text(sac::text::KSTNM, "GOOD").WriteTo(good_);
        refused_ = dir_ / "refused.sac";
        SacBuilder().Int(sac::integer::NZJDAY, 0).WriteTo(refused_);
        bad_year_ = dir_ / "bad_year.sac";
        SacBuilder().Int(sac::integer::NZYEAR, -12345).WriteTo(bad_year_);
    }

    TempDir dir_;
    std::filesystem::path good_;
    std::filesystem::path refused_;
    std::filesystem::path bad_year_;
    AppState state_;
    FakeWindow window_;
};

TEST(ArgumentString, QuotesAreDroppedOnlyWhenTheyEncloseThePath) {
    struct Case {
        std::vector<std::string> arguments;
        std::string joined;
        std::string path;
        std::string title;
    };
    const Case cases[] = {
        {{}, "", "", ""},
        {{"abc.sacx"}, "abc.sacx", "abc.sacx", "abc.sacx"},
        {{"\"/data/my trace.SAC\""},
         "\"/data/my trace.SAC\"",
         "/data/my trace.SAC",
         "my trace.SAC"},
        {{"/data/my", "trace.sac"}, "/data/my trace.sac", "/data/my trace.sac", "my trace.sac"},
        {{"\"half.sac"}, "\"half.sac", "\"half.sac", "\"half.sac"},
        {{"\""}, "\"", "\"", "\""},
        {{"\"\""}, "\"\"", "", ""},
    };
    for (const Case& c : cases) {
        std::string joined = ArgumentString(c.arguments);
        EXPECT_EQ(joined, c.joined);
        EXPECT_EQ(PathFromArgumentString(joined), c.path) << joined;
        EXPECT_EQ(FileTitle(PathFromArgumentString(joined)), c.title) << joined;
    }
}

TEST_F(TraceCommands, StartUpWithoutArgumentLeavesEverythingDisabled) {
    AllEnabled(window_);
    StartUp(state_, window_, "");
    EXPECT_EQ(window_.label1, "");
    EXPECT_EQ(StatesOf(window_), (EnableStates{false, false, false, false}));
    EXPECT_FALSE(state_.trace);
    EXPECT_EQ(state_.output_folder, std::filesystem::current_path());
}

TEST_F(TraceCommands, StartUpWithAQuotedPathLoadsIt) {
    std::string argument = "\"" + good_.string() + "\"";
    StartUp(state_, window_, argument);
    EXPECT_EQ(window_.label1, argument);
    EXPECT_EQ(state_.TraceFileTitle, "good.sac");
    ASSERT_TRUE(state_.trace);
    EXPECT_TRUE(state_.FileNative());
    EXPECT_EQ(window_.text1.rfind("good.sac\r\n", 0), 0u);
    EXPECT_EQ(StatesOf(window_), (EnableStates{true, true, false, false}));
}

TEST_F(TraceCommands, StartUpWithARefusedFileStillEnablesTheCommands) {
    StartUp(state_, window_, refused_.string());
    EXPECT_EQ(window_.messages, std::vector<std::string>{"Unknown data type"});
    EXPECT_EQ(StatesOf(window_), (EnableStates{true, true, false, false}));
}

TEST_F(TraceCommands, StartUpFailuresShowErrorWithTheReasonAndKeepTheWindowUsable) {
    const std::string missing = (dir_ / "missing.sac").string();
    const std::pair<std::string, std::string> cases[] = {
        {missing, "Cannot open " + missing + ": No such file or directory"},
        {bad_year_.string(), "The reference time is not a valid date (NZYEAR -12345)."},
    };
    for (const auto& [argument, reason] : cases) {
        FakeWindow window;
        AppState state;
        StartUp(state, window, argument);
        EXPECT_EQ(window.text1, "Error\r\n" + reason);
        EXPECT_EQ(window.label1, argument);
        EXPECT_FALSE(state.trace);
        EXPECT_EQ(StatesOf(window), (EnableStates{false, false, false, false}));
        EXPECT_TRUE(window.messages.empty());
    }
}

// However the program was started, a trace named on its command line has
// its outputs written beside it, as one chosen with Open does.
TEST_F(TraceCommands, StartUpWritesBesideTheTraceItIsGiven) {
    ASSERT_NE(std::filesystem::current_path(), dir_.path());
    for (const std::string& argument :
         {good_.string(), "\"" + good_.string() + "\"", refused_.string()}) {
        AppState state;
        FakeWindow window;
        StartUp(state, window, argument);
        EXPECT_EQ(state.output_folder, dir_.path()) << argument;
    }
}

TEST_F(TraceCommands, OpenLoadsTheChosenFileAndWritesBesideIt) {
    AllEnabled(window_);
    const std::filesystem::path started_in = std::filesystem::current_path();
    window_.chosen_files.push_back(good_);
    OpenTraceFile(state_, window_);
    EXPECT_EQ(window_.label1, "good.sac");
    EXPECT_EQ(state_.output_folder, dir_.path());
    EXPECT_EQ(std::filesystem::current_path(), started_in);
    ASSERT_TRUE(state_.trace);
    EXPECT_EQ(state_.trace->header.Text(sac::text::KSTNM), "GOOD    ");
    EXPECT_EQ(window_.text1.rfind("good.sac\r\nORIGIN: 02/01/2005 03:04:05", 0), 0u);
    EXPECT_EQ(StatesOf(window_), (EnableStates{true, true, false, false}));
}

// A cancelled dialog is the user changing their mind: the trace stays loaded
// and open, and the window stays exactly as it was.
TEST_F(TraceCommands, CancelledOpenChangesNothing) {
    window_.chosen_files.push_back(good_);
    OpenTraceFile(state_, window_);
    window_.enabled[Control::PlaySound] = true;
    const FakeWindow before = window_;
    const std::shared_ptr<const trace::LoadedTrace> loaded = state_.trace;

    OpenTraceFile(state_, window_);  // the script has no more files: cancel
    EXPECT_EQ(window_.text1, before.text1);
    EXPECT_EQ(window_.label1, "good.sac");
    EXPECT_EQ(state_.trace, loaded);
    EXPECT_FALSE(state_.trace_closed);
    EXPECT_EQ(state_.TraceFileTitle, "good.sac");
    EXPECT_EQ(state_.output_folder, dir_.path());
    EXPECT_EQ(StatesOf(window_), StatesOf(before));
    EXPECT_TRUE(window_.messages.empty());
}

TEST_F(TraceCommands, ARefusedFileAfterAGoodOneKeepsTheGoodSummary) {
    window_.chosen_files.push_back(good_);
    OpenTraceFile(state_, window_);
    std::string good_summary = window_.text1;

    window_.chosen_files.push_back(refused_);
    OpenTraceFile(state_, window_);
    EXPECT_EQ(window_.messages, std::vector<std::string>{"Unknown data type"});
    EXPECT_EQ(window_.text1, good_summary);
    EXPECT_EQ(window_.label1, "refused.sac");
    EXPECT_FALSE(state_.trace);
    EXPECT_FALSE(state_.FileNative());
    EXPECT_FALSE(state_.FileSwapped());
}

// Whatever a later load does, a loaded trace that someone still holds (a
// view reading its samples) keeps its values and its samples.
TEST_F(TraceCommands, ALoadThatFailsLeavesThePreviousTraceUntouched) {
    SacBuilder().Text(sac::text::KSTNM, "GOOD").Samples({7, 8, 9}).WriteTo(good_);
    window_.chosen_files.push_back(good_);
    OpenTraceFile(state_, window_);
    ASSERT_TRUE(state_.trace);
    const std::shared_ptr<const trace::LoadedTrace> held = state_.trace;
    const trace::LoadedTrace copy = *held;

    for (const std::filesystem::path& next : {refused_, bad_year_, dir_ / "missing.sac"}) {
        window_.chosen_files.push_back(next);
        OpenTraceFile(state_, window_);
        EXPECT_FALSE(state_.trace) << next;
        EXPECT_EQ(held->path, copy.path);
        EXPECT_EQ(held->header, copy.header);
        EXPECT_EQ(held->info.RefTime, copy.info.RefTime);
        EXPECT_EQ(held->order, sac::ByteOrder::Little);
        EXPECT_EQ(trace::ReadSamples(*held), (std::vector<float>{7, 8, 9})) << next;
    }
}

// The error path shows "Error" and, on the next line, the reason in the
// words the batch tool uses for the same file.
TEST_F(TraceCommands, FailedOpensShowErrorAndTheReason) {
    std::vector<unsigned char> bytes = SacBuilder().Bytes();
    SacBuilder::WriteBytes(dir_ / "short.sac",
                           std::vector<unsigned char>(bytes.begin(), bytes.begin() + 400));
    const std::pair<std::filesystem::path, std::string> cases[] = {
        {dir_ / "short.sac",
         "The file is too short for a SAC header: it has 400 bytes, and a SAC header takes 632. "
         "Nor is it a miniSEED file: its first 6 bytes are not a record's sequence number."},
        {bad_year_, "The reference time is not a valid date (NZYEAR -12345)."},
        {dir_.path(), "Cannot open " + dir_.path().string() + ": it is a folder"},
        {dir_ / "missing.sac",
         "Cannot open " + (dir_ / "missing.sac").string() + ": No such file or directory"},
    };
    for (const auto& [path, reason] : cases) {
        window_.chosen_files.push_back(good_);
        OpenTraceFile(state_, window_);
        window_.chosen_files.push_back(path);
        OpenTraceFile(state_, window_);
        EXPECT_EQ(window_.text1, "Error\r\n" + reason);
        EXPECT_FALSE(state_.trace) << path;
    }
    EXPECT_TRUE(window_.messages.empty());
}

TEST_F(TraceCommands, CloseKeepsTheSummaryAndDisablesMakePsn) {
    window_.chosen_files.push_back(good_);
    OpenTraceFile(state_, window_);
    std::string summary = window_.text1;
    CloseTraceFile(state_, window_);
    EXPECT_FALSE(state_.trace);
    EXPECT_EQ(window_.text1, summary);
    EXPECT_EQ(StatesOf(window_), (EnableStates{false, true, false, false}));
}

TEST_F(TraceCommands, BothByteOrdersLoadTheSameHeader) {
    SacBuilder().BigEndian().Text(sac::text::KSTNM, "GOOD").WriteTo(dir_ / "big.sac");
    window_.chosen_files.push_back(good_);
    OpenTraceFile(state_, window_);
    const sac::SacHeader little = state_.trace->header;
    window_.chosen_files.push_back(dir_ / "big.sac");
    OpenTraceFile(state_, window_);
    ASSERT_TRUE(state_.trace);
    EXPECT_TRUE(state_.FileSwapped());
    EXPECT_FALSE(state_.FileNative());
    EXPECT_EQ(state_.trace->header, little);
}

}  // namespace
}  // namespace tremorline::app
