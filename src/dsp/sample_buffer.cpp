// SPDX-License-Identifier: MIT
#include "dsp/sample_buffer.h"

#include <sys/mman.h>

#include <limits>

#include "common/sample_memory.h"
#include "common/user_error.h"

namespace tremorline::dsp {

DoubleBuffer::DoubleBuffer(std::size_t count) : count_(count) {
    if (count == 0) {
        return;
    }
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(double)) {
        throw UserError(NotEnoughMemoryText(count, sizeof(double)));
    }
    bytes_ = count * sizeof(double);
    void* memory =
        ::mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        throw UserError(NotEnoughMemoryText(count, sizeof(double)));
    }
    // Fewer, larger pages: far fewer faults while the trace is first written.
    ::madvise(memory, bytes_, MADV_HUGEPAGE);
    data_ = static_cast<double*>(memory);
}

DoubleBuffer::~DoubleBuffer() {
    if (data_ != nullptr) {
        ::munmap(data_, bytes_);
    }
}

DoubleBuffer::DoubleBuffer(DoubleBuffer&& other) noexcept
    : data_(other.data_), count_(other.count_), bytes_(other.bytes_) {
    other.data_ = nullptr;
    other.count_ = 0;
    other.bytes_ = 0;
}

}  // namespace tremorline::dsp
