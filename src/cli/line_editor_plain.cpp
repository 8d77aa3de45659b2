#include <iostream>
#include <utility>

#include "line_editor.h"

namespace kestrum::cli {

LineEditor::LineEditor(std::string historyFile) : historyFile_(std::move(historyFile)) {}

std::optional<std::string> LineEditor::read(const char* prompt) {
    std::cout << prompt << std::flush;
    std::string line;
    if (!std::getline(std::cin, line)) {
        std::cin.clear();  // an interrupted read is no end of input; the caller tells them apart
        return std::nullopt;
    }
    return line;
}

// Without libedit there is no history to keep.
void LineEditor::remember(const std::string& /*line*/) {}

}  // namespace kestrum::cli
