// SPDX-License-Identifier: MIT
#include "cli/output_claims.h"

#include <system_error>

#include "common/user_error.h"

namespace tremorline::cli {

std::filesystem::path OutputClaims::Key(const std::filesystem::path& output) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(output, error);
    return (error ? output : absolute).lexically_normal();
}

std::vector<OutputClaims::Ticket> OutputClaims::Register(
    std::size_t task, const std::string& input, const std::vector<std::filesystem::path>& outputs) {
    std::vector<Ticket> tickets;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return registered_ == task; });
    for (const std::filesystem::path& output : outputs) {
        if (output.empty()) {
            tickets.push_back(nullptr);
            continue;
        }
        auto claim = std::make_shared<Claim>();
        claim->output = output;
        claim->input = input;
        std::vector<Ticket>& same = claims_[Key(output)];
        claim->earlier = same;
        same.push_back(claim);
        tickets.push_back(std::move(claim));
    }
    ++registered_;
    changed_.notify_all();
    return tickets;
}

void OutputClaims::Await(const Ticket& ticket) const {
    std::unique_lock lock(mutex_);
    for (const Ticket& earlier : ticket->earlier) {
        changed_.wait(lock, [&] { return earlier->finished; });
        if (earlier->wrote) {
            throw UserError("not written: " + ticket->output.string() +
                            " was already written from " + earlier->input + " in this run");
        }
    }
}

void OutputClaims::Finish(const Ticket& ticket, bool wrote) {
    if (!ticket) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (!ticket->finished) {
        ticket->finished = true;
        ticket->wrote = wrote;
        changed_.notify_all();
    }
}

}  // namespace tremorline::cli
