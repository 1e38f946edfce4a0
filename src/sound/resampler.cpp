// SPDX-License-Identifier: MIT
#include "sound/resampler.h"

#include <soxr.h>

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <vector>

#include "common/byte_order.h"
#include "common/user_error.h"

namespace tremorline::sound {
namespace {

constexpr std::size_t kBytesPerSample = 2;
// soxr takes its float input in [-1, 1) and writes 16-bit output scaled back
// by the same factor, so a sample that passes through keeps its value.
constexpr double kFullScale = 32768.0;
// Input handed to soxr per call: small enough to stay in the cache, large
// enough that the per-call cost does not show.
constexpr std::size_t kInputChunk = 4096;
// Beyond this ratio of play rate to output rate, the samples are first
// thinned out by a cheap integer decimator (see BoxDecimator), so that soxr
// does its careful filtering on a stream at most 32 times the output rate.
constexpr double kDecimateAbove = 64.0;
constexpr double kRatioLeftToSoxr = 16.0;
// The decimator's sums are exact in 64 bits up to this factor (below).
constexpr std::uint32_t kMaxDecimation = 32768;
// Input samples a decimating refill works through before it hands over what
// it has: bounds the work of one pull at extreme ratios.
constexpr std::size_t kDecimatorInputBudget = 65536;

std::int16_t SampleAt(std::span<const unsigned char> pcm, std::size_t index) {
    return static_cast<std::int16_t>(LoadLE16(pcm.data() + kBytesPerSample * index));
}

// Three cascaded moving sums of `factor` samples, read once every `factor`
// samples: a third-order cascaded integrator-comb decimator. Its response is
// a box filter cubed; it passes the band soxr keeps (at most 1/32 of its
// output rate) within 0.2 dB and folds back what lies above by less than
// -70 dB, at three additions per input sample.
//
// The integrators wrap around in 64-bit unsigned arithmetic, which is exact
// for the comb differences as long as a true output fits: at most
// factor^3 * 32768 in magnitude, below 2^63 for factors up to 32768.
//
// Output j is centred on input sample j * factor (the filter's delay is taken
// out), so the decimated stream keeps the time line of the original; input
// beyond the last sample counts as silence.
class BoxDecimator {
  public:
    BoxDecimator(std::span<const unsigned char> pcm, std::size_t sample_count, std::uint32_t factor)
        : pcm_(pcm),
          sample_count_(sample_count),
          factor_(factor),
          outputs_((sample_count + factor - 1) / factor),
          scale_(1.0 / (kFullScale * static_cast<double>(factor) * factor * factor)) {
        // Centre of the 3 * factor - 2 taps, rounded up for an even factor.
        const std::uint64_t centre = (3 * static_cast<std::uint64_t>(factor) - 2) / 2;
        phase_ = static_cast<std::uint32_t>(centre % factor);
        skip_ = centre / factor;
        countdown_ = phase_;
    }

    bool Done() const { return emitted_ == outputs_; }

    // Appends decimated samples to `out` until it holds `limit` or the input
    // budget is spent (after at least one sample), or the stream ends.
    void Fill(std::vector<float>& out, std::size_t limit) {
        std::size_t worked = 0;
        while (!Done() && out.size() < limit) {
            const std::int64_t x = next_ < sample_count_ ? SampleAt(pcm_, next_) : 0;
            ++next_;
            ++worked;
            i1_ += static_cast<std::uint64_t>(x);
            i2_ += i1_;
            i3_ += i2_;
            if (countdown_ > 0) {
                --countdown_;
                continue;
            }
            countdown_ = factor_ - 1;
            const std::uint64_t comb = i3_ - 3 * history_[0] + 3 * history_[1] - history_[2];
            history_ = {i3_, history_[0], history_[1]};
            if (skip_ > 0) {
                --skip_;
                continue;
            }
            out.push_back(
                static_cast<float>(static_cast<double>(static_cast<std::int64_t>(comb)) * scale_));
            ++emitted_;
            if (worked >= kDecimatorInputBudget) {
                break;
            }
        }
    }

  private:
    std::span<const unsigned char> pcm_;
    std::size_t sample_count_;
    std::uint32_t factor_;
    std::uint64_t outputs_;
    double scale_;
    std::uint32_t phase_ = 0;
    std::uint64_t skip_ = 0;  // comb outputs centred before sample 0
    std::uint32_t countdown_ = 0;
    std::size_t next_ = 0;
    std::uint64_t emitted_ = 0;
    std::uint64_t i1_ = 0, i2_ = 0, i3_ = 0;
    std::array<std::uint64_t, 3> history_{};  // i3 one, two and three reads ago
};

std::uint32_t DecimationFactor(double ratio) {
    if (ratio <= kDecimateAbove) {
        return 1;
    }
    return static_cast<std::uint32_t>(
        std::min(static_cast<double>(kMaxDecimation), ratio / kRatioLeftToSoxr));
}

}  // namespace

// The soxr stream and what feeds it.
class Resampler::Conversion {
  public:
    Conversion(std::span<const unsigned char> pcm, std::size_t sample_count, double play_rate,
               double output_rate)
        : pcm_(pcm), sample_count_(sample_count) {
        const std::uint32_t factor = DecimationFactor(play_rate / output_rate);
        if (factor > 1) {
            decimator_ = std::make_unique<BoxDecimator>(pcm, sample_count, factor);
        }
        soxr_error_t error = nullptr;
        soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_INT16_I);
        io.flags |= SOXR_NO_DITHER;  // the same samples always sound the same
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
        soxr_ = soxr_create(play_rate / factor, output_rate, 1, &error, &io, &quality, &runtime);
        if (error != nullptr || soxr_ == nullptr) {
            throw UserError(std::string("The sound cannot be converted to the output's rate: ") +
                            (error != nullptr ? error : "no converter"));
        }
        input_.reserve(kInputChunk);
    }

    ~Conversion() { soxr_delete(soxr_); }
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    bool AtEnd() const { return finished_; }

    std::size_t Read(std::span<std::int16_t> out) {
        std::size_t produced = 0;
        while (produced < out.size() && !finished_) {
            if (input_first_ == input_.size()) {
                Refill();
            }
            // No input left: soxr is told so and hands out what it still holds.
            const bool flushing = input_first_ == input_.size();
            std::size_t consumed = 0;
            std::size_t written = 0;
            const soxr_error_t error =
                soxr_process(soxr_, flushing ? nullptr : input_.data() + input_first_,
                             input_.size() - input_first_, &consumed, out.data() + produced,
                             out.size() - produced, &written);
            if (error != nullptr) {
                throw UserError(std::string("The sound conversion failed: ") + error);
            }
            input_first_ += consumed;
            produced += written;
            finished_ = flushing && written == 0;
        }
        return produced;
    }

  private:
    void Refill() {
        input_.clear();
        input_first_ = 0;
        if (decimator_) {
            decimator_->Fill(input_, kInputChunk);
            return;
        }
        const std::size_t count = std::min(kInputChunk, sample_count_ - next_);
        for (std::size_t i = 0; i < count; ++i) {
            input_.push_back(static_cast<float>(SampleAt(pcm_, next_ + i) / kFullScale));
        }
        next_ += count;
    }

    std::span<const unsigned char> pcm_;
    std::size_t sample_count_;
    std::size_t next_ = 0;  // next sample to hand to soxr, when not decimating
    std::unique_ptr<BoxDecimator> decimator_;
    soxr_t soxr_ = nullptr;
    std::vector<float> input_;  // handed to soxr from input_first_ on
    std::size_t input_first_ = 0;
    bool finished_ = false;
};

Resampler::Resampler(std::span<const unsigned char> pcm, std::int32_t play_rate,
                     std::int32_t output_rate)
    : pcm_(pcm), sample_count_(pcm.size() / kBytesPerSample) {
    if (play_rate < 1 || output_rate < 1) {
        throw UserError("A sound plays at a rate of at least one sample per second.");
    }
    const auto play = static_cast<std::uint64_t>(play_rate);
    const auto output = static_cast<std::uint64_t>(output_rate);
    // Both factors are below 2^31, so the product and its double fit.
    output_length_ = (2 * sample_count_ * output + play) / (2 * play);
    if (play_rate != output_rate) {
        conversion_ = std::make_unique<Conversion>(pcm_, sample_count_, play_rate, output_rate);
    }
}

Resampler::~Resampler() = default;

std::size_t Resampler::Read(std::span<std::int16_t> out) {
    if (conversion_) {
        return conversion_->Read(out);
    }
    const std::size_t count = std::min(out.size(), sample_count_ - next_sample_);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = SampleAt(pcm_, next_sample_ + i);
    }
    next_sample_ += count;
    return count;
}

bool Resampler::AtEnd() const {
    return conversion_ ? conversion_->AtEnd() : next_sample_ == sample_count_;
}

std::uint64_t Resampler::OutputLength() const {
    return output_length_;
}

bool Resampler::PassesThrough() const {
    return !conversion_;
}

std::size_t SampleHeardAfter(std::int64_t microseconds, std::int32_t play_rate,
                             std::size_t sample_count) {
    if (microseconds <= 0 || play_rate < 1) {
        return 0;
    }
    constexpr std::uint64_t kPerSecond = 1'000'000;
    const auto us = static_cast<std::uint64_t>(microseconds);
    const auto rate = static_cast<std::uint64_t>(play_rate);
    const std::uint64_t whole_seconds = us / kPerSecond;
    // Split so that no product can overflow: whole seconds times the rate,
    // then the remaining microseconds (below 10^6) times the rate (below 2^31).
    if (whole_seconds >= sample_count ||
        whole_seconds > std::numeric_limits<std::uint64_t>::max() / rate) {
        return sample_count;
    }
    const std::uint64_t heard = whole_seconds * rate + (us % kPerSecond) * rate / kPerSecond;
    return static_cast<std::size_t>(std::min<std::uint64_t>(heard, sample_count));
}

}  // namespace tremorline::sound
