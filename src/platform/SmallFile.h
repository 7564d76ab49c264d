#pragma once
#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane::platform {

// Reads the head of a file the user named, safely: opened without blocking (a FIFO never
// answers), regular files only (a device such as /dev/zero never ends), at most `maxBytes`.
// nullopt when it cannot be opened, is not a regular file, or cannot be read.
inline std::optional<std::string> readRegularFile(const std::string& path, size_t maxBytes, bool* wasTooLarge = nullptr) {
    if (wasTooLarge) *wasTooLarge = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::optional<std::string> out;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (wasTooLarge && size_t(st.st_size) > maxBytes) *wasTooLarge = true;
        std::string text(std::min(size_t(st.st_size), maxBytes), '\0');
        size_t got = 0;
        bool failed = false;
        while (got < text.size()) {
            ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) failed = true;
            if (n <= 0) break;
            got += size_t(n);
        }
        text.resize(got);
        if (!failed) out = std::move(text);
    }
    ::close(fd);
    return out;
}

} // namespace korvane::platform
