#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace korvane::platform {

// A page-aligned buffer of zeroed pages taken from the kernel: nothing is touched (or resident)
// until it is used, and direct I/O can transfer into it as it is.
class PageBuffer {
public:
    explicit PageBuffer(size_t bytes) : size_((bytes + 4095) / 4096 * 4096) {
        void* p = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        data_ = static_cast<uint8_t*>(p);
    }
    ~PageBuffer() { ::munmap(data_, size_); }
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    size_t size_;
    uint8_t* data_ = nullptr;
};

} // namespace korvane::platform
