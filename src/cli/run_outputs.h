// SPDX-License-Identifier: MIT
#pragma once

// The files one run of the batch tool has written. Two traces can map to one
// output name (test.sac and test.sac.swap give the same PSN name; ANMO.BHZ,
// ANMO.BHN and ANMO.BHE the same .wav name): without this record the second
// would quietly replace the first and both would be reported as written.
// Every command that writes files asks before writing and records what it
// wrote, so that no output is written twice in one run.

#include <filesystem>
#include <map>
#include <string>

namespace tremorline::cli {

class RunOutputs {
  public:
    // Throws UserError "not written: OUTPUT was already written from FILE in
    // this run" when `output` was written earlier in this run.
    void RequireUnwritten(const std::filesystem::path& output) const;

    // Records that `output` was written from the trace file `input` (named as
    // the user gave it).
    void Written(const std::filesystem::path& output, const std::string& input);

  private:
    // Keyed by the output's absolute, normalised path, so that two spellings
    // of one folder count as one.
    static std::filesystem::path Key(const std::filesystem::path& output);

    std::map<std::filesystem::path, std::string> written_;
};

}  // namespace tremorline::cli
