#include "output_buffer.h"

#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace kestrum::cli {

namespace {

constexpr std::size_t kBlockSize = std::size_t{64} * 1024;

}  // namespace

OutputBuffer::OutputBuffer(int fd) : fd_(fd) {
    text_.reserve(2 * kBlockSize);
}

void OutputBuffer::lineDone() {
    if (text_.size() >= kBlockSize) {
        flush();
    }
}

void OutputBuffer::flush() {
    std::size_t written = 0;
    while (written < text_.size() && writeError_ == 0) {
        const ssize_t count = ::write(fd_, text_.data() + written, text_.size() - written);
        if (count >= 0) {
            written += static_cast<std::size_t>(count);
        } else if (errno != EINTR) {
            writeError_ = errno;
        }
    }
    text_.clear();
}

}  // namespace kestrum::cli
