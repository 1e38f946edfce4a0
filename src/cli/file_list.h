// SPDX-License-Identifier: MIT
#pragma once

// The trace files of a run: named on the command line, listed in files
// (--files-from), and cut to one shard of the whole list (--shard K/N) so
// that N processes given the same list share the work between them.

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tremorline::cli {

// The paths in a list: one per line, or, with `null_separated`, ended by NUL
// bytes as `find -print0` writes them. A path is taken byte for byte (blanks,
// bytes that are not UTF-8, and with NUL separators line ends too); empty
// entries are skipped. Throws UserError when the stream cannot be read.
std::vector<std::string> ReadFileList(std::istream& list, bool null_separated);

// One shard of N: the K-th, counted from 1.
struct Shard {
    std::size_t index = 1;
    std::size_t count = 1;
};

// "K/N" with 1 <= K <= N, both whole numbers; nothing otherwise.
std::optional<Shard> ReadShard(std::string_view text);

// The entries whose 0-based position p in `files` has p mod N = K - 1.
std::vector<std::string> ShardOf(std::vector<std::string> files, const Shard& shard);

}  // namespace tremorline::cli
