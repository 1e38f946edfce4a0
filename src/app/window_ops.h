// SPDX-License-Identifier: MIT
#pragma once

// What the commands may ask of the main window, and of the sound player.
// Form1 implements these with Qt widgets; tests implement them with a
// scripted fake, so every command runs without a display.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/progress.h"

namespace tremorline::app {

// One line of the segment chooser: a continuous segment of a miniSEED file,
// its columns as shown.
struct SegmentRow {
    std::string source;   // "IU.COLA.00.LHZ"
    std::string start;    // time of the first sample
    std::string end;      // time of the last sample
    std::string samples;  // sample count
    std::string rate;     // "1 Hz"
    std::string before;   // the gap or overlap before it, empty for the first
};

// The header summary as Text1 shows it: the first line names the file in
// the system's encoding, the rest holds header texts as bytes (Latin-1).
struct SummaryText {
    std::string title;  // the first line, without its line end
    std::string body;   // every line after it, CR LF line ends
};

// Work too long to run on the window's thread (reading, scaling or writing
// a whole trace). It reports to the Progress and stops when asked.
using LongWork = std::function<void(const Progress& progress)>;

// The controls whose enabled state the commands change.
enum class Control { MakePsn, SetUpSound, PlaySound, SaveSound, StopSound };

class WindowOps {
  public:
    virtual ~WindowOps() = default;

    // Label1's caption: a file name or the raw command line.
    virtual void SetLabel1(const std::string& text) = 0;
    // Text1 showing a header summary.
    virtual void SetText1(const SummaryText& summary) = 0;
    // Text1's text when it is the program's own message, such as why an Open
    // failed: its paths and system messages are in the system's encoding.
    virtual void SetText1Message(const std::string& text) = 0;
    // A line that informs without interrupting (the status line), such as
    // the path of a file just written.
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void SetEnabled(Control control, bool enabled) = 0;
    virtual bool IsEnabled(Control control) const = 0;
    // Combo1's current text: the selected rate or what the user typed.
    virtual std::string Combo1Text() const = 0;
    // Puts `text` into Combo1's box; the list's items stay.
    virtual void SetCombo1Text(const std::string& text) = 0;
    // A modal message box captioned "Tremorline" with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // A modal Yes/No question, Yes the default, no icon. True for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // Runs `work` away from the window's thread and returns when it has
    // ended, so the window keeps drawing and the sound keeps playing
    // meanwhile. Work that takes more than about half a second gets a
    // progress bar titled `title` with a Cancel button; Cancel asks the work
    // to stop, and this then throws Cancelled. A failure of the work is
    // thrown here, on the window's thread. The work may call ShowMessage and
    // AskYesNo (they are asked on the window's thread); it must not touch
    // the window otherwise, nor anything the commands own.
    virtual void RunLong(const std::string& title, const LongWork& work) = 0;
    // The Open dialog; nothing when the user cancels.
    virtual std::optional<std::filesystem::path> ChooseTraceFile() = 0;
    // A modal list of the segments of a file holding several, the first
    // selected; the index of the row chosen, nothing when the user cancels.
    virtual std::optional<std::size_t> ChooseSegment(const std::vector<SegmentRow>& rows) = 0;
};

// A complete WAVE image in memory, shared with the player for as long as it
// plays, so it is never released under a playing sound.
using WaveImageBytes = std::shared_ptr<const std::vector<unsigned char>>;

class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    // Starts playing `image` in the background and returns at once. A sound
    // still playing stops first. An image that cannot be played is silent;
    // Problem() then says why.
    virtual void Play(WaveImageBytes image) = 0;
    // Silences the sound at once; nothing happens when none plays.
    virtual void Stop() = 0;
    // True from a Play that starts until the sound has been heard to its end,
    // is stopped or fails.
    virtual bool IsPlaying() const = 0;
    // The audio sample being heard, as an index into the image's audio
    // samples, taken from the output's own position: 0 at the start, growing
    // while the sound plays, the sample count once it has ended by itself,
    // and where it was when it was stopped. Cheap enough to ask for every
    // frame of a drawing.
    virtual std::size_t HeardSample() const = 0;
    // Why the last Play is silent or went silent, in words for the user
    // ("No audio output is available"); empty otherwise.
    virtual std::string Problem() const = 0;
};

}  // namespace tremorline::app
