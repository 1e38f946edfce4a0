// SPDX-License-Identifier: MIT
#include "cli/wav_command.h"

#include <iostream>
#include <memory>
#include <vector>

#include "cli/batch.h"
#include "sound/make_sound.h"
#include "sound/play_rate.h"
#include "sound/wave_header.h"
#include "sound/wave_image.h"

namespace tremorline::cli {
namespace {

constexpr const char* kDescription = "Write each trace as a 16-bit mono WAVE file";

constexpr const char* kExplanation =
    R"(For each FILE in turn, writes the WAVE file that the window's Save Sound
writes for it after one Set Up Sound and one Play Sound at rate R, byte for
byte, into DIR (the current folder by default). Nothing is played.

The samples are centred on their mean and scaled so that the largest
deviation becomes +-32760. The file is named after the trace file with
".wav" in place of its last four characters: event.SAC gives event.wav;
each segment of a miniSEED file is named as its converted SAC file would
be, IU.COLA.00.LHZ.M.2010.058.065000.wav. An
existing file of that name is replaced whole; a failure leaves it unchanged.
No name is written twice in one run: of ANMO.BHZ, ANMO.BHN and ANMO.BHE only
the first is written as ANMO.wav, and the others get "FILE: not written:
PATH was already written from OTHER in this run".

R is a whole number of samples per second (a decimal number is rounded, half
to even), 1 to 1073741823. One line on standard output per trace, "FILE:
wrote PATH". A trace that cannot be read, does not vary (all samples equal,
or only one), holds samples that are not finite, is too long for a WAVE
file, or whose name was already written in this run, gets one line on
standard error, "FILE: reason"; the other files are still done. A bad R, or
a DIR that is missing or cannot be written, is reported once, before any
trace is read. The exit status is 0 when no trace failed, 1 otherwise, and
2 for a usage error.)";

// What is wrong with the value of --rate, in the option's terms.
std::string RateOptionProblem(const sound::PlayRateReading& reading, const std::string& text) {
    std::string problem;
    switch (reading.kind) {
        case sound::PlayRateKind::Zero:
            problem = "is no rate";
            break;
        case sound::PlayRateKind::Negative:
            problem = "is negative";
            break;
        case sound::PlayRateKind::TooLarge:
            problem = "is too large";
            break;
        case sound::PlayRateKind::NotANumber:
        case sound::PlayRateKind::Rate:
            problem = "is not a number";
            break;
    }
    return "--rate \"" + text + "\" " + problem +
           ": give a whole number of samples per second from 1 to " +
           std::to_string(sound::kMaxPlayRate) + ", such as 8000";
}

}  // namespace

void WriteWavForTrace(const std::string& file, std::int32_t rate,
                      const std::optional<RequestedSpan>& span,
                      const std::filesystem::path& output_dir, RunOutputs& outputs,
                      std::ostream& report) {
    for (const trace::LoadedTrace& whole : LoadTraces(file, std::cerr)) {
        const trace::LoadedTrace trace = CutToSpan(whole, span);
        // Checked before the samples are read: the name comes from the title.
        outputs.RequireUnwritten(output_dir / sound::WaveFileName(trace.title));
        sound::BuiltSound sound = sound::BuildSound(trace, sound::WaveHeader{});
        sound::SetPlayRate(sound.header, rate);
        const std::filesystem::path written =
            sound::SaveSoundFile(output_dir, trace.title, sound.header, sound.wave_data);
        outputs.Written(written, file);
        report << file << ": wrote " << written.string() << '\n';
    }
}

void AddWavCommand(CLI::App& app) {
    struct Options {
        std::vector<std::string> files;
        std::string rate;
        std::string output_dir;
        SpanOptions span;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("wav", kDescription);
    command->footer(std::string(kExplanation) + kSpanExplanation);
    command
        ->add_option("FILE", options->files,
                     "SAC (binary, either byte order) or miniSEED trace files")
        ->required();
    command->add_option("--rate", options->rate, "Sample rate of the sound, samples per second")
        ->option_text("R")
        ->required();
    command
        ->add_option("--output-dir", options->output_dir,
                     "Folder for the WAVE files (default: the current folder)")
        ->option_text("DIR");
    AddSpanOptions(*command, options->span);
    command->callback([options] {
        const sound::PlayRateReading reading = sound::ReadPlayRate(options->rate);
        if (reading.kind != sound::PlayRateKind::Rate) {
            throw CLI::ValidationError(RateOptionProblem(reading, options->rate));
        }
        const std::optional<RequestedSpan> span = ReadSpanOptions(options->span);
        RequireOutputFolder(options->output_dir);
        RunOutputs outputs;
        RunBatch(options->files, [&](const std::string& file) {
            WriteWavForTrace(file, reading.rate, span, options->output_dir, outputs, std::cout);
        });
    });
}

}  // namespace tremorline::cli
