// SPDX-License-Identifier: MIT
// The batch tool's run over many traces, as a process: several at once
// giving what one at a time gives, the one-output-per-name rule in the order
// of the files, file lists with odd names, shards, the JSON report, and each
// segment of a miniSEED file done on its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sac/sac_header.h"
#include "support/mseed_converter.h"
#include "support/run_cli.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::cli {
namespace {

namespace fs = std::filesystem;
using testing::CliSetup;
using testing::ReadFileBytes;
using testing::RunCli;
using testing::RunResult;
using testing::SacBuilder;
using testing::TempDir;

using Folder = std::map<std::string, std::vector<unsigned char>>;

Folder FolderFiles(const fs::path& folder) {
    Folder files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] = ReadFileBytes(entry.path());
    }
    return files;
}

void EmptyFolder(const fs::path& folder) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        fs::remove_all(entry.path());
    }
}

// A varying trace of `count` samples whose station is `station`.
SacBuilder Trace(const std::string& station, std::size_t count, float step = 1.0f) {
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<float>(i % 97) * step - 40.0f;
    }
    return SacBuilder().Text(sac::text::KSTNM, station).Samples(samples);
}

std::vector<std::string> With(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

// Traces that exercise the run: a large one first (so that later ones end
// sooner), names shared between traces, a flat trace (no sound), a missing
// file, a damaged one, and a miniSEED file of two segments where installed.
struct Batch {
    TempDir dir;
    std::vector<std::string> files;

    Batch() {
        const auto add = [&](const std::string& name, const SacBuilder& builder) {
            builder.WriteTo(dir / name);
            files.push_back((dir / name).string());
        };
        add("BIG.BHZ", Trace("BIG", 3'000'000));
        add("ANMO.BHZ", Trace("ANMO", 5000).Text(sac::text::KCMPNM, "BHZ"));
        add("ANMO.BHN", Trace("ANMO", 7000).Text(sac::text::KCMPNM, "BHN"));
        add("flat.sac", SacBuilder().Text(sac::text::KSTNM, "FLAT"));
        files.push_back((dir / "missing.sac").string());
        SacBuilder::WriteBytes(dir / "short.sac", std::vector<unsigned char>(100, 1));
        files.push_back((dir / "short.sac").string());
        add("ANMO.BHE", Trace("ANMO", 6000).Text(sac::text::KCMPNM, "BHZ"));
        add("late.sac", Trace("LATE", 300));
        if (const auto example = testing::FindExampleRecord()) {
            testing::WriteBytes(dir / "gap.mseed",
                                testing::MakeExampleVariants(ReadFileBytes(*example)).gap);
            files.push_back((dir / "gap.mseed").string());
        }
    }
};

TEST(CliJobs, SeveralAtOnceGiveExactlyWhatOneAtATimeGives) {
    const Batch batch;
    TempDir out;
    const std::vector<std::vector<std::string>> commands = {
        {"summary"},
        {"psn", "--output-dir", out.path().string()},
        {"wav", "--rate", "100", "--output-dir", out.path().string()},
        {"plot", "--size", "300x120", "--output-dir", out.path().string()},
    };
    for (const std::vector<std::string>& command : commands) {
        SCOPED_TRACE(command[0]);
        EmptyFolder(out.path());
        const RunResult one = RunCli(With(With(command, {"-j", "1"}), batch.files));
        const Folder written = FolderFiles(out.path());
        EXPECT_EQ(one.status, 1);
        EXPECT_FALSE(one.err.empty());
        for (const char* jobs : {"2", "3"}) {
            EmptyFolder(out.path());
            const RunResult many = RunCli(With(With(command, {"--jobs", jobs}), batch.files));
            EXPECT_EQ(many.status, one.status) << jobs;
            EXPECT_EQ(many.out, one.out) << jobs;
            EXPECT_EQ(many.err, one.err) << jobs;
            EXPECT_TRUE(FolderFiles(out.path()) == written) << jobs;
        }
    }
}

// Which trace writes a shared name is decided in the order of the files,
// however long each takes: the first that writes it, and only that one.
TEST(CliJobs, TheEarlierFileWinsASharedName) {
    TempDir dir;
    Trace("SLOW", 3'000'000).WriteTo(dir / "ANMO.BHZ");
    Trace("QUICK", 500).WriteTo(dir / "ANMO.BHN");
    SacBuilder().WriteTo(dir / "ANMO.BHE");  // flat: no sound, writes nothing
    const std::string slow = (dir / "ANMO.BHZ").string();
    const std::string quick = (dir / "ANMO.BHN").string();
    const std::string flat = (dir / "ANMO.BHE").string();
    struct Case {
        std::vector<std::string> files;
        std::string winner;
    };
    const Case cases[] = {
        {{slow, quick}, slow},
        {{quick, slow}, quick},
        {{flat, quick, slow}, quick},  // a trace that fails claims nothing
    };
    for (const Case& c : cases) {
        for (const char* jobs : {"1", "3"}) {
            SCOPED_TRACE(c.files.front() + " first, -j " + jobs);
            TempDir out;
            const fs::path wav = out / "ANMO.wav";
            const RunResult run = RunCli(
                With({"wav", "--rate", "100", "-j", jobs, "--output-dir", out.path().string()},
                     c.files));
            EXPECT_EQ(run.status, 1);
            std::string expected_out = c.winner + ": wrote " + wav.string() + "\n";
            EXPECT_EQ(run.out, expected_out);
            for (const std::string& file : c.files) {
                if (file != c.winner && file != flat) {
                    EXPECT_NE(
                        run.err.find(file + ": not written: " + wav.string() +
                                     " was already written from " + c.winner + " in this run\n"),
                        std::string::npos)
                        << run.err;
                }
            }
            TempDir alone;
            ASSERT_EQ(
                RunCli({"wav", "--rate", "100", "--output-dir", alone.path().string(), c.winner})
                    .status,
                0);
            EXPECT_TRUE(ReadFileBytes(wav) == ReadFileBytes(alone / "ANMO.wav"));
        }
    }
}

// The file names that summaries of traces alike but for their names begin
// with, in order: each summary is its file's name, then a body of one
// length, starting with the ORIGIN line.
std::vector<std::string> SummaryTitles(const std::string& out) {
    std::vector<std::string> titles;
    const std::size_t last = out.rfind("\nORIGIN: ");
    if (last == std::string::npos) {
        return titles;
    }
    const std::size_t body = out.size() - last;
    for (std::size_t at = 0; at < out.size();) {
        const std::size_t origin = out.find("\nORIGIN: ", at);
        titles.push_back(out.substr(at, origin - at));
        at = origin + body;
    }
    return titles;
}

TEST(CliFileLists, NamesWithBlanksLineEndsAndOtherBytesAreTakenWhole) {
    TempDir dir;
    const std::vector<std::string> names = {"plain.sac", "with blank.sac", "Ã©té.sac",
                                            std::string("latin\xe9\xff.sac"), "-dash.sac"};
    const std::string newline = "line\nend.sac";
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        Trace("STA", 10).WriteTo(dir / name);
        paths.push_back((dir / name).string());
    }
    Trace("STA", 10).WriteTo(dir / newline);

    std::string lines;
    std::string nul_ended;
    for (const std::string& path : paths) {
        lines += path + "\n";
        nul_ended += path + '\0';
    }
    nul_ended += (dir / newline).string() + '\0';
    testing::WriteBytes(dir / "list.txt", std::vector<unsigned char>(lines.begin(), lines.end()));
    testing::WriteBytes(dir / "list0",
                        std::vector<unsigned char>(nul_ended.begin(), nul_ended.end()));

    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        std::string input;
        std::vector<std::string> titles;
    };
    std::vector<std::string> all = names;
    all.push_back(newline);
    const Case cases[] = {
        {"a list file", {"--files-from", (dir / "list.txt").string()}, "", names},
        {"standard input, NUL-ended", {"-0", "--files-from", "-"}, nul_ended, all},
        {"arguments first, then the list",
         {"--files-from", "-", paths[1], paths[4]},
         lines.substr(0, lines.find('\n') + 1),
         {names[1], names[4], names[0]}},
        {"an empty list does nothing", {"--files-from", "/dev/null"}, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult run = RunCli(With({"summary", "-j", "2"}, c.arguments), {c.input});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(SummaryTitles(run.out), c.titles);
    }
    const RunResult unreadable = RunCli({"summary", "--files-from", (dir / "none").string()});
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_NE(unreadable.err.find("--files-from " + (dir / "none").string()), std::string::npos)
        << unreadable.err;
}

TEST(CliShards, ShardsOfOneListDoEveryFileExactlyOnce) {
    TempDir dir;
    std::string list;
    std::vector<std::string> names;
    for (int i = 0; i < 7; ++i) {
        names.push_back("t" + std::to_string(i) + ".sac");
        Trace("S" + std::to_string(i), 10).WriteTo(dir / names.back());
        list += (dir / names.back()).string() + "\n";
    }
    testing::WriteBytes(dir / "list", std::vector<unsigned char>(list.begin(), list.end()));
    for (const int count : {1, 3, 7, 9}) {
        std::multiset<std::string> done;
        for (int index = 1; index <= count; ++index) {
            const std::string shard = std::to_string(index) + "/" + std::to_string(count);
            const RunResult run =
                RunCli({"summary", "--files-from", (dir / "list").string(), "--shard", shard});
            ASSERT_EQ(run.status, 0) << shard << run.err;
            std::vector<std::string> expected;
            for (std::size_t p = static_cast<std::size_t>(index - 1); p < names.size();
                 p += static_cast<std::size_t>(count)) {
                expected.push_back(names[p]);
            }
            const std::vector<std::string> titles = SummaryTitles(run.out);
            EXPECT_EQ(titles, expected) << shard;
            done.insert(titles.begin(), titles.end());
        }
        EXPECT_EQ(done, std::multiset<std::string>(names.begin(), names.end())) << count;
    }
    for (const char* bad : {"0/3", "4/3", "3", "1/0", "a/b", "-1/3", "1/3x"}) {
        const RunResult run = RunCli({"summary", (dir / names[0]).string(), "--shard", bad});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_EQ(run.out, "") << bad;
    }
}

// Parses each line of `report` with Python's json module and gives each
// object back as one line, its "seconds" checked and left out, other
// fields in order, non-ASCII characters as \u escapes.
std::string ParsedReport(const fs::path& report) {
    const std::string command =
        "/usr/bin/python3 -c 'import json,sys\n"
        "for line in open(sys.argv[1], \"rb\").read().split(b\"\\n\")[:-1]:\n"
        "    o = json.loads(line)\n"
        "    assert isinstance(o.pop(\"seconds\"), float)\n"
        "    print(json.dumps(o, ensure_ascii=True))' '" +
        report.string() + "'";
    std::string parsed;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run python3";
        return parsed;
    }
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        parsed.append(buffer, got);
    }
    EXPECT_EQ(::pclose(pipe), 0) << "a report line does not parse";
    return parsed;
}

TEST(CliReport, EveryLineParsesWhateverBytesThePathsHold) {
    TempDir dir;
    TempDir out;
    Trace("ONE", 50).WriteTo(dir / "q\"b\\s\x01.sac");
    Trace("TWO", 50).WriteTo(dir / "n\xe9\xff.sac");
    const std::string odd = (dir / "q\"b\\s\x01.sac").string();
    const std::string latin = (dir / "n\xe9\xff.sac").string();
    const std::string missing = (dir / "missing.sac").string();
    const std::string report = (out / "report.jsonl").string();
    const std::string escaped_dir = dir.path().string();  // plain ASCII
    const std::string one = (out / "050201.030405.ONEZ.psn").string();
    const std::string two = (out / "050201.030405.TWOZ.psn").string();
    { std::ofstream(two) << "old"; }

    const RunResult run = RunCli({"psn", "-j", "2", "--output-dir", out.path().string(), "--report",
                                  report, odd, latin, missing});
    EXPECT_EQ(run.status, 1);
    const std::string parsed = ParsedReport(report);
    const std::string expected = "{\"input\": \"" + escaped_dir +
                                 "/q\\\"b\\\\s\\u0001.sac\", \"segment\": null, "
                                 "\"output\": \"" +
                                 one + "\", \"status\": \"written\", \"message\": \"wrote " + one +
                                 "\"}\n"
                                 "{\"input\": \"" +
                                 escaped_dir +
                                 "/n\\u00e9\\u00ff.sac\", \"segment\": null, "
                                 "\"output\": \"" +
                                 two + "\", \"status\": \"kept\", \"message\": \"kept " + two +
                                 " (it already holds data; --force replaces it)\"}\n";
    EXPECT_EQ(parsed.substr(0, expected.size()), expected) << parsed;
    EXPECT_NE(parsed.find("{\"input\": \"" + missing +
                          "\", \"segment\": null, \"output\": null, \"status\": \"failed\", "
                          "\"message\": \""),
              std::string::npos)
        << parsed;

    // To standard output, the report takes the place of the "wrote" lines.
    fs::remove(one);
    const RunResult to_stdout =
        RunCli({"psn", "--output-dir", out.path().string(), "--report", "-", odd});
    EXPECT_EQ(to_stdout.status, 0) << to_stdout.err;
    EXPECT_TRUE(to_stdout.out.starts_with("{\"input\":")) << to_stdout.out;
    EXPECT_EQ(std::count(to_stdout.out.begin(), to_stdout.out.end(), '\n'), 1);
    const RunResult summary = RunCli({"summary", "--report", "-", odd});
    EXPECT_EQ(summary.status, 2);
    EXPECT_EQ(summary.out, "");
}

// One segment that cannot be written leaves the file's other segments to be
// done: the gap file's first segment has the whole record's PSN name.
TEST(CliSegments, EachSegmentIsDoneOnItsOwn) {
    const auto example = testing::FindExampleRecord();
    if (!example) {
        GTEST_SKIP() << "libmseed's example record test.mseed is not installed";
    }
    TempDir dir;
    TempDir out;
    const std::string gap = (dir / "gap.mseed").string();
    testing::WriteBytes(gap, testing::MakeExampleVariants(ReadFileBytes(*example)).gap);
    const RunResult run =
        RunCli({"psn", "--output-dir", out.path().string(), example->string(), gap});
    EXPECT_EQ(run.status, 1);
    std::istringstream lines(run.out);
    std::vector<std::string> wrote;
    for (std::string line; std::getline(lines, line);) {
        wrote.push_back(line.substr(0, line.find(": ")));
    }
    EXPECT_EQ(wrote, (std::vector<std::string>{example->string(), gap})) << run.out;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(run.err.starts_with(gap + ": not written: ")) << run.err;
    EXPECT_EQ(FolderFiles(out.path()).size(), 2u);
}

}  // namespace
}  // namespace tremorline::cli
