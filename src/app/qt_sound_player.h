// SPDX-License-Identifier: MIT
#pragma once

// The sound player of the window: plays a WAVE image from memory on the
// default audio output with Qt Multimedia, in the background.
//
// The output is opened as the device likes it (its preferred rate, 16-bit
// mono), and the image's samples are converted to that rate as the output
// pulls them, so every play rate sounds at the pitch and speed it names.

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
    // Ends the sound: the sink goes first, then what it reads from.
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
    qint64 end_deadline_ms_ = -1;  // once all is handed over: when to stop waiting for the end
};

}  // namespace tremorline::app
