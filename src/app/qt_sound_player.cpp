#include "app/qt_sound_player.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include "sound/wave_image.h"

namespace tremorline::app {

QtSoundPlayer::QtSoundPlayer() = default;

QtSoundPlayer::~QtSoundPlayer() {
    Stop();
}

void QtSoundPlayer::Stop() {
    if (sink_) {
        sink_->stop();
        sink_.reset();
    }
    source_.close();
    source_.setData(QByteArray());
    pcm_.clear();
    image_.reset();
}

void QtSoundPlayer::Play(WaveImageBytes image) {
    // The old sound ends before its image may be released.
    Stop();
    if (!image) {
        return;
    }
    const auto pcm = sound::ReadWaveImage(*image);
    if (!pcm) {
        return;
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        return;
    }
    QAudioFormat format;
    format.setSampleRate(pcm->rate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (pcm->rate > device.maximumSampleRate() || pcm->rate < device.minimumSampleRate() ||
        !device.isFormatSupported(format)) {
        return;
    }
    image_ = std::move(image);
    pcm_ = QByteArray::fromRawData(reinterpret_cast<const char*>(image_->data() + pcm->data_offset),
                                   static_cast<qsizetype>(pcm->data_size));
    source_.setData(pcm_);
    if (!source_.open(QIODevice::ReadOnly)) {
        Stop();
        return;
    }
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->start(&source_);
    if (sink_->error() != QAudio::NoError) {
        Stop();
    }
}

bool QtSoundPlayer::IsPlaying() const {
    return sink_ && sink_->state() == QAudio::ActiveState;
}

}  // namespace tremorline::app
