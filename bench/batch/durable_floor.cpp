// SPDX-License-Identifier: MIT
// The durable floor for `tremorline-cli psn` and `wav`: the plainest program
// that reads a big-endian SAC trace, converts its samples and writes them
// durably, as the tool must: to a new file in the target's folder, fsync,
// then rename over the target. No header checks, no names, no messages.
//
//   durable_floor psn TRACE.sac OUT   4-byte little-endian floats, read,
//                                      swapped and written a block at a time
//   durable_floor wav TRACE.sac OUT   16-bit audio: the samples read whole
//                                      once (one read, the least there is),
//                                      their mean and extremes taken, then
//                                      scaled and written a block at a time
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool ReadAt(int fd, void* data, std::size_t size, off_t offset) {
    auto* bytes = static_cast<unsigned char*>(data);
    while (size > 0) {
        const ssize_t got = ::pread(fd, bytes, size, offset);
        if (got <= 0) {
            return false;
        }
        bytes += got;
        size -= static_cast<std::size_t>(got);
        offset += got;
    }
    return true;
}

// Writes, and hands every 8 MiB to the disk as it goes, so that the final
// fsync waits for the last few megabytes only (the tool does the same).
bool WriteAll(int fd, const void* data, std::size_t size) {
    static off_t written = 0;
    static off_t flushed = 0;
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t put = ::write(fd, bytes, size);
        if (put <= 0) {
            return false;
        }
        bytes += put;
        size -= static_cast<std::size_t>(put);
        written += put;
        if (written - flushed >= (off_t{8} << 20)) {
            ::sync_file_range(fd, flushed, written - flushed, SYNC_FILE_RANGE_WRITE);
            flushed = written;
        }
    }
    return true;
}

float Swapped(std::uint32_t bits) {
    bits = __builtin_bswap32(bits);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: durable_floor psn|wav TRACE.sac OUT\n");
        return 2;
    }
    const bool wav = std::strcmp(argv[1], "wav") == 0;
    const int in = ::open(argv[2], O_RDONLY);
    std::uint32_t npts_bits = 0;
    if (in < 0 || !ReadAt(in, &npts_bits, 4, 280 + 4 * 9)) {
        return 1;
    }
    const std::size_t n = __builtin_bswap32(npts_bits);
    const std::string temporary = std::string(argv[3]) + ".tmp";
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) {
        return 1;
    }
    if (!wav) {
        constexpr std::size_t kBlock = std::size_t{1} << 20;
        std::vector<std::uint32_t> block(kBlock);
        for (std::size_t first = 0; first < n; first += kBlock) {
            const std::size_t count = std::min(kBlock, n - first);
            if (!ReadAt(in, block.data(), 4 * count, static_cast<off_t>(632 + 4 * first))) {
                return 1;
            }
            for (std::size_t i = 0; i < count; ++i) {
                block[i] = __builtin_bswap32(block[i]);
            }
            if (!WriteAll(out, block.data(), 4 * count)) {
                return 1;
            }
        }
    } else {
        std::vector<std::uint32_t> raw(n);
        if (!ReadAt(in, raw.data(), 4 * n, 632)) {
            return 1;
        }
        double sum = 0;
        float lo = Swapped(raw[0]);
        float hi = lo;
        for (const std::uint32_t bits : raw) {
            const float value = Swapped(bits);
            sum += value;
            lo = value < lo ? value : lo;
            hi = value > hi ? value : hi;
        }
        const double mean = sum / static_cast<double>(n);
        const double peak = std::max(hi - mean, mean - lo);
        const double scale = 32760.0 / peak;
        constexpr std::size_t kBlock = std::size_t{1} << 20;
        std::vector<std::int16_t> audio(kBlock);
        for (std::size_t first = 0; first < n; first += kBlock) {
            const std::size_t count = std::min(kBlock, n - first);
            for (std::size_t i = 0; i < count; ++i) {
                audio[i] = static_cast<std::int16_t>(
                    std::nearbyint((Swapped(raw[first + i]) - mean) * scale));
            }
            if (!WriteAll(out, audio.data(), 2 * count)) {
                return 1;
            }
        }
    }
    if (::fsync(out) != 0 || ::close(out) != 0 || ::rename(temporary.c_str(), argv[3]) != 0) {
        return 1;
    }
    return 0;
}
