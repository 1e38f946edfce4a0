// SPDX-License-Identifier: MIT
#include "app/psn_command.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/trace_commands.h"
#include "support/fake_window.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::app {
namespace {

using testing::FakeWindow;
using testing::ReadFileBytes;
using testing::SacBuilder;
using testing::TempDir;
using Bytes = std::vector<unsigned char>;

// The builder's default trace: 1 February 2005 03:04:05, station STA, BHZ.
constexpr const char* kDefaultName = "050201.030405.STAZ.psn";

// Make PSN writes into the output folder: each test has a fresh one.
class MakePsnTest : public ::testing::Test {
  protected:
    void Load(const std::filesystem::path& trace) {
        state_.output_folder = dir_.path();
        LoadSacFile(state_, window_, trace);
        ASSERT_TRUE(window_.IsEnabled(Control::MakePsn)) << window_.messages.size();
    }
    void Load(const SacBuilder& builder) {
        builder.WriteTo(traces_ / "trace.sac");
        Load(traces_ / "trace.sac");
    }
    std::vector<std::string> OutputFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
    void WriteFile(const std::string& name, const Bytes& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    TempDir dir_;
    TempDir traces_;  // the trace files, apart from the output folder
    AppState state_;
    FakeWindow window_;

  private:
};

TEST_F(MakePsnTest, WritesTheFileAndDisablesItself) {
    Load(SacBuilder().Samples({1.0f, 2.0f, 3.0f}));
    MakePsn(state_, window_);
    EXPECT_EQ(OutputFolder(), std::vector<std::string>{kDefaultName});
    // The bytes themselves are the PSN file tests' concern.
    EXPECT_EQ(ReadFileBytes(dir_ / kDefaultName).size(), 232u + 12u);
    EXPECT_TRUE(window_.messages.empty());
    EXPECT_TRUE(window_.questions.empty());
    // Only the status line tells where the file went.
    EXPECT_EQ(window_.status, "PSN file written: " + (dir_ / kDefaultName).string());
    EXPECT_FALSE(window_.IsEnabled(Control::MakePsn));
    EXPECT_EQ(state_.PSNRecords.Header.ComponentLetter, 'Z');
}

TEST_F(MakePsnTest, BothByteOrdersGiveTheSameFile) {
    SacBuilder builder;
    builder.Samples({1.5f, -2.25f, 3e10f, -0.0f})
        .Real(sac::real::O, 10.4f)
        .Real(sac::real::MAG, 3.5f);
    Load(builder);
    MakePsn(state_, window_);
    Bytes little = ReadFileBytes(dir_ / kDefaultName);
    std::filesystem::remove(dir_ / kDefaultName);

    builder.BigEndian().WriteTo(traces_ / "big.sac");
    Load(traces_ / "big.sac");
    ASSERT_TRUE(state_.FileSwapped());
    MakePsn(state_, window_);
    EXPECT_EQ(ReadFileBytes(dir_ / kDefaultName), little);
    EXPECT_EQ(little.size(), 232u + 16u);
}

TEST_F(MakePsnTest, OverwriteQuestion) {
    struct Case {
        const char* what;
        Bytes old_bytes;
        std::deque<bool> answers;
        std::size_t questions;
        bool replaced;
    };
    const Case cases[] = {
        {"Yes replaces a longer file", Bytes(5000, 0xAB), {true}, 1, true},
        {"an empty file is written without a question", Bytes{}, {}, 0, true},
        {"No keeps the file", Bytes(5000, 0xAB), {false}, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window_ = FakeWindow();
        Load(SacBuilder());
        WriteFile(kDefaultName, c.old_bytes);
        window_.answers = c.answers;
        MakePsn(state_, window_);
        ASSERT_EQ(window_.questions.size(), c.questions);
        if (c.questions > 0) {
            EXPECT_EQ(window_.questions[0], "Do you want to overwrite 050201.030405.STAZ.psn ?");
        }
        Bytes now = ReadFileBytes(dir_ / kDefaultName);
        if (c.replaced) {
            EXPECT_EQ(now.size(), 232u + 400u);
            EXPECT_TRUE(window_.messages.empty());
            EXPECT_FALSE(window_.IsEnabled(Control::MakePsn));
        } else {
            EXPECT_EQ(now, c.old_bytes);
            EXPECT_EQ(window_.messages, std::vector<std::string>{"Overwrite aborted"});
            EXPECT_TRUE(window_.IsEnabled(Control::MakePsn));
            EXPECT_EQ(window_.status, "");
        }
        EXPECT_EQ(OutputFolder(), std::vector<std::string>{kDefaultName});
    }
    // After No, a second Make PSN asks again.
    window_.answers = {true};
    MakePsn(state_, window_);
    EXPECT_EQ(window_.questions.size(), 2u);
    EXPECT_EQ(ReadFileBytes(dir_ / kDefaultName).size(), 232u + 400u);
}

TEST_F(MakePsnTest, FailuresAreShownAndLeaveEverythingAsItWas) {
    struct Case {
        const char* what;
        std::function<void(SacBuilder&)> trace;
        std::function<void(AppState&, FakeWindow&)> after_load;
        std::vector<std::string> message_parts;
    };
    const Case cases[] = {
        {"blank component",
         [](SacBuilder& b) { b.Text(sac::text::KCMPNM, ""); },
         [](AppState&, FakeWindow&) {},
         {"KCMPNM is blank"}},
        {"milliseconds out of range",
         [](SacBuilder& b) { b.Int(sac::integer::NZMSEC, 5000); },
         [](AppState&, FakeWindow&) {},
         {"NZMSEC"}},
        {"zero interval",
         [](SacBuilder& b) { b.Real(sac::real::DELTA, 0.0f); },
         [](AppState&, FakeWindow&) {},
         {"DELTA"}},
        {"magnitude too large",
         [](SacBuilder& b) { b.Real(sac::real::MAG, 400.0f); },
         [](AppState&, FakeWindow&) {},
         {"MAG"}},
        // A failed Open lets the trace go and leaves Make PSN enabled.
        {"failed Open",
         [](SacBuilder&) {},
         [this](AppState& s, FakeWindow& w) { OpenTraceFile(s, w, traces_ / "missing.sac"); },
         {"No SAC trace is loaded"}},
        // A refused load keeps the previous trace's values beside another file.
        {"last load refused",
         [](SacBuilder&) {},
         [this](AppState& s, FakeWindow& w) {
             SacBuilder().Int(sac::integer::NZJDAY, 0).WriteTo(traces_ / "refused.sac");
             LoadSacFile(s, w, traces_ / "refused.sac");
             w.messages.clear();
         },
         {"No SAC trace is loaded"}},
        {"station name with a slash",
         [](SacBuilder& b) { b.Text(sac::text::KSTNM, "A/B"); },
         [](AppState&, FakeWindow&) {},
         {"050201.030405.A/BZ.psn"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window_ = FakeWindow();
        SacBuilder builder;
        c.trace(builder);
        Load(builder);
        c.after_load(state_, window_);
        MakePsn(state_, window_);
        ASSERT_EQ(window_.messages.size(), 1u);
        for (const std::string& part : c.message_parts) {
            EXPECT_NE(window_.messages[0].find(part), std::string::npos) << window_.messages[0];
        }
        EXPECT_TRUE(window_.questions.empty());
        EXPECT_TRUE(window_.IsEnabled(Control::MakePsn));
        EXPECT_TRUE(OutputFolder().empty());
        EXPECT_EQ(window_.status, "");
    }
}

TEST_F(MakePsnTest, AFailedWriteNamesTheFileAndTheReason) {
    // A folder standing where the file should go cannot be replaced.
    std::filesystem::create_directory(dir_ / kDefaultName);
    WriteFile(std::string(kDefaultName) + "/inside", {'k'});
    Load(SacBuilder());
    MakePsn(state_, window_);
    ASSERT_EQ(window_.messages.size(), 1u);
    EXPECT_NE(window_.messages[0].find(kDefaultName), std::string::npos) << window_.messages[0];
    EXPECT_NE(window_.messages[0].find(std::strerror(EISDIR)), std::string::npos);
    EXPECT_TRUE(window_.IsEnabled(Control::MakePsn));
    EXPECT_EQ(OutputFolder(), std::vector<std::string>{kDefaultName});
    EXPECT_EQ(ReadFileBytes(dir_ / kDefaultName / "inside"), Bytes{'k'});
}

}  // namespace
}  // namespace tremorline::app
