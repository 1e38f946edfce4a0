// SPDX-License-Identifier: MIT
#pragma once

// The sound player of the window: plays a WAVE image from memory on the
// default audio output with Qt Multimedia, in the background.
//
// The output is opened as the device likes it (its preferred rate, 16-bit
// mono), and the image's samples are converted to that rate as the output
// pulls them, so every play rate sounds at the pitch and speed it names.
//
// A sound is heard to its last sample however short it is: at its natural
// end the output plays on in silence until the end has passed the speaker.
// Only Stop, or a new Play, cuts a sound short.

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>

#include "app/window_ops.h"

class QAudioSink;

namespace tremorline::app {

class ResampledAudioDevice;

class QtSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT

  public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;
    QtSoundPlayer(const QtSoundPlayer&) = delete;
    QtSoundPlayer& operator=(const QtSoundPlayer&) = delete;

    // SoundPlayer. The event loop must run for a sound to advance.
    void Play(WaveImageBytes image) override;
    void Stop() override;
    bool IsPlaying() const override;
    std::size_t HeardSample() const override;
    std::string Problem() const override;

    // The rate the output runs at for the current or last sound (0 before).
    std::int32_t OutputRate() const { return output_rate_; }

  signals:
    // The sound has been heard to its end (HeardSample() is its length).
    void ended();
    // The output gave up while playing; Problem() says so.
    void failed();

  private:
    void Watch();
    // Lets the sink go (the sound ends if it still plays): the sink goes
    // first, then what it reads from.
    void Release();

    // Declared in the order they are needed: the sink reads the device, the
    // device reads the image's bytes.
    WaveImageBytes image_;
    std::unique_ptr<ResampledAudioDevice> source_;
    std::unique_ptr<QAudioSink> sink_;
    QTimer watch_;  // follows the sink while a sound plays

    std::size_t sample_count_ = 0;
    std::int32_t play_rate_ = 0;
    std::int32_t output_rate_ = 0;
    std::size_t heard_when_silent_ = 0;  // the position once no sound plays
    std::string problem_;
    // Once all of the sound is handed over: where it ends in the output's
    // time, and when to stop waiting for the output's position to get there.
    qint64 end_us_ = 0;
    qint64 deadline_ms_ = -1;
    // After the end has been heard the sink plays on, silent, until the
    // output's position passes `release_at_us_`: what the server still holds
    // then is silence alone.
    bool trailing_ = false;
    qint64 release_at_us_ = 0;
};

}  // namespace tremorline::app
