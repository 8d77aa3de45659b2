// Text collected in memory and written to a file descriptor in large blocks. Its owner
// flushes it before it waits for input and before it ends.
#pragma once

#include <string>

namespace kestrum::cli {

class OutputBuffer {
  public:
    explicit OutputBuffer(int fd);

    // The text not written yet; append to it, then call lineDone().
    std::string& text() { return text_; }

    // Writes the text out once enough has been collected.
    void lineDone();

    // Writes all of the text out now.
    void flush();

    // The errno value of the write that failed, or 0; after a failure, text is dropped.
    [[nodiscard]] int writeError() const { return writeError_; }

  private:
    int fd_;
    std::string text_;
    int writeError_ = 0;
};

}  // namespace kestrum::cli
