// SPDX-License-Identifier: MIT
#pragma once

// Builds miniSEED files in memory for tests with the library's own record
// packer, so each case shows its channel, start, rate, encoding and samples
// beside its assertion.

#include <libmseed.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace tremorline::testing {

// Record encodings, as the record header numbers them.
enum class Encoding : std::int8_t {
    Int16 = DE_INT16,
    Int32 = DE_INT32,
    Float32 = DE_FLOAT32,
    Float64 = DE_FLOAT64,
    Steim1 = DE_STEIM1,
    Steim2 = DE_STEIM2,
};

struct RecordRun {
    std::string network = "XX";
    std::string station = "TEST";
    std::string location = "00";
    std::string channel = "BHZ";
    char quality = 'D';
    std::int64_t start = 1'299'822'383'000'000;  // 2011-03-11 05:46:23 UTC, in microseconds
    double rate = 20.0;
    Encoding encoding = Encoding::Steim2;
    int record_length = 512;
    // Samples to pack; whole numbers for the integer and compressed encodings.
    std::vector<double> samples;
};

// Packs one run of samples into as many records as it needs.
inline std::vector<unsigned char> PackRecords(const RecordRun& run) {
    std::vector<unsigned char> bytes;
    MSRecord* record = msr_init(nullptr);
    std::strncpy(record->network, run.network.c_str(), sizeof record->network - 1);
    std::strncpy(record->station, run.station.c_str(), sizeof record->station - 1);
    std::strncpy(record->location, run.location.c_str(), sizeof record->location - 1);
    std::strncpy(record->channel, run.channel.c_str(), sizeof record->channel - 1);
    record->dataquality = run.quality;
    record->starttime = run.start;
    record->samprate = run.rate;
    record->encoding = static_cast<std::int8_t>(run.encoding);
    record->byteorder = 1;
    record->reclen = run.record_length;

    std::vector<float> floats(run.samples.begin(), run.samples.end());
    std::vector<double> doubles(run.samples);
    std::vector<std::int32_t> integers(run.samples.size());
    for (std::size_t i = 0; i < integers.size(); ++i) {
        integers[i] = static_cast<std::int32_t>(run.samples[i]);
    }
    if (run.encoding == Encoding::Float32) {
        record->datasamples = floats.data();
        record->numsamples = static_cast<std::int64_t>(floats.size());
        record->sampletype = 'f';
    } else if (run.encoding == Encoding::Float64) {
        record->datasamples = doubles.data();
        record->numsamples = static_cast<std::int64_t>(doubles.size());
        record->sampletype = 'd';
    } else {
        record->datasamples = integers.data();
        record->numsamples = static_cast<std::int64_t>(integers.size());
        record->sampletype = 'i';
    }
    auto keep = [](char* data, int length, void* out) {
        auto* sink = static_cast<std::vector<unsigned char>*>(out);
        sink->insert(sink->end(), data, data + length);
    };
    std::int64_t packed = 0;
    const int records = msr_pack(record, keep, &bytes, &packed, 1, 0);
    record->datasamples = nullptr;  // owned by the vectors above
    msr_free(&record);
    if (records < 0) {
        throw std::runtime_error("cannot pack the test records");
    }
    return bytes;
}

// A wavy run of `count` samples, different for each `seed`.
inline std::vector<double> WavyIntegers(std::size_t count, std::int64_t amplitude, int seed = 1) {
    std::vector<double> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto x = static_cast<std::int64_t>(i);
        out[i] = static_cast<double>((x * 7919 * seed) % (2 * amplitude + 1) - amplitude);
    }
    return out;
}

}  // namespace tremorline::testing
