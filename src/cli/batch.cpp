#include "cli/batch.h"

#include <exception>

namespace tremorline::cli {
namespace {

// One reason, one line: a line end inside a message would split the report.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

}  // namespace

int RunForEachFile(const std::vector<std::string>& files, const FileAction& action,
                   std::ostream& errors) {
    int status = 0;
    for (const std::string& file : files) {
        try {
            action(file);
        } catch (const std::exception& failure) {
            errors << file << ": " << OneLine(failure.what()) << '\n' << std::flush;
            status = kSomeFilesFailed;
        }
    }
    return status;
}

}  // namespace tremorline::cli
