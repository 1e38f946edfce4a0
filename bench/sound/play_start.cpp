// SPDX-License-Identifier: MIT
// How long starting a play of a big image holds the user-interface thread,
// beside building the image itself, and how much memory a play adds. Run
// inside a sound server with a null sink (bench/bench_sound.sh does).
//
//   bench_play_start [SAMPLES] [RUNS]

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/qt_sound_player.h"
#include "sound/wave_header.h"
#include "sound/wave_image.h"

namespace {

double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0 / 1e6;
}

void Pump(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const std::size_t samples = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;

    std::vector<std::int16_t> wave_data(samples);
    for (std::size_t i = 0; i < samples; ++i) {
        wave_data[i] = static_cast<std::int16_t>((i * 7919) % 20000) - 10000;
    }
    tremorline::sound::WaveHeader header;
    tremorline::sound::BuildWaveHeader(header, static_cast<std::int32_t>(samples));

    tremorline::app::QtSoundPlayer player;
    {  // the first play also opens the connection to the sound server
        tremorline::sound::WaveHeader empty;
        tremorline::sound::BuildWaveHeader(empty, 0);
        empty.SampleRate = 44100;
        auto tiny = std::make_shared<const std::vector<unsigned char>>(
            tremorline::sound::BuildPlayBuffer(empty, {}));
        QElapsedTimer clock;
        clock.start();
        player.Play(tiny);
        std::printf("first play of the run (server connection): %.1f ms\n",
                    static_cast<double>(clock.nsecsElapsed()) / 1e6);
        player.Stop();
    }
    std::printf("%12s %16s %14s %14s %12s\n", "play rate", "build image ms", "Play() ms best",
                "Play() ms worst", "+RSS MB");
    for (std::int32_t rate : {44100, 36000, 8000, 10, 1073741823}) {
        header.SampleRate = rate;
        header.ByteRate = 2 * rate;
        double best = 1e9, worst = 0, build_ms = 0, added = 0;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer clock;
            clock.start();
            auto image = std::make_shared<const std::vector<unsigned char>>(
                tremorline::sound::BuildPlayBuffer(header, wave_data));
            build_ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            const double before = ResidentMegabytes();
            clock.restart();
            player.Play(image);
            const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            if (!player.IsPlaying()) {
                std::fprintf(stderr, "the player did not start: %s\n", player.Problem().c_str());
                return 2;
            }
            image.reset();  // the player's share keeps it alive while it plays
            Pump(50);       // the first pulls: the converter's buffers are all there
            added = ResidentMegabytes() - before;
            Pump(450);
            player.Stop();
            best = std::min(best, ms);
            worst = std::max(worst, ms);
        }
        std::printf("%12d %16.1f %14.2f %14.2f %12.1f\n", rate, build_ms, best, worst, added);
    }
    return 0;
}
