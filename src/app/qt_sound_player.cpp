// SPDX-License-Identifier: MIT
#include "app/qt_sound_player.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QDeadlineTimer>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>
#include <exception>
#include <optional>
#include <span>
#include <vector>

#include "sound/resampler.h"
#include "sound/wave_image.h"

namespace tremorline::app {

namespace {

constexpr int kWatchIntervalMs = 20;
// Once the output's position has passed the sound's end, the player lets the
// silence after it play for as long as the output may hold (its buffer, at
// least the first figure), plus the second, so that letting the sink go takes
// back nothing but silence.
constexpr qint64 kTrailMinimumUs = 200'000;
constexpr qint64 kTrailMarginUs = 50'000;
// When the output's position stops short of where it should be (one that
// never starts, say), the player waits this long beyond the sound still
// queued before it ends the sound regardless.
constexpr qint64 kEndGraceMs = 1000;
constexpr qint64 kBytesPerSample = 2;

QAudioFormat MonoInt16(int rate) {
    QAudioFormat format;
    format.setSampleRate(rate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

// 16-bit mono at the device's own rate, or at a common rate it takes.
std::optional<QAudioFormat> OutputFormat(const QAudioDevice& device) {
    for (int rate : {device.preferredFormat().sampleRate(), 48000, 44100}) {
        if (rate > 0) {
            QAudioFormat format = MonoInt16(rate);
            if (device.isFormatSupported(format)) {
                return format;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

// What the output pulls from: the image's samples converted to the output's
// rate, a few milliseconds per pull, then silence for as long as the output
// keeps pulling.
//
// The silence is what lets a sound be heard to its end. A sound server that
// renders ahead takes back what a stream had not yet played when the stream
// goes away, and a stream that runs dry loses the latency figures its
// position is worked out from. With silence behind it, the sound's last
// sample moves through the server like any other, the output's position
// stays true, and the player lets the sink go only once the end has been
// played, when all the server still holds is silence.
class ResampledAudioDevice : public QIODevice {
  public:
    ResampledAudioDevice(std::span<const unsigned char> pcm, std::int32_t play_rate,
                         std::int32_t output_rate)
        : resampler_(pcm, play_rate, output_rate) {}

    bool isSequential() const override { return true; }
    // Never at its end as far as the output can tell: Qt's PulseAudio output
    // would otherwise ask the server to drain and to call back into the
    // output object when done, which may come after the sink is gone.
    bool atEnd() const override { return false; }
    // The sound still to come; the output uses it to start a short sound as
    // soon as all of it is queued.
    qint64 bytesAvailable() const override {
        const std::uint64_t length = resampler_.OutputLength();
        const std::uint64_t left = length > written_ ? length - written_ : 0;
        return static_cast<qint64>(left) * kBytesPerSample + QIODevice::bytesAvailable();
    }
    qint64 size() const override { return bytesAvailable(); }

    // True once every sample of the sound has been handed to the output.
    bool SoundHandedOver() const { return resampler_.AtEnd(); }
    // Output samples of the sound (not of the silence after it) handed over.
    std::uint64_t SoundWritten() const { return written_; }
    // Why the conversion stopped early; empty while it works.
    const std::string& Failure() const { return failure_; }

  protected:
    qint64 readData(char* data, qint64 max_bytes) override {
        if (failed_ || max_bytes < kBytesPerSample) {
            return 0;
        }
        buffer_.resize(static_cast<std::size_t>(max_bytes / kBytesPerSample));
        std::size_t got = 0;
        try {
            got = resampler_.Read(buffer_);
        } catch (const std::exception& failure) {
            // Ends the sound here: no exception may reach the output's timer.
            failure_ = failure.what();
            failed_ = true;
            return 0;
        }
        written_ += got;
        std::fill(buffer_.begin() + static_cast<std::ptrdiff_t>(got), buffer_.end(),
                  std::int16_t{0});
        std::memcpy(data, buffer_.data(), buffer_.size() * sizeof(std::int16_t));
        return static_cast<qint64>(buffer_.size()) * kBytesPerSample;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    sound::Resampler resampler_;
    std::vector<std::int16_t> buffer_;
    std::uint64_t written_ = 0;
    bool failed_ = false;
    std::string failure_;
};

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent) {
    watch_.setInterval(kWatchIntervalMs);
    connect(&watch_, &QTimer::timeout, this, &QtSoundPlayer::Watch);
}

QtSoundPlayer::~QtSoundPlayer() {
    Release();
}

void QtSoundPlayer::Play(WaveImageBytes image) {
    // The old sound ends before its image may be released.
    Release();
    problem_.clear();
    heard_when_silent_ = 0;
    sample_count_ = 0;
    play_rate_ = 0;
    const auto pcm = image ? sound::ReadWaveImage(*image) : std::nullopt;
    if (!pcm) {
        problem_ = "This sound cannot be played";
        return;
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        problem_ = "No audio output is available";
        return;
    }
    const std::optional<QAudioFormat> format = OutputFormat(device);
    if (!format) {
        problem_ = "The audio output does not take 16-bit sound";
        return;
    }
    const std::span<const unsigned char> samples(image->data() + pcm->data_offset, pcm->data_size);
    try {
        source_ = std::make_unique<ResampledAudioDevice>(samples, pcm->rate, format->sampleRate());
    } catch (const std::exception& failure) {
        problem_ = failure.what();
        return;
    }
    source_->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    image_ = std::move(image);
    sample_count_ = samples.size() / kBytesPerSample;
    play_rate_ = pcm->rate;
    output_rate_ = format->sampleRate();
    sink_ = std::make_unique<QAudioSink>(device, *format);
    sink_->start(source_.get());
    if (sink_->error() != QAudio::NoError || sink_->state() == QAudio::StoppedState) {
        Release();
        problem_ = "The audio output would not start";
        return;
    }
    watch_.start();
}

void QtSoundPlayer::Stop() {
    if (IsPlaying()) {
        heard_when_silent_ = HeardSample();
    }
    // After the end only silence is left to cut.
    Release();
}

bool QtSoundPlayer::IsPlaying() const {
    return sink_ != nullptr && !trailing_;
}

std::size_t QtSoundPlayer::HeardSample() const {
    if (!IsPlaying()) {
        return heard_when_silent_;
    }
    // The output's processed time is what the sound server has taken from
    // it less the sink's own latency (Qt's PulseAudio output averages that
    // from the server's timing reports): the sound at the speaker, not the
    // sound handed over. The output's time maps to the image's samples through
    // the play rate whatever rate the output runs at.
    return sound::SampleHeardAfter(sink_->processedUSecs(), play_rate_, sample_count_);
}

std::string QtSoundPlayer::Problem() const {
    return problem_;
}

// The output tells its state by polling rather than by signals, so that the
// sink is never released from inside one of its own signals.
void QtSoundPlayer::Watch() {
    if (!sink_) {
        watch_.stop();
        return;
    }
    if (!source_->Failure().empty() || sink_->state() == QAudio::StoppedState) {
        if (trailing_) {
            // The sound has been heard; only its trailing silence is lost.
            Release();
            return;
        }
        // Only the output itself stops a sink this player still holds.
        problem_ =
            source_->Failure().empty() ? "The audio output stopped playing" : source_->Failure();
        heard_when_silent_ = HeardSample();
        Release();
        emit failed();
        return;
    }
    if (!source_->SoundHandedOver()) {
        return;
    }
    // Everything has been handed over. The end is heard once the output's
    // position reaches it; the sink goes once the position has also passed
    // what the output may hold beyond it. Each wait has a deadline, for an
    // output whose position never gets there, so a sound always ends.
    const qint64 heard_us = sink_->processedUSecs();
    const qint64 now_ms = QDeadlineTimer::current().deadline();
    const qint64 target_us = trailing_ ? release_at_us_ : end_us_;
    if (deadline_ms_ < 0) {
        end_us_ = static_cast<qint64>(source_->SoundWritten() * 1'000'000 /
                                      static_cast<std::uint64_t>(output_rate_));
        deadline_ms_ = now_ms + std::max<qint64>(0, end_us_ - heard_us) / 1000 + kEndGraceMs;
        return;
    }
    if (heard_us < target_us && now_ms < deadline_ms_) {
        return;
    }
    if (trailing_) {
        Release();
        return;
    }
    trailing_ = true;
    heard_when_silent_ = sample_count_;
    const qint64 buffer_us = sink_->bufferSize() * 1'000'000 / (kBytesPerSample * output_rate_);
    release_at_us_ = end_us_ + std::max(buffer_us, kTrailMinimumUs) + kTrailMarginUs;
    deadline_ms_ = now_ms + std::max<qint64>(0, release_at_us_ - heard_us) / 1000 + kEndGraceMs;
    emit ended();
}

void QtSoundPlayer::Release() {
    watch_.stop();
    trailing_ = false;
    deadline_ms_ = -1;
    // Taken out of the members first: a sink runs the event loop once as it
    // goes, and nothing reached from there may find it half released.
    std::unique_ptr<QAudioSink> sink = std::move(sink_);
    std::unique_ptr<ResampledAudioDevice> source = std::move(source_);
    WaveImageBytes image = std::move(image_);
    if (sink) {
        sink->disconnect(this);
        sink->stop();
        sink.reset();
    }
    source.reset();
    image.reset();
}

}  // namespace tremorline::app
