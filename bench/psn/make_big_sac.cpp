// SPDX-License-Identifier: MIT
// Writes a big-endian SAC trace of N samples (a slow sine) for the PSN
// benchmark: make_big_sac PATH N
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void PutBE(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

std::uint32_t Bits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_big_sac PATH N\n");
        return 2;
    }
    const long long n = std::atoll(argv[2]);
    std::array<unsigned char, 632> header{};
    for (int i = 0; i < 70; ++i)
        PutBE(&header[4 * i], Bits(-12345.0f));
    for (int i = 0; i < 40; ++i)
        PutBE(&header[280 + 4 * i], static_cast<std::uint32_t>(-12345));
    for (int s = 0; s < 24; ++s)
        std::memcpy(&header[440 + 8 * s], "-12345  ", 8);
    PutBE(&header[0], Bits(0.01f));  // DELTA
    PutBE(&header[12], Bits(1.0f));  // SCALE
    PutBE(&header[20], Bits(0.0f));  // B
    const int ints[][2] = {{0, 2005}, {1, 32},  {2, 3}, {3, 4},
                           {4, 5},    {5, 250}, {6, 6}, {9, static_cast<int>(n)},
                           {16, 5}};
    for (const auto& [index, value] : ints)
        PutBE(&header[280 + 4 * index], static_cast<std::uint32_t>(value));
    std::memcpy(&header[440], "BENCH   ", 8);           // KSTNM
    std::memcpy(&header[440 + 8 * 20], "BHZ     ", 8);  // KCMPNM
    std::memcpy(&header[440 + 8 * 21], "XX      ", 8);  // KNETWK

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(header.data(), 1, header.size(), out) != header.size())
        return 1;
    std::vector<unsigned char> chunk(4 << 20);
    for (long long start = 0; start < n; start += static_cast<long long>(chunk.size() / 4)) {
        long long count = std::min<long long>(static_cast<long long>(chunk.size() / 4), n - start);
        for (long long i = 0; i < count; ++i) {
            PutBE(&chunk[static_cast<std::size_t>(4 * i)],
                  Bits(std::sin(static_cast<float>(start + i) * 0.001f)));
        }
        if (std::fwrite(chunk.data(), 4, static_cast<std::size_t>(count), out) !=
            static_cast<std::size_t>(count))
            return 1;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
