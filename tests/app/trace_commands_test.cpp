#include "app/trace_commands.h"

#include <gtest/gtest.h>

#include "sac/sac_header.h"
#include "support/current_folder.h"
#include "support/fake_window.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::app {
namespace {

using testing::CurrentFolderGuard;
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

    CurrentFolderGuard folder_;
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
    EXPECT_FALSE(state_.trace_file);
}

TEST_F(TraceCommands, StartUpWithAQuotedPathLoadsIt) {
    std::string argument = "\"" + good_.string() + "\"";
    StartUp(state_, window_, argument);
    EXPECT_EQ(window_.label1, argument);
    EXPECT_EQ(state_.TraceFileTitle, "good.sac");
    EXPECT_TRUE(state_.FileNative);
    EXPECT_TRUE(state_.trace_file);
    EXPECT_EQ(window_.text1.rfind("good.sac\r\n", 0), 0u);
    EXPECT_EQ(StatesOf(window_), (EnableStates{true, true, false, false}));
}

TEST_F(TraceCommands, StartUpWithARefusedFileStillEnablesTheCommands) {
    StartUp(state_, window_, refused_.string());
    EXPECT_EQ(window_.messages, std::vector<std::string>{"Unknown data type"});
    EXPECT_EQ(StatesOf(window_), (EnableStates{true, true, false, false}));
}

TEST_F(TraceCommands, StartUpFailuresShowErrorAndKeepTheWindowUsable) {
    for (const std::string& argument : {(dir_ / "missing.sac").string(), bad_year_.string()}) {
        FakeWindow window;
        AppState state;
        StartUp(state, window, argument);
        EXPECT_EQ(window.text1, "Error") << argument;
        EXPECT_EQ(window.label1, argument);
        EXPECT_FALSE(state.trace_file);
        EXPECT_EQ(StatesOf(window), (EnableStates{false, false, false, false}));
        EXPECT_TRUE(window.messages.empty());
    }
}

TEST_F(TraceCommands, OpenLoadsTheChosenFileAndMovesToItsFolder) {
    AllEnabled(window_);
    window_.chosen_files.push_back(good_);
    OpenTraceFile(state_, window_);
    EXPECT_EQ(window_.label1, "good.sac");
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(dir_.path()));
    EXPECT_EQ(state_.SacHeader.Text(sac::text::KSTNM), "GOOD    ");
    EXPECT_EQ(window_.text1, state_.summary);
    EXPECT_EQ(StatesOf(window_), (EnableStates{true, true, false, false}));
}

TEST_F(TraceCommands, CancelledOpenShowsErrorAndClosesTheTrace) {
    window_.chosen_files.push_back(good_);
    OpenTraceFile(state_, window_);
    window_.enabled[Control::PlaySound] = true;
    OpenTraceFile(state_, window_);  // the script has no more files: cancel
    EXPECT_EQ(window_.text1, "Error");
    EXPECT_EQ(window_.label1, "good.sac");
    EXPECT_FALSE(state_.trace_file);
    EXPECT_TRUE(state_.summary.empty());
    // Nothing else changes on the error path.
    EXPECT_EQ(StatesOf(window_), (EnableStates{true, true, true, false}));
    EXPECT_EQ(state_.SacHeader.Text(sac::text::KSTNM), "GOOD    ");
}

TEST_F(TraceCommands, ARefusedFileAfterAGoodOneKeepsTheGoodSummary) {
    window_.chosen_files.push_back(good_);
    OpenTraceFile(state_, window_);
    std::string good_summary = window_.text1;
    sac::SacHeader good_header = state_.SacHeader;

    window_.chosen_files.push_back(refused_);
    OpenTraceFile(state_, window_);
    EXPECT_EQ(window_.messages, std::vector<std::string>{"Unknown data type"});
    EXPECT_EQ(window_.text1, good_summary);
    EXPECT_EQ(window_.label1, "refused.sac");
    EXPECT_EQ(state_.SacHeader, good_header);
    EXPECT_FALSE(state_.FileNative);
    EXPECT_FALSE(state_.FileSwapped);
    EXPECT_TRUE(state_.trace_file);  // the refused file stays open
}

TEST_F(TraceCommands, ShortAndUnreadableFilesTakeTheErrorPath) {
    std::vector<unsigned char> bytes = SacBuilder().Bytes();
    SacBuilder::WriteBytes(dir_ / "short.sac",
                           std::vector<unsigned char>(bytes.begin(), bytes.begin() + 400));
    for (const std::filesystem::path& path : {dir_ / "short.sac", bad_year_, dir_.path()}) {
        window_.chosen_files.push_back(path);
        OpenTraceFile(state_, window_);
        EXPECT_EQ(window_.text1, "Error") << path;
        EXPECT_FALSE(state_.trace_file);
    }
    EXPECT_TRUE(window_.messages.empty());
}

TEST_F(TraceCommands, CloseKeepsTheSummaryAndDisablesMakePsn) {
    window_.chosen_files.push_back(good_);
    OpenTraceFile(state_, window_);
    std::string summary = window_.text1;
    CloseTraceFile(state_, window_);
    EXPECT_FALSE(state_.trace_file);
    EXPECT_EQ(window_.text1, summary);
    EXPECT_EQ(StatesOf(window_), (EnableStates{false, true, false, false}));
}

TEST_F(TraceCommands, BothByteOrdersLoadTheSameHeader) {
    SacBuilder().BigEndian().Text(sac::text::KSTNM, "GOOD").WriteTo(dir_ / "big.sac");
    window_.chosen_files.push_back(good_);
    OpenTraceFile(state_, window_);
    sac::SacHeader little = state_.SacHeader;
    window_.chosen_files.push_back(dir_ / "big.sac");
    OpenTraceFile(state_, window_);
    EXPECT_TRUE(state_.FileSwapped);
    EXPECT_FALSE(state_.FileNative);
    EXPECT_EQ(state_.SacHeader, little);
}

}  // namespace
}  // namespace tremorline::app
