// SPDX-License-Identifier: MIT
#pragma once

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace tremorline {

// A failure that ends a command. Its message is written for the user: it says
// what is wrong with the trace or the file in plain words, and is shown as it is.
class UserError : public std::runtime_error {
  public:
    explicit UserError(const std::string& message) : std::runtime_error(message) {}
};

// The reason to give the user for a failure: a UserError's own words, a plain
// sentence for memory that ran out, the library's message for anything else.
inline std::string FailureReason(const std::exception& failure) {
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
        return "There is not enough memory for this trace.";
    }
    return failure.what();
}

// `text` starting with a capital letter. The core's reasons follow a file
// name in the batch tool ("FILE: cannot filter: ..."); in a message box or
// on the status line they start a sentence.
inline std::string AsSentence(std::string text) {
    if (!text.empty() && text.front() >= 'a' && text.front() <= 'z') {
        text.front() = static_cast<char>(text.front() - 'a' + 'A');
    }
    return text;
}

}  // namespace tremorline
