#pragma once

#include <stdexcept>
#include <string>

namespace tremorline {

// A failure that ends a command. Its message is written for the user: it says
// what is wrong with the trace or the file in plain words, and is shown as it is.
class UserError : public std::runtime_error {
  public:
    explicit UserError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tremorline
