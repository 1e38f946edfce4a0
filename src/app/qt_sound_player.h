#pragma once

// The sound player of the window: plays a WAVE image from memory on the
// default audio output with Qt Multimedia, in the background.

#include <QBuffer>
#include <QByteArray>
#include <memory>

#include "app/window_ops.h"

class QAudioSink;

namespace tremorline::app {

class QtSoundPlayer : public SoundPlayer {
  public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    QtSoundPlayer(const QtSoundPlayer&) = delete;
    QtSoundPlayer& operator=(const QtSoundPlayer&) = delete;

    // Stops the sound still playing, then starts `image` and returns at once.
    // An image that is not mono 16-bit PCM at a rate the default output
    // takes, or no output at all, gives silence and no report.
    void Play(WaveImageBytes image) override;

    // True while the audio of the last image is still being handed to the
    // output; the event loop must run for it to advance.
    bool IsPlaying() const;

  private:
    void Stop();

    // Declared in the order they are needed: the sink reads the buffer, the
    // buffer reads the image's bytes, so they are released sink first.
    WaveImageBytes image_;
    QByteArray pcm_;  // a view of the image's audio bytes, not a copy
    QBuffer source_;
    std::unique_ptr<QAudioSink> sink_;
};

}  // namespace tremorline::app
