// SPDX-License-Identifier: MIT
#include "cli/run_outputs.h"

#include <system_error>

#include "common/user_error.h"

namespace tremorline::cli {

std::filesystem::path RunOutputs::Key(const std::filesystem::path& output) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(output, error);
    return (error ? output : absolute).lexically_normal();
}

void RunOutputs::RequireUnwritten(const std::filesystem::path& output) const {
    const auto found = written_.find(Key(output));
    if (found != written_.end()) {
        throw UserError("not written: " + output.string() + " was already written from " +
                        found->second + " in this run");
    }
}

void RunOutputs::Written(const std::filesystem::path& output, const std::string& input) {
    written_.emplace(Key(output), input);
}

}  // namespace tremorline::cli
