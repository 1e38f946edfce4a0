// Plays a trace through the window's real sound player while parec records
// the output's monitor, then checks that the recording holds the trace's
// audio samples. Run by audio_e2e.sh inside its own sound server.
//
//   audio_e2e_player SAC_FILE RATE MONITOR_SOURCE
//   audio_e2e_player --silent RATE
//
// The second form hands the player images it must not play (and, at RATE, a
// good image, for a run without any sound server) and checks that each stays
// silent without failing.
//
// With TREMORLINE_E2E_KEEP=DIR the recording and the samples sent are left
// in DIR (heard.raw, sent.raw) for a look at a failure.
//
// Exit 0: heard as sent (or silent as required); 1: not; 2: the run itself
// went wrong.

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// Runs the event loop for `ms` milliseconds, so the sink keeps feeding.
void Pump(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

std::vector<std::int16_t> ReadPcm(const QString& path) {
    QFile file(path);
    std::vector<std::int16_t> pcm;
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

std::size_t FirstNonZero(const std::vector<std::int16_t>& pcm) {
    std::size_t i = 0;
    while (i < pcm.size() && pcm[i] == 0) {
        ++i;
    }
    return i;
}

// The recording must hold every sent sample from the first non-zero one on,
// in order, each within one step (exactly, unless the server rescales).
int Compare(const std::vector<std::int16_t>& sent, const std::vector<std::int16_t>& heard) {
    const std::size_t s0 = FirstNonZero(sent);
    const std::size_t h0 = FirstNonZero(heard);
    if (s0 == sent.size() || h0 == heard.size()) {
        std::printf("FAIL: nothing was heard (%zu samples recorded)\n", heard.size());
        return 1;
    }
    const std::size_t run = sent.size() - s0;
    if (heard.size() - h0 < run) {
        std::printf("FAIL: the recording holds %zu of the %zu samples sent\n", heard.size() - h0,
                    run);
        return 1;
    }
    std::size_t exact = 0;
    for (std::size_t i = 0; i < run; ++i) {
        const int difference = std::abs(sent[s0 + i] - heard[h0 + i]);
        if (difference > 1) {
            std::printf("FAIL: sample %zu was sent as %d and heard as %d\n", s0 + i, sent[s0 + i],
                        heard[h0 + i]);
            return 1;
        }
        exact += difference == 0 ? 1 : 0;
    }
    std::printf("PASS: %zu samples heard as sent (%zu exactly), from recorded sample %zu\n", run,
                exact, h0);
    return 0;
}

tremorline::app::WaveImageBytes ImageAt(std::int32_t rate, std::size_t keep_bytes = 0) {
    tremorline::sound::WaveHeader header;
    tremorline::sound::BuildWaveHeader(header, 100);
    header.SampleRate = rate;  // ByteRate is not read by the player
    std::vector<std::int16_t> data(100, 1000);
    auto image = tremorline::sound::BuildPlayBuffer(header, data);
    if (keep_bytes > 0) {
        image.resize(keep_bytes);
    }
    return std::make_shared<const std::vector<unsigned char>>(std::move(image));
}

int CheckSilent(std::int32_t rate) {
    const struct {
        const char* what;
        tremorline::app::WaveImageBytes image;
    } cases[] = {
        {"no image", nullptr},
        {"rate 0", ImageAt(0)},
        {"negative rate", ImageAt(-8000)},
        {"absurd rate", ImageAt(1000000000)},
        {"cut short", ImageAt(8000, 100)},
        {"the given rate", ImageAt(rate)},
    };
    QtSoundPlayer player;
    int status = 0;
    for (const auto& c : cases) {
        player.Play(c.image);
        Pump(100);
        if (player.IsPlaying()) {
            std::printf("FAIL: %s is playing\n", c.what);
            status = 1;
        }
    }
    if (status == 0) {
        std::printf("PASS: every image stayed silent\n");
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--silent") {
        return CheckSilent(std::atoi(argv[2]));
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: audio_e2e_player SAC_FILE RATE MONITOR_SOURCE\n");
        return 2;
    }
    const std::string trace = argv[1];
    const QString rate = argv[2];
    const QString monitor = argv[3];

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

    QTemporaryDir folder;
    const QString recording = folder.filePath("heard.raw");
    QProcess parec;
    parec.setStandardOutputFile(recording);
    parec.start("parec", {"--device=" + monitor, "--format=s16le", "--channels=1", "--rate=" + rate,
                          "--raw"});
    if (!parec.waitForStarted(5000)) {
        std::fprintf(stderr, "parec did not start\n");
        return 2;
    }
    // Play only once the monitor's data reaches the recording.
    QDeadlineTimer ready(10000);
    while (QFileInfo(recording).size() == 0 && !ready.hasExpired()) {
        Pump(50);
    }
    if (QFileInfo(recording).size() == 0) {
        std::fprintf(stderr, "parec recorded nothing\n");
        return 2;
    }

    QtSoundPlayer player;
    window.combo1 = rate.toStdString();
    tremorline::app::PlaySound(state, window, player);
    if (!player.IsPlaying()) {
        std::fprintf(stderr, "the player did not start (no output device?)\n");
        return 2;
    }
    QDeadlineTimer limit(60000);
    while (player.IsPlaying() && !limit.hasExpired()) {
        Pump(20);
    }
    // What the sink took is still on its way through the server.
    Pump(1500);
    parec.terminate();
    parec.waitForFinished(5000);

    const std::vector<std::int16_t> heard = ReadPcm(recording);
    if (const char* keep = std::getenv("TREMORLINE_E2E_KEEP")) {
        QFile::copy(recording, QString(keep) + "/heard.raw");
        QFile sent(QString(keep) + "/sent.raw");
        if (sent.open(QIODevice::WriteOnly)) {
            sent.write(reinterpret_cast<const char*>(state.SoundState.WaveData.data()),
                       static_cast<qsizetype>(2 * state.SoundState.WaveData.size()));
        }
    }
    return Compare(state.SoundState.WaveData, heard);
}
