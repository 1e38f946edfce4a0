// SPDX-License-Identifier: MIT
// Reading the filter a user asks for, fixing it for a trace, and every way a
// request or a trace is refused.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/user_error.h"
#include "dsp/filter_text.h"
#include "dsp/filtered_trace.h"
#include "dsp/trace_filter.h"

namespace tremorline::dsp {
namespace {

TEST(FilterText, ReadsKindsAndPresetsAndRefusesTheRest) {
    struct Row {
        const char* filter;
        std::optional<FilterKind> kind;  // nothing: refused
        double low;
        double high;
        const char* problem;  // part of the reason
    };
    const Row rows[] = {
        {"none", FilterKind::None, 0, 0, ""},
        {"bandpass:1:10", FilterKind::BandPass, 1, 10, ""},
        {"bandpass:0.01:1e-1", FilterKind::BandPass, 0.01, 0.1, ""},
        {"highpass:0.5", FilterKind::HighPass, 0.5, 0, ""},
        {"lowpass:2", FilterKind::LowPass, 0, 2, ""},
        {"local", FilterKind::BandPass, 1, 10, ""},
        {"teleseismic-p", FilterKind::BandPass, 0.7, 2, ""},
        {"surface-waves", FilterKind::BandPass, 0.01, 0.1, ""},
        {"microseism-cut", FilterKind::HighPass, 1, 0, ""},
        {"audible", FilterKind::Audible, 0, 0, ""},
        {"bandpass:10:1", std::nullopt, 0, 0, "is not below the upper corner"},
        {"bandpass:5:5", std::nullopt, 0, 0, "is not below the upper corner"},
        {"bandpass:0:5", std::nullopt, 0, 0, "\"0\" is not a positive number"},
        {"bandpass:-1:5", std::nullopt, 0, 0, "\"-1\" is not a positive number"},
        {"bandpass:1:nan", std::nullopt, 0, 0, "\"nan\" is not a positive number"},
        {"bandpass:1:inf", std::nullopt, 0, 0, "\"inf\" is not a positive number"},
        {"bandpass:1:10Hz", std::nullopt, 0, 0, "\"10Hz\" is not a positive number"},
        {"bandpass:1", std::nullopt, 0, 0, "written bandpass:FMIN:FMAX"},
        {"highpass", std::nullopt, 0, 0, "written highpass:F"},
        {"lowpass:1:2", std::nullopt, 0, 0, "written lowpass:F"},
        {"lowpass:", std::nullopt, 0, 0, "\"\" is not a positive number"},
        {"notch:50", std::nullopt, 0, 0, "unknown filter"},
        {"Local", std::nullopt, 0, 0, "unknown filter"},
        {"", std::nullopt, 0, 0, "unknown filter"},
        {"none:1", std::nullopt, 0, 0, "unknown filter"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.filter);
        const FilterTextReading reading = ReadFilterText(row.filter);
        if (!row.kind) {
            EXPECT_FALSE(reading.request);
            EXPECT_NE(reading.problem.find(row.problem), std::string::npos) << reading.problem;
            continue;
        }
        ASSERT_TRUE(reading.request) << reading.problem;
        EXPECT_EQ(reading.request->kind, *row.kind);
        EXPECT_EQ(reading.request->low, row.low);
        EXPECT_EQ(reading.request->high, row.high);
        EXPECT_EQ(reading.request->corners, 4);
        EXPECT_TRUE(reading.request->zero_phase);
    }
}

FilterRequest Request(const char* text, int corners = 4) {
    FilterRequest request = *ReadFilterText(text).request;
    request.corners = corners;
    return request;
}

TEST(FilterText, FixedForTheTraceOrRefusedForIt) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        const char* filter;
        int corners;
        double delta;
        std::optional<double> rate;
        const char* refusal;  // empty: accepted
        const char* description;
        const char* note;
    };
    const Row rows[] = {
        {"local", 4, 0.01, {}, "", "band-pass 1-10 Hz, 4 corners, zero phase", ""},
        // The band's top at or past Nyquist: a high-pass at the lower corner.
        {"local",
         2,
         0.05,
         {},
         "",
         "high-pass 1 Hz, 2 corners, zero phase",
         "the upper corner 10 Hz is not below the Nyquist frequency of this trace, 10 Hz: "
         "filtered with a high-pass at 1 Hz instead"},
        // 20 Hz / 80 to 20 kHz / 80, capped at Nyquist: a high-pass at 0.25 Hz.
        {"audible", 4, 1.0, 80.0, "", "high-pass 0.25 Hz, 4 corners, zero phase",
         "the upper corner 0.5 Hz is not below"},
        // 100 Hz data played at 8000: sped up 80 times, 0.25 Hz and up.
        {"audible", 4, 0.01, 8000.0, "", "high-pass 0.25 Hz, 4 corners, zero phase",
         "the upper corner 50 Hz"},
        {"bandpass:1:100000",
         1,
         0.01,
         {},
         "",
         "high-pass 1 Hz, 1 corner, zero phase",
         "the upper corner 100000 Hz"},
        // 1000 Hz data played at 44100: sped up 44.1 times, under Nyquist.
        {"audible", 4, 0.001, 44100.0, "", "band-pass 0.453515-453.515 Hz, 4 corners, zero phase",
         ""},
        {"lowpass:50",
         4,
         0.01,
         {},
         "the low-pass corner 50 Hz is not below the Nyquist frequency of this trace, 50 Hz",
         "",
         ""},
        {"highpass:60",
         4,
         0.01,
         {},
         "the high-pass corner 60 Hz is not below the Nyquist frequency",
         "",
         ""},
        {"bandpass:50:60",
         4,
         0.01,
         {},
         "the lower corner 50 Hz is not below the Nyquist frequency",
         "",
         ""},
        {"audible", 4, 0.01, 40.0, "the lower corner 50 Hz is not below", "", ""},
        {"audible", 4, 0.01, {}, "needs the rate", "", ""},
        {"local", 4, 0.0, {}, "DELTA (the sampling interval) is not a positive number", "", ""},
        {"local", 4, -0.01, {}, "DELTA (the sampling interval) is not a positive number", "", ""},
        {"local", 4, nan, {}, "DELTA (the sampling interval) is not a positive number", "", ""},
        {"local", 11, 0.01, {}, "give 1 to 10", "", ""},
        {"local", 0, 0.01, {}, "give 1 to 10", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.filter) + " at DELTA " + std::to_string(row.delta));
        if (*row.refusal != '\0') {
            try {
                FixFilter(Request(row.filter, row.corners), row.delta, row.rate);
                ADD_FAILURE() << "not refused";
            } catch (const UserError& error) {
                EXPECT_NE(std::string(error.what()).find(row.refusal), std::string::npos)
                    << error.what();
            }
            continue;
        }
        const TraceFilter filter = FixFilter(Request(row.filter, row.corners), row.delta, row.rate);
        EXPECT_EQ(filter.Description(), row.description);
        EXPECT_EQ(filter.note.substr(0, std::string(row.note).size()), row.note);
        EXPECT_EQ(filter.note.empty(), *row.note == '\0');
        EXPECT_EQ(filter.sections.size(), static_cast<std::size_t>(filter.band == BandKind::BandPass
                                                                       ? row.corners
                                                                       : (row.corners + 1) / 2));
    }
}

// A request is described before any trace fixes it, as the fixed filter
// will be, the audible band by name.
TEST(FilterText, RequestsAreDescribedAsTheirFilters) {
    const struct {
        const char* text;
        int corners;
        bool zero_phase;
        const char* description;
    } rows[] = {
        {"none", 4, true, "none"},
        {"local", 4, true, "band-pass 1-10 Hz, 4 corners, zero phase"},
        {"highpass:0.5", 1, false, "high-pass 0.5 Hz, 1 corner, causal"},
        {"lowpass:2", 2, true, "low-pass 2 Hz, 2 corners, zero phase"},
        {"audible", 6, false, "audible band, 6 corners, causal"},
    };
    for (const auto& row : rows) {
        FilterRequest request = *ReadFilterText(row.text).request;
        request.corners = row.corners;
        request.zero_phase = row.zero_phase;
        EXPECT_EQ(RequestDescription(request), row.description) << row.text;
    }
}

TEST(TraceFilter, RefusesSamplesThatAreNotFinite) {
    const TraceFilter filter = FixFilter(Request("local"), 0.01);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Row {
        std::vector<float> samples;
        const char* reason;
    };
    const Row rows[] = {
        {{1, nan, 2, 3}, "cannot filter: 1 sample is not a finite number."},
        {{inf, 1, -inf, nan}, "cannot filter: 3 samples are not finite numbers."},
        {{}, "cannot filter: the trace has no samples."},
    };
    for (const Row& row : rows) {
        const MemorySampleSource source(row.samples);
        for (const bool zero_phase : {false, true}) {
            TraceFilter f = filter;
            f.zero_phase = zero_phase;
            try {
                FilterTrace(source, f, Progress{});
                ADD_FAILURE() << "not refused";
            } catch (const UserError& error) {
                EXPECT_STREQ(error.what(), row.reason);
            }
        }
        try {
            CheckedMean(source, Progress{});
            ADD_FAILURE() << "not refused";
        } catch (const UserError& error) {
            EXPECT_STREQ(error.what(), row.reason);
        }
    }
}

// Whole, streamed, worked-out-as-read and zero-phase filtering of a trace
// agree with filtering its samples less their mean in memory.
TEST(TraceFilter, StreamedAndWholeAgree) {
    std::vector<float> samples(3 * kStreamBlock / 2 + 17);
    for (std::size_t n = 0; n < samples.size(); ++n) {
        samples[n] = static_cast<float>(1000.0 + 50.0 * std::sin(0.37 * static_cast<double>(n)) +
                                        static_cast<double>(n % 7));
    }
    const MemorySampleSource source(samples);
    double sum = 0.0;
    for (const float v : samples)
        sum += v;
    const double mean = sum / static_cast<double>(samples.size());
    EXPECT_EQ(CheckedMean(source, Progress{}), mean);

    for (const bool zero_phase : {false, true}) {
        TraceFilter filter = FixFilter(Request("local"), 0.01);
        filter.zero_phase = zero_phase;
        std::vector<double> expected(samples.begin(), samples.end());
        for (double& v : expected)
            v -= mean;
        FilterSamples(expected, filter.sections, zero_phase);
        const DoubleBuffer filtered = FilterTrace(source, filter, Progress{});
        EXPECT_TRUE(std::ranges::equal(filtered.span(), expected));
        if (!zero_phase) {
            std::vector<double> streamed;
            StreamCausal(
                source, filter, mean,
                [&](std::span<const double> block) {
                    streamed.insert(streamed.end(), block.begin(), block.end());
                },
                Progress{});
            EXPECT_EQ(streamed, expected);

            // Worked out as read: in uneven stretches across block edges,
            // twice over, and after a step back.
            trace::LoadedTrace trace;
            trace.samples = std::make_shared<MemorySampleSource>(samples);
            const trace::LoadedTrace viewed = FilteredForReading(trace, filter, Progress{});
            const std::vector<float> single = ToSingle(expected);
            std::vector<float> read(single.size());
            const std::size_t stretches[] = {1, kStreamBlock - 2, 5, kStreamBlock, 999};
            for (int pass = 0; pass < 2; ++pass) {
                std::size_t first = 0;
                for (std::size_t n = 0; first < read.size(); ++n) {
                    const std::size_t size = std::min(stretches[n % 5], read.size() - first);
                    viewed.samples->Read(first, std::span(read).subspan(first, size));
                    first += size;
                }
                EXPECT_EQ(read, single) << "pass " << pass;
            }
            std::vector<float> back(100);
            viewed.samples->Read(kStreamBlock + 3, back);
            EXPECT_TRUE(std::ranges::equal(back, std::span(single).subspan(kStreamBlock + 3, 100)));
        }
    }
}

}  // namespace
}  // namespace tremorline::dsp
