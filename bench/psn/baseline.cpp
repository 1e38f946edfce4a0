// SPDX-License-Identifier: MIT
// The plain baseline for the PSN benchmark: read a big-endian SAC file's
// samples in one read, swap them in place, write the 4*NPTS bytes.
//   baseline IN OUT [--fsync]
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: baseline IN OUT [--fsync]\n");
        return 2;
    }
    const bool sync = argc > 3 && std::strcmp(argv[3], "--fsync") == 0;
    int in = ::open(argv[1], O_RDONLY);
    unsigned char npts_bytes[4];
    if (in < 0 || ::pread(in, npts_bytes, 4, 280 + 4 * 9) != 4)
        return 1;
    const std::size_t n = (std::size_t{npts_bytes[0]} << 24) | (std::size_t{npts_bytes[1]} << 16) |
                          (std::size_t{npts_bytes[2]} << 8) | npts_bytes[3];
    std::vector<std::uint32_t> samples(n);
    std::size_t done = 0;
    auto* bytes = reinterpret_cast<unsigned char*>(samples.data());
    while (done < 4 * n) {
        ssize_t got = ::pread(in, bytes + done, 4 * n - done, static_cast<off_t>(632 + done));
        if (got <= 0)
            return 1;
        done += static_cast<std::size_t>(got);
    }
    ::close(in);
    for (std::uint32_t& v : samples)
        v = __builtin_bswap32(v);
    int out = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    done = 0;
    while (done < 4 * n) {
        ssize_t put = ::write(out, bytes + done, 4 * n - done);
        if (put <= 0)
            return 1;
        done += static_cast<std::size_t>(put);
    }
    if (sync && ::fsync(out) != 0)
        return 1;
    return ::close(out) == 0 ? 0 : 1;
}
