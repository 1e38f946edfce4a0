// SPDX-License-Identifier: MIT
// Plays through the window's real sound player while parec records the
// output's monitor, and checks what was heard. Run by audio_e2e.sh inside its
// own sound server with a null sink.
//
//   audio_e2e_player SAC_FILE RATE MONITOR_SOURCE   a real trace, heard bit for bit
//   audio_e2e_player --rates MONITOR_SOURCE        every kind of rate, converted
//   audio_e2e_player --whole MONITOR_SOURCE        long and short sounds heard whole
//   audio_e2e_player --stop MONITOR_SOURCE         Stop silences the sound
//   audio_e2e_player --silent                      images that cannot play stay silent
//   audio_e2e_player --no-output                   without a sound server
//
// With TREMORLINE_E2E_KEEP=DIR the recordings are left in DIR for a look at
// a failure.
//
// Exit 0: heard as sent (or silent as required); 1: not; 2: the run itself
// went wrong.

#include <soxr.h>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMediaDevices>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/qt_sound_player.h"
#include "app/sound_commands.h"
#include "app/trace_commands.h"
#include "sound/wave_header.h"
#include "sound/wave_image.h"
#include "support/fake_window.h"

namespace {

using tremorline::app::AppState;
using tremorline::app::QtSoundPlayer;
using tremorline::app::WaveImageBytes;
using Pcm = std::vector<std::int16_t>;

// Runs the event loop for `ms` milliseconds, so the sink keeps feeding.
void Pump(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

Pcm ReadPcm(const QString& path) {
    QFile file(path);
    Pcm pcm;
    if (!file.open(QIODevice::ReadOnly)) {
        return pcm;
    }
    const QByteArray bytes = file.readAll();
    pcm.resize(static_cast<std::size_t>(bytes.size()) / 2);
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        const auto lo = static_cast<unsigned char>(bytes[static_cast<qsizetype>(2 * i)]);
        const auto hi = static_cast<unsigned char>(bytes[static_cast<qsizetype>(2 * i + 1)]);
        pcm[i] = static_cast<std::int16_t>(lo | (hi << 8));
    }
    return pcm;
}

void Keep(const QString& recording, const QString& name) {
    if (const char* keep = std::getenv("TREMORLINE_E2E_KEEP")) {
        QFile::remove(QString(keep) + "/" + name);
        QFile::copy(recording, QString(keep) + "/" + name);
    }
}

int OutputRate() {
    return QMediaDevices::defaultAudioOutput().preferredFormat().sampleRate();
}

// parec on the monitor, at the output's rate, into a file.
class Recording {
  public:
    bool Start(const QString& monitor, int rate) {
        path_ = folder_.filePath("heard.raw");
        parec_.setStandardOutputFile(path_);
        parec_.start("parec", {"--device=" + monitor, "--format=s16le", "--channels=1",
                               "--rate=" + QString::number(rate), "--raw", "--latency-msec=10"});
        if (!parec_.waitForStarted(5000)) {
            std::fprintf(stderr, "parec did not start\n");
            return false;
        }
        // Play only once the monitor's data reaches the recording.
        QDeadlineTimer ready(10000);
        while (QFileInfo(path_).size() == 0 && !ready.hasExpired()) {
            Pump(20);
        }
        if (QFileInfo(path_).size() == 0) {
            std::fprintf(stderr, "parec recorded nothing\n");
            return false;
        }
        return true;
    }

    Pcm Finish(const QString& keep_as) {
        parec_.terminate();
        parec_.waitForFinished(5000);
        Keep(path_, keep_as);
        return ReadPcm(path_);
    }

  private:
    QTemporaryDir folder_;
    QString path_;
    QProcess parec_;
};

WaveImageBytes ImageOf(const Pcm& samples, std::int32_t rate) {
    tremorline::sound::WaveHeader header;
    tremorline::sound::BuildWaveHeader(header, static_cast<std::int32_t>(samples.size()));
    header.SampleRate = rate;
    header.ByteRate = 2 * rate;
    return std::make_shared<const std::vector<unsigned char>>(
        tremorline::sound::BuildPlayBuffer(header, samples));
}

Pcm Noise(std::size_t count, int amplitude) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> value(-amplitude, amplitude);
    Pcm samples(count);
    for (auto& s : samples) {
        s = static_cast<std::int16_t>(value(random));
    }
    return samples;
}

// Plays `image` to its end, checking on the way that the position heard only
// grows and ends at the sample count. Returns false on a failure.
bool PlayToTheEnd(QtSoundPlayer& player, WaveImageBytes image, std::size_t count, double* seconds) {
    QElapsedTimer clock;
    clock.start();
    player.Play(std::move(image));
    if (!player.IsPlaying()) {
        std::printf("FAIL: the player did not start: %s\n", player.Problem().c_str());
        return false;
    }
    std::size_t last = 0;
    bool ok = true;
    QDeadlineTimer limit(60000);
    while (player.IsPlaying() && !limit.hasExpired()) {
        Pump(5);
        const std::size_t heard = player.HeardSample();
        if (heard < last) {
            std::printf("FAIL: the position went back from %zu to %zu\n", last, heard);
            ok = false;
        }
        last = heard;
    }
    *seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    if (player.IsPlaying()) {
        std::printf("FAIL: the sound did not end\n");
        return false;
    }
    if (player.HeardSample() != count) {
        std::printf("FAIL: the sound ended at sample %zu of %zu\n", player.HeardSample(), count);
        ok = false;
    }
    return ok;
}

std::size_t FirstNonZero(const Pcm& pcm) {
    std::size_t i = 0;
    while (i < pcm.size() && pcm[i] == 0) {
        ++i;
    }
    return i;
}

std::size_t LastNonZero(const Pcm& pcm) {
    std::size_t i = pcm.size();
    while (i > 0 && pcm[i - 1] == 0) {
        --i;
    }
    return i;  // one past
}

// The samples at `to` Hz that libsoxr makes of `samples` at `from` Hz.
std::vector<float> Converted(const Pcm& samples, double from, double to) {
    std::vector<float> in(samples.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        in[i] = static_cast<float>(samples[i] / 32768.0);
    }
    std::vector<float> out(
        static_cast<std::size_t>(std::ceil(static_cast<double>(in.size()) * to / from)) + 64);
    std::size_t done = 0;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_oneshot(from, to, 1, in.data(), in.size(), nullptr, out.data(), out.size(), &done, &io,
                 &quality, nullptr);
    out.resize(done);
    for (float& v : out) {
        v *= 32768.0f;
    }
    return out;
}

// The best correlation of `expected` with the recording, for the sound
// starting up to `lead` samples before the recording's first sound (or 64
// after). Only what was recorded from that first sound on is compared.
double BestCorrelation(const Pcm& heard, const std::vector<float>& expected, std::size_t lead,
                       std::size_t* at) {
    const std::size_t first = FirstNonZero(heard);
    double best = -1;
    const std::size_t from = first > lead ? first - lead : 0;
    for (std::size_t lag = from; lag <= first + 64 && lag < heard.size(); ++lag) {
        const std::size_t n = std::min(expected.size(), heard.size() - lag);
        double xy = 0, xx = 0, yy = 0;
        for (std::size_t k = first > lag ? first - lag : 0; k < n; ++k) {
            const double x = heard[lag + k];
            const double y = expected[k];
            xy += x * y;
            xx += x * x;
            yy += y * y;
        }
        const double r = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
        if (r > best) {
            best = r;
            *at = lag;
        }
    }
    return best;
}

// One play rate into the output: pitch and speed (against libsoxr's own
// conversion), length, the position, and bit for bit when nothing converts.
int CheckRate(const QString& monitor, std::int32_t rate) {
    const int output = OutputRate();
    const auto count = static_cast<std::size_t>(std::max(4L, std::lround(1.5 * rate)));
    const Pcm sent = Noise(count, 12000);
    Recording recording;
    if (!recording.Start(monitor, output)) {
        return 2;
    }
    QtSoundPlayer player;
    double seconds = 0;
    const bool played = PlayToTheEnd(player, ImageOf(sent, rate), count, &seconds);
    Pump(300);  // what the sink took is still on its way through the server
    const Pcm heard = recording.Finish(QString("heard-%1-into-%2.raw").arg(rate).arg(output));
    if (!played) {
        return 1;
    }

    const double expected_length = static_cast<double>(count) * output / rate;
    const std::size_t first = FirstNonZero(heard);
    const std::size_t length = LastNonZero(heard) - std::min(first, LastNonZero(heard));
    // 5 %, plus the output's latency for a sound that has to wait for it.
    const double tolerance = 0.05 * expected_length + 0.1 * output;
    int status = 0;
    if (std::abs(static_cast<double>(length) - expected_length) > tolerance) {
        std::printf("FAIL: %d Hz into %d Hz: %zu samples heard, %.0f expected\n", rate, output,
                    length, expected_length);
        status = 1;
    }
    std::size_t at = 0;
    const double correlation = BestCorrelation(heard, Converted(sent, rate, output), 64, &at);
    if (correlation < 0.999) {
        std::printf("FAIL: %d Hz into %d Hz: correlation %.5f with the conversion\n", rate, output,
                    correlation);
        status = 1;
    }
    if (rate == output) {
        for (std::size_t i = 0; i < sent.size(); ++i) {
            if (at + i >= heard.size() || heard[at + i] != sent[i]) {
                std::printf("FAIL: %d Hz into %d Hz: sample %zu was sent as %d and heard as %d\n",
                            rate, output, i, sent[i], at + i < heard.size() ? heard[at + i] : 0);
                status = 1;
                break;
            }
        }
    }
    std::printf(
        "%s: %d Hz into %d Hz: %zu samples heard of %.0f, correlation %.5f%s, "
        "ended after %.2f s for %.2f s of sound\n",
        status == 0 ? "PASS" : "FAIL", rate, output, length, expected_length, correlation,
        rate == output ? ", bit for bit" : "", seconds, static_cast<double>(count) / rate);
    return status;
}

int CheckRates(const QString& monitor) {
    int status = 0;
    for (std::int32_t rate : {3, 10, 20, 49, 50, 8000, 44100, 400000}) {
        status = std::max(status, CheckRate(monitor, rate));
    }
    return status;
}

// Sounds long and short, on a sink that renders ahead and rewinds while
// another stream keeps it running, as on a desktop where something else
// plays: each is heard to within 20 ms of its end, whole, and the player says
// it has ended no sooner than it could have been heard. The other stream
// plays zeros, so the recording holds this sound alone.
//
// When a stream joins, such a sink takes back what it had rendered ahead to
// mix the newcomer in at once; its monitor cannot take back what it had
// already passed to the recording, so the recording may miss the first few
// milliseconds of a sound that the speaker would play. Up to 20 ms of the
// start may be missing for that reason alone.
int CheckWhole(const QString& monitor) {
    const int output = OutputRate();
    const auto tolerance = static_cast<std::size_t>(0.020 * output);
    const struct {
        std::size_t count;
        std::int32_t rate;
    } sounds[] = {{4000, 4000}, {300, 4000}, {3000, 44100}};
    int status = 0;
    for (const auto& sound : sounds) {
        const Pcm sent = Noise(sound.count, 12000);
        Recording recording;
        if (!recording.Start(monitor, output)) {
            return 2;
        }
        QtSoundPlayer player;
        int ended = 0;
        QObject::connect(&player, &QtSoundPlayer::ended, [&ended] { ++ended; });
        double seconds = 0;
        const bool played = PlayToTheEnd(player, ImageOf(sent, sound.rate), sound.count, &seconds);
        Pump(300);
        const Pcm heard =
            recording.Finish(QString("heard-whole-%1-at-%2.raw").arg(sound.count).arg(sound.rate));
        const std::vector<float> expected = Converted(sent, sound.rate, output);
        const double duration = static_cast<double>(sound.count) / sound.rate;
        std::size_t at = 0;
        const double correlation = BestCorrelation(heard, expected, tolerance, &at);
        const std::size_t first = FirstNonZero(heard);
        const std::size_t last = LastNonZero(heard);
        // Where the recorded sound starts and ends, in samples of the sound.
        const double start_ms =
            (static_cast<double>(first) - static_cast<double>(at)) * 1000 / output;
        const double end_ms = (static_cast<double>(last) - static_cast<double>(at)) * 1000 / output;
        const double length_ms = static_cast<double>(expected.size()) * 1000 / output;
        const bool ok = played && ended == 1 && seconds >= duration && first < heard.size() &&
                        correlation >= 0.99 && start_ms <= 20 && std::abs(end_ms - length_ms) <= 20;
        std::printf(
            "%s: %zu samples at %d Hz into %d Hz: heard from %.1f ms to %.1f ms of %.1f ms, "
            "correlation %.4f, ended %d time(s) after %.3f s\n",
            ok ? "PASS" : "FAIL", sound.count, sound.rate, output, start_ms, end_ms, length_ms,
            correlation, ended, seconds);
        if (!ok) {
            status = 1;
        }
    }
    return status;
}

// Stop mid-sound: the recording falls silent within 100 ms of the press.
// Where it falls silent is measured from where the player says it was.
int CheckStop(const QString& monitor) {
    const int output = OutputRate();
    const Pcm sent = Noise(10 * static_cast<std::size_t>(output), 12000);
    Recording recording;
    if (!recording.Start(monitor, output)) {
        return 2;
    }
    QtSoundPlayer player;
    player.Play(ImageOf(sent, output));
    if (!player.IsPlaying()) {
        std::printf("FAIL: the player did not start: %s\n", player.Problem().c_str());
        return 1;
    }
    Pump(1000);
    const std::size_t at_stop = player.HeardSample();
    player.Stop();
    const std::size_t after_stop = player.HeardSample();
    Pump(800);
    const Pcm heard = recording.Finish("heard-stop.raw");

    int status = 0;
    if (player.IsPlaying() || after_stop < at_stop || after_stop - at_stop > 64) {
        std::printf("FAIL: after Stop the player says %d at sample %zu (%zu before)\n",
                    player.IsPlaying(), after_stop, at_stop);
        status = 1;
    }
    const std::size_t first = FirstNonZero(heard);
    const std::size_t sounded = LastNonZero(heard) - std::min(first, LastNonZero(heard));
    const double late_ms =
        (static_cast<double>(sounded) - static_cast<double>(at_stop)) * 1000.0 / output;
    if (at_stop == 0 || late_ms > 100) {
        std::printf("FAIL: stopped at sample %zu, sound went on to %zu (%.0f ms)\n", at_stop,
                    sounded, late_ms);
        status = 1;
    }
    if (status == 0) {
        std::printf("PASS: stopped at sample %zu, silent %.0f ms later\n", at_stop, late_ms);
    }
    return status;
}

// A real trace through the commands at the output's own rate: every sample
// heard exactly as sent.
int CheckTrace(const std::string& trace, const QString& rate, const QString& monitor) {
    AppState state;
    tremorline::testing::FakeWindow window;
    state.TraceFileTitle = "trace.SAC";
    tremorline::app::LoadSacFile(state, window, trace);
    tremorline::app::SetUpSound(state, window);
    if (state.SoundState.WaveData.empty()) {
        std::fprintf(stderr, "the trace gave no sound: %s\n",
                     window.messages.empty() ? "" : window.messages.back().c_str());
        return 2;
    }
    Recording recording;
    if (!recording.Start(monitor, rate.toInt())) {
        return 2;
    }
    QtSoundPlayer player;
    window.combo1 = rate.toStdString();
    tremorline::app::PlaySound(state, window, player);
    if (!player.IsPlaying()) {
        std::fprintf(stderr, "the player did not start: %s\n", player.Problem().c_str());
        return 2;
    }
    QDeadlineTimer limit(60000);
    while (player.IsPlaying() && !limit.hasExpired()) {
        Pump(20);
    }
    Pump(300);
    const Pcm heard = recording.Finish("heard-trace.raw");
    const Pcm& sent = state.SoundState.WaveData;
    const std::size_t s0 = FirstNonZero(sent);
    const std::size_t h0 = FirstNonZero(heard);
    if (s0 == sent.size() || h0 == heard.size()) {
        std::printf("FAIL: nothing was heard (%zu samples recorded)\n", heard.size());
        return 1;
    }
    for (std::size_t i = s0; i < sent.size(); ++i) {
        const std::size_t h = h0 + (i - s0);
        if (h >= heard.size() || heard[h] != sent[i]) {
            std::printf("FAIL: sample %zu was sent as %d and heard as %d\n", i, sent[i],
                        h < heard.size() ? heard[h] : 0);
            return 1;
        }
    }
    std::printf("PASS: %zu samples of the trace heard bit for bit\n", sent.size() - s0);
    return 0;
}

// Images the player must refuse without a sound, saying why.
int CheckSilent() {
    auto image_at = [](std::int32_t rate, std::size_t keep_bytes) {
        WaveImageBytes image = ImageOf(Pcm(100, 1000), rate);
        auto bytes = *image;
        bytes.resize(keep_bytes);
        return std::make_shared<const std::vector<unsigned char>>(std::move(bytes));
    };
    const struct {
        const char* what;
        WaveImageBytes image;
    } cases[] = {
        {"no image", nullptr},
        {"rate 0", image_at(0, 244)},
        {"negative rate", image_at(-8000, 244)},
        {"cut short", image_at(8000, 100)},
    };
    QtSoundPlayer player;
    int status = 0;
    for (const auto& c : cases) {
        player.Play(c.image);
        Pump(50);
        if (player.IsPlaying() || player.Problem().empty()) {
            std::printf("FAIL: %s: playing %d, problem \"%s\"\n", c.what, player.IsPlaying(),
                        player.Problem().c_str());
            status = 1;
        }
    }
    if (status == 0) {
        std::printf("PASS: every unplayable image stayed silent and said why\n");
    }
    return status;
}

// Without any sound server a good image is silent, and the player says so.
int CheckNoOutput() {
    QtSoundPlayer player;
    player.Play(ImageOf(Pcm(8000, 1000), 8000));
    Pump(100);
    if (player.IsPlaying() || player.Problem() != "No audio output is available") {
        std::printf("FAIL: without output: playing %d, problem \"%s\"\n", player.IsPlaying(),
                    player.Problem().c_str());
        return 1;
    }
    player.Stop();  // harmless
    std::printf("PASS: without output the player says \"%s\"\n", player.Problem().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc == 2 && mode == "--silent") {
        return CheckSilent();
    }
    if (argc == 2 && mode == "--no-output") {
        return CheckNoOutput();
    }
    if (argc == 3 && mode == "--rates") {
        return CheckRates(argv[2]);
    }
    if (argc == 3 && mode == "--whole") {
        return CheckWhole(argv[2]);
    }
    if (argc == 3 && mode == "--stop") {
        return CheckStop(argv[2]);
    }
    if (argc == 4) {
        return CheckTrace(argv[1], argv[2], argv[3]);
    }
    std::fprintf(stderr,
                 "usage: audio_e2e_player SAC_FILE RATE MONITOR | --rates MONITOR | --stop MONITOR "
                 "| --silent | --no-output\n");
    return 2;
}
