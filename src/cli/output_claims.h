// SPDX-License-Identifier: MIT
#pragma once

// One output per name in a run. Two traces can map to one output name
// (test.sac and test.sac.swap give the same PSN name; ANMO.BHZ, ANMO.BHN and
// ANMO.BHE the same .wav name): without this record the second would quietly
// replace the first and both would be reported as written.
//
// The rule is that of a run doing one trace after another: a trace whose
// output an earlier trace wrote is not written. When traces are worked on at
// once, each trace registers its outputs in the order of the files, and the
// work on an output waits until every earlier trace naming it is done, so
// that the same traces are written as one after another.

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tremorline::cli {

class OutputClaims {
  public:
    // Where an output of a trace stands among those naming it.
    struct Claim;
    using Ticket = std::shared_ptr<Claim>;

    // Registers the outputs of the `task`-th trace file (counted from 0),
    // named by `input`, one per segment (empty: none for that segment).
    // Waits until every earlier file has registered its own; every file
    // must register, with no outputs when it has none, so that the later
    // ones go on. Gives one ticket per entry of `outputs` (empty for none).
    std::vector<Ticket> Register(std::size_t task, const std::string& input,
                                 const std::vector<std::filesystem::path>& outputs);

    // Waits until every earlier claim on the ticket's output is finished and
    // throws UserError "not written: OUTPUT was already written from FILE in
    // this run" when one of them wrote it.
    void Await(const Ticket& ticket) const;

    // Records that the work on the ticket's output is done, and whether it
    // wrote the file. A ticket is finished once; later calls do nothing.
    void Finish(const Ticket& ticket, bool wrote);

  private:
    // The output's absolute, normalised path, so that two spellings of one
    // folder count as one.
    static std::filesystem::path Key(const std::filesystem::path& output);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::size_t registered_ = 0;  // files registered so far, in order
    std::map<std::filesystem::path, std::vector<Ticket>> claims_;
};

struct OutputClaims::Claim {
    std::filesystem::path output;
    std::string input;
    std::vector<Ticket> earlier;  // the claims on the same output before this one
    bool finished = false;
    bool wrote = false;
};

}  // namespace tremorline::cli
