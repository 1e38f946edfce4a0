// SPDX-License-Identifier: MIT
#pragma once

// The Debian miniSEED-to-SAC converter and libmseed's example record, when
// installed, and the gap and overlap variants of that record that the tests
// compare against the converter's output.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tremorline::testing {

inline std::optional<std::filesystem::path> FindConverter() {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin";
    std::size_t from = 0;
    while (from <= folders.size()) {
        const std::size_t to = std::min(folders.find(':', from), folders.size());
        const std::filesystem::path candidate =
            std::filesystem::path(folders.substr(from, to - from)) / "mseed2sac";
        if (std::filesystem::is_regular_file(candidate)) {
            return candidate;
        }
        from = to + 1;
    }
    return std::nullopt;
}

inline std::optional<std::filesystem::path> FindExampleRecord() {
    for (const char* package : {"libmseed-doc", "libmseed-dev"}) {
        const std::filesystem::path file =
            std::filesystem::path("/usr/share/doc") / package / "examples/test.mseed";
        if (std::filesystem::is_regular_file(file)) {
            return file;
        }
    }
    return std::nullopt;
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Runs the converter on `input` inside `folder` (made if missing); true when
// it succeeded.
inline bool RunConverter(const std::filesystem::path& converter, const std::filesystem::path& input,
                         const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const std::string command = "cd '" + folder.string() + "' && '" + converter.string() +
                                "' -f 3 '" + input.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// The example record's 512-byte records rearranged: record 10 left out makes
// a gap; record 10 twice makes an overlap.
struct ExampleVariants {
    std::vector<unsigned char> gap;
    std::vector<unsigned char> overlap;
};

// The bytes of `parts` one after another, in a vector sized once.
inline std::vector<unsigned char> Joined(
    std::initializer_list<std::span<const unsigned char>> parts) {
    std::size_t size = 0;
    for (const auto part : parts) {
        size += part.size();
    }
    std::vector<unsigned char> joined(size);
    auto out = joined.begin();
    for (const auto part : parts) {
        out = std::copy(part.begin(), part.end(), out);
    }
    return joined;
}

inline ExampleVariants MakeExampleVariants(const std::vector<unsigned char>& bytes) {
    constexpr std::size_t kRecord = 512;
    const std::span<const unsigned char> all(bytes);
    const auto first = [&](std::size_t n) { return all.first(std::min(all.size(), n * kRecord)); };
    const auto from = [&](std::size_t n) { return all.subspan(std::min(all.size(), n * kRecord)); };
    return {Joined({first(10), from(11)}), Joined({first(11), from(10)})};
}

}  // namespace tremorline::testing
