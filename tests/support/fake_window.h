// SPDX-License-Identifier: MIT
#pragma once

// A scripted stand-in for the main window: it records what the commands show
// and answers their questions from a script, so commands run without Qt.

#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "app/window_ops.h"

namespace tremorline::testing {

class FakeWindow : public app::WindowOps {
  public:
    std::string label1;
    std::string text1;
    std::string status;
    std::string combo1 = "0";
    std::map<app::Control, bool> enabled = {{app::Control::MakePsn, false},
                                            {app::Control::SetUpSound, false},
                                            {app::Control::PlaySound, false},
                                            {app::Control::SaveSound, false},
                                            {app::Control::StopSound, false}};
    std::vector<std::string> messages;   // every message box, in order
    std::vector<std::string> questions;  // every Yes/No question, in order
    std::deque<bool> answers;            // scripted answers; an empty script answers No
    std::deque<std::optional<std::filesystem::path>> chosen_files;  // empty: cancel
    std::vector<std::vector<app::SegmentRow>> segment_lists;        // every chooser shown
    std::deque<std::optional<std::size_t>> chosen_segments;         // empty: cancel
    std::vector<std::string> long_work;  // the title of every long step run, in order
    // When set, the user cancels every long step as soon as it reports.
    bool cancel_long_work = false;

    void SetLabel1(const std::string& text) override { label1 = text; }
    void SetText1(const app::SummaryText& summary) override {
        text1 = summary.title + "\r\n" + summary.body;
    }
    void SetText1Message(const std::string& text) override { text1 = text; }
    void ShowStatus(const std::string& text) override { status = text; }
    void SetEnabled(app::Control control, bool on) override { enabled[control] = on; }
    bool IsEnabled(app::Control control) const override { return enabled.at(control); }
    std::string Combo1Text() const override { return combo1; }
    void SetCombo1Text(const std::string& text) override { combo1 = text; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) {
            return false;
        }
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void RunLong(const std::string& title, const app::LongWork& work) override {
        long_work.push_back(title);
        std::stop_source stop;
        if (cancel_long_work) {
            stop.request_stop();
        }
        const Progress progress(stop.get_token());
        work(progress);
    }
    std::optional<std::filesystem::path> ChooseTraceFile() override {
        if (chosen_files.empty()) {
            return std::nullopt;
        }
        auto choice = chosen_files.front();
        chosen_files.pop_front();
        return choice;
    }
    std::optional<std::size_t> ChooseSegment(const std::vector<app::SegmentRow>& rows) override {
        segment_lists.push_back(rows);
        if (chosen_segments.empty()) {
            return std::nullopt;
        }
        auto choice = chosen_segments.front();
        chosen_segments.pop_front();
        return choice;
    }
};

// Records every image handed to it and plays nothing. Whether a play
// starts, and what it is heard at, are set by the test.
class FakePlayer : public app::SoundPlayer {
  public:
    std::vector<app::WaveImageBytes> played;
    int stops = 0;                                         // calls of Stop
    bool starts = true;                                    // whether the next Play starts a sound
    std::string refusal = "No audio output is available";  // Problem() when it does not
    bool playing = false;
    std::size_t heard = 0;
    mutable int asked = 0;  // how often the position or the state was asked for

    void Play(app::WaveImageBytes image) override {
        played.push_back(std::move(image));
        playing = starts;
        heard = 0;
    }
    void Stop() override {
        ++stops;
        playing = false;
    }
    bool IsPlaying() const override {
        ++asked;
        return playing;
    }
    std::size_t HeardSample() const override {
        ++asked;
        return heard;
    }
    std::string Problem() const override { return playing || starts ? "" : refusal; }
};

}  // namespace tremorline::testing
