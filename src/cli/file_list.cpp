// SPDX-License-Identifier: MIT
#include "cli/file_list.h"

#include <charconv>
#include <limits>

#include "common/user_error.h"

namespace tremorline::cli {

std::vector<std::string> ReadFileList(std::istream& list, bool null_separated) {
    std::vector<std::string> files;
    std::string entry;
    while (std::getline(list, entry, null_separated ? '\0' : '\n')) {
        if (!entry.empty()) {
            files.push_back(std::move(entry));
        }
        entry.clear();
    }
    if (list.bad()) {
        throw UserError("the list cannot be read");
    }
    return files;
}

std::optional<Shard> ReadShard(std::string_view text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    const auto number = [](std::string_view digits) -> std::optional<std::size_t> {
        std::size_t value = 0;
        const char* end = digits.data() + digits.size();
        if (digits.empty() || digits.front() < '0' || digits.front() > '9') {
            return std::nullopt;
        }
        const auto [stop, error] = std::from_chars(digits.data(), end, value);
        if (error != std::errc{} || stop != end) {
            return std::nullopt;
        }
        return value;
    };
    const std::optional<std::size_t> index = number(text.substr(0, slash));
    const std::optional<std::size_t> count = number(text.substr(slash + 1));
    if (!index || !count || *index < 1 || *index > *count) {
        return std::nullopt;
    }
    return Shard{*index, *count};
}

std::vector<std::string> ShardOf(std::vector<std::string> files, const Shard& shard) {
    std::vector<std::string> chosen;
    for (std::size_t p = shard.index - 1; p < files.size(); p += shard.count) {
        chosen.push_back(std::move(files[p]));
    }
    return chosen;
}

}  // namespace tremorline::cli
