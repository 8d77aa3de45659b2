// Lines from a file descriptor, read in large blocks.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestrum::cli {

class LineReader {
  public:
    // Reads from `fd`; calls `beforeRead` before every read(), that is whenever the lines read
    // so far are used up and the reader may have to wait for more input.
    LineReader(int fd, std::function<void()> beforeRead);

    // The next line without its line feed, and without a carriage return before it; a last line
    // without a line feed counts too. Valid until the next call. Nothing at the end of the input
    // or after a read error.
    std::optional<std::string_view> next();

    // The errno value of the read that failed, or 0.
    [[nodiscard]] int readError() const { return readError_; }

  private:
    // Reads more input behind what is kept; false at the end of the input or on an error.
    bool fill();

    int fd_;
    std::function<void()> beforeRead_;
    std::string buffer_;
    std::size_t begin_ = 0;  // start of the unread input in buffer_
    std::size_t end_ = 0;    // end of the input read so far
    bool atEnd_ = false;
    int readError_ = 0;
};

}  // namespace kestrum::cli
