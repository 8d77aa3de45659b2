#include <editline/readline.h>

#include <cstdlib>
#include <memory>
#include <utility>

#include "line_editor.h"

namespace kestrum::cli {

namespace {

constexpr int kHistoryLines = 1000;

struct FreeLine {
    void operator()(char* line) const { std::free(line); }  // NOLINT(cppcoreguidelines-no-malloc)
};

}  // namespace

LineEditor::LineEditor(std::string historyFile) : historyFile_(std::move(historyFile)) {
    rl_readline_name = "kestrum";  // the name ~/.editrc entries may begin with
    using_history();
    stifle_history(kHistoryLines);
    if (!historyFile_.empty()) {
        read_history(historyFile_.c_str());
    }
}

std::optional<std::string> LineEditor::read(const char* prompt) {
    const std::unique_ptr<char, FreeLine> line(readline(prompt));
    if (!line) {
        return std::nullopt;
    }
    return std::string(line.get());
}

void LineEditor::remember(const std::string& line) {
    add_history(line.c_str());
    if (!historyFile_.empty()) {
        write_history(historyFile_.c_str());
    }
}

}  // namespace kestrum::cli
