// Lines typed at a terminal, with line editing and a history kept in a file where the program
// is built with libedit (line_editor_libedit.cpp), as plain lines otherwise
// (line_editor_plain.cpp).
#pragma once

#include <optional>
#include <string>

namespace kestrum::cli {

class LineEditor {
  public:
    // Reads the history from `historyFile` (none when empty) if the file exists.
    explicit LineEditor(std::string historyFile);

    // Shows `prompt` and reads a line; nothing at the end of the input (Ctrl-D) or when a signal
    // (Ctrl-C) interrupted the reading.
    std::optional<std::string> read(const char* prompt);

    // Adds `line` to the history, and writes the history to its file.
    void remember(const std::string& line);

  private:
    std::string historyFile_;
};

}  // namespace kestrum::cli
