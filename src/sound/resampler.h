// SPDX-License-Identifier: MIT
#pragma once

// The audio samples of a play, converted on the fly from the play rate to the
// rate the audio output runs at, as the output asks for them.
//
// The output pulls a few milliseconds at a time; each pull converts just that
// much. Nothing but small working buffers is held: the samples are read where
// they lie, in the play image, so a long trace is never copied whole.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace tremorline::sound {

class Resampler {
  public:
    // `pcm` holds the audio samples as 16-bit little-endian values (the data
    // of a WAVE image); it must outlive the Resampler. Both rates are samples
    // per second, from 1 up. Throws UserError when the conversion cannot be
    // set up.
    Resampler(std::span<const unsigned char> pcm, std::int32_t play_rate, std::int32_t output_rate);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // Fills `out` with the next output samples and says how many it wrote.
    // Fewer than out.size() only at the end of the sound; 0 once it is over.
    std::size_t Read(std::span<std::int16_t> out);

    // True once every output sample has been read.
    bool AtEnd() const;

    // The length of the whole converted sound, round(N * output / play), so
    // that N samples at the play rate last N / play_rate seconds. The samples
    // read in the end differ from it by at most a few.
    std::uint64_t OutputLength() const;

    // When the two rates are equal the samples pass through unchanged.
    bool PassesThrough() const;

  private:
    class Conversion;

    std::span<const unsigned char> pcm_;
    std::size_t sample_count_ = 0;
    std::size_t next_sample_ = 0;  // pass-through only
    std::uint64_t output_length_ = 0;
    std::unique_ptr<Conversion> conversion_;  // null when passing through
};

// The audio sample being heard after `microseconds` of a sound of
// `sample_count` samples played at `play_rate`: floor(t * rate), never past
// the end. Exact for any sound the program can make.
std::size_t SampleHeardAfter(std::int64_t microseconds, std::int32_t play_rate,
                             std::size_t sample_count);

}  // namespace tremorline::sound
