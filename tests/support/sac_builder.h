// SPDX-License-Identifier: MIT
#pragma once

// Builds SAC binary files in memory for tests, so each case shows its input
// beside its assertion. The defaults describe a small valid trace: day 32 of
// 2005, 03:04:05.250, DELTA 0.01, station "STA", component "BHZ", and all
// undefined reals -12345 as SAC writers leave them.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "sac/sac_header.h"

namespace tremorline::testing {

class SacBuilder {
  public:
    SacBuilder() {
        reals_.fill(sac::kUndefined);
        ints_.fill(-12345);
        for (auto& slot : texts_) {
            slot = "-12345  ";
        }
        Real(sac::real::DELTA, 0.01f).Real(sac::real::B, 0.0f).Real(sac::real::E, 0.99f);
        Real(sac::real::SCALE, 1.0f);
        Int(sac::integer::NZYEAR, 2005).Int(sac::integer::NZJDAY, 32).Int(sac::integer::NZHOUR, 3);
        Int(sac::integer::NZMIN, 4).Int(sac::integer::NZSEC, 5).Int(sac::integer::NZMSEC, 250);
        Int(6, 6).Int(sac::integer::IDEP, 5);
        Text(sac::text::KSTNM, "STA").Text(sac::text::KCMPNM, "BHZ").Text(sac::text::KNETWK, "XX");
        Samples(std::vector<float>(100, 0.0f));
    }

    SacBuilder& Real(std::size_t index, float value) {
        reals_.at(index) = value;
        return *this;
    }
    SacBuilder& Int(std::size_t index, std::int32_t value) {
        ints_.at(index) = value;
        return *this;
    }
    // Sets a slot to `text` padded with spaces to 8 bytes (raw: kept as given,
    // NULs included, cut or padded with NULs to 8).
    SacBuilder& Text(std::size_t slot, std::string_view text) {
        std::string padded(text.substr(0, 8));
        padded.resize(8, ' ');
        texts_.at(slot) = padded;
        return *this;
    }
    SacBuilder& RawText(std::size_t slot, std::string_view bytes) {
        std::string raw(bytes.substr(0, 8));
        raw.resize(8, '\0');
        texts_.at(slot) = raw;
        return *this;
    }
    // Sets the samples and NPTS together.
    SacBuilder& Samples(std::vector<float> samples) {
        samples_ = std::move(samples);
        ints_[sac::integer::NPTS] = static_cast<std::int32_t>(samples_.size());
        return *this;
    }
    // Big-endian output instead of little-endian.
    SacBuilder& BigEndian(bool big = true) {
        big_endian_ = big;
        return *this;
    }

    std::vector<unsigned char> Bytes() const {
        std::vector<unsigned char> out;
        out.reserve(sac::kHeaderSize + 4 * samples_.size());
        for (float value : reals_) {
            Put(out, std::bit_cast<std::uint32_t>(value));
        }
        for (std::int32_t value : ints_) {
            Put(out, std::bit_cast<std::uint32_t>(value));
        }
        for (const std::string& slot : texts_) {
            out.insert(out.end(), slot.begin(), slot.end());
        }
        for (float value : samples_) {
            Put(out, std::bit_cast<std::uint32_t>(value));
        }
        return out;
    }

    void WriteTo(const std::filesystem::path& path) const { WriteBytes(path, Bytes()); }

    static void WriteBytes(const std::filesystem::path& path,
                           const std::vector<unsigned char>& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

  private:
    void Put(std::vector<unsigned char>& out, std::uint32_t v) const {
        for (int i = 0; i < 4; ++i) {
            int shift = big_endian_ ? 8 * (3 - i) : 8 * i;
            out.push_back(static_cast<unsigned char>((v >> shift) & 0xFFu));
        }
    }

    std::array<float, sac::kRealCount> reals_{};
    std::array<std::int32_t, sac::kIntegerCount> ints_{};
    std::array<std::string, sac::kTextSlotCount> texts_{};
    std::vector<float> samples_;
    bool big_endian_ = false;
};

}  // namespace tremorline::testing
