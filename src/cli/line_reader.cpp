#include "line_reader.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace kestrum::cli {

namespace {

constexpr std::size_t kBlockSize = std::size_t{64} * 1024;

std::string_view withoutCarriageReturn(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

}  // namespace

LineReader::LineReader(int fd, std::function<void()> beforeRead)
    : fd_(fd), beforeRead_(std::move(beforeRead)), buffer_(kBlockSize, '\0') {}

std::optional<std::string_view> LineReader::next() {
    std::size_t searched = begin_;  // no line feed before this position
    for (;;) {
        const void* found = std::memchr(buffer_.data() + searched, '\n', end_ - searched);
        if (found != nullptr) {
            const auto stop =
                static_cast<std::size_t>(static_cast<const char*>(found) - buffer_.data());
            const std::string_view line(buffer_.data() + begin_, stop - begin_);
            begin_ = stop + 1;
            return withoutCarriageReturn(line);
        }
        searched = end_ - begin_;
        if (!fill()) {
            if (begin_ == end_) {
                return std::nullopt;
            }
            const std::string_view line(buffer_.data() + begin_, end_ - begin_);
            begin_ = end_;
            return withoutCarriageReturn(line);
        }
    }
}

bool LineReader::fill() {
    if (atEnd_) {
        return false;
    }
    // Move the unfinished line to the front; double the buffer when that line fills most of it.
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    if (buffer_.size() - end_ < kBlockSize / 2) {
        buffer_.resize(2 * buffer_.size());
    }
    beforeRead_();
    for (;;) {
        const ssize_t count = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (count > 0) {
            end_ += static_cast<std::size_t>(count);
            return true;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        readError_ = count < 0 ? errno : 0;
        atEnd_ = true;
        return false;
    }
}

}  // namespace kestrum::cli
