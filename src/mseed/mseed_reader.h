// SPDX-License-Identifier: MIT
#pragma once

// Reading a miniSEED file into continuous segments, each ready to be used as
// a SAC trace: the header and name the converted SAC file would have, and
// a source that decodes the segment's records into single-precision samples
// when they are read. Loading indexes the records; no segment's samples are
// held in memory.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/sample_source.h"
#include "mseed/segment_header.h"
#include "sac/sac_header.h"

namespace tremorline::mseed {

// Whether `head`, the first bytes of a file, begins with a miniSEED record
// header. A "no" is an answer, not a failure: the caller goes on to report
// an unknown data type. 48 bytes are the least that can say yes; a few
// kilobytes let the record length be found too.
bool LooksLikeMiniSeed(std::span<const unsigned char> head);

// LooksLikeMiniSeed on the first bytes of the file at `path`. A file that
// cannot be read, or is not a regular file, is not miniSEED.
bool IsMiniSeedFile(const std::filesystem::path& path);

// One continuous run of samples of one channel. A gap, an overlap, a change
// of sample rate or of quality code starts another segment.
struct Segment {
    SourceId source;
    Microseconds start = 0;  // time of the first sample
    Microseconds end = 0;    // time of the last sample
    double rate = 0.0;       // samples per second
    std::int32_t count = 0;  // samples, at least 1

    // Seconds missing between the previous segment of the same channel (in
    // time order) and this one: 0 when it follows on, negative for an
    // overlap. Empty for a channel's first segment.
    std::optional<double> gap_before;

    sac::SacHeader header;  // as the converted SAC file has it
    std::string title;      // the converted SAC file's name
    // Decodes the segment's records from the file, a stretch at a time, each
    // time its samples are read; the file stays open while this is held.
    std::shared_ptr<const SampleSource> samples;

    // What the reader warns of for this segment: warnings the library gave
    // while decoding its records, such as a failed integrity check of
    // compressed samples, each naming its record (the samples are kept as
    // decoded, as the conversion keeps them), and, on the segment of the
    // file's last whole record, what was left out of a file that ends in the
    // middle of a record.
    std::vector<std::string> notes;
};

// Reads every record of the file, one at a time, checks and decodes it, and
// splits the data into segments, in the order the channels and segments
// first appear in the file. Segments that would get the same file name are
// told apart as the conversion does it: the later ones get "-1", "-2", ...
// before ".SAC". A file that ends in the middle of a record (one still being
// written, or cut short) is read up to its last whole record, with a note.
//
// Throws UserError naming the file and the reason when the file cannot be
// read, holds a record that is corrupt or has an impossible sample rate or
// count, or has no whole record with samples at all.
std::vector<Segment> ReadMiniSeed(const std::filesystem::path& path);

// Why the first bytes of a file, `head`, are not the start of a miniSEED
// record, in words for the user ("it is shorter than a record header");
// empty when they are.
std::string WhyNotMiniSeed(std::span<const unsigned char> head);

}  // namespace tremorline::mseed
