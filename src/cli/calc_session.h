// One line of calculator input at a time, the same on the command line, from standard input and
// at the prompt: an expression, an assignment, a command or a line to skip.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "calculator.h"

namespace kestrum::cli {

// Why a line gave no value: the message and the 1-based column it is about (0 when none).
struct LineFailure {
    std::size_t column = 0;
    std::string message;
};

struct LineOutcome {
    std::string output;  // for standard output: lines, each ended by a line feed
    std::optional<LineFailure> failure;
};

// "kestrum calc: WHERE, column C: MESSAGE" (WHERE such as "line 3"; may be empty).
std::string describeFailure(std::string_view where, const LineFailure& failure);

class CalcSession {
  public:
    explicit CalcSession(calc::Calculator& calculator) : calculator_(calculator) {}

    // A blank line or one that begins with # (after blanks) gives nothing; a line that begins
    // with : is a command (:places [N], :mode [MODE], :help); any other line goes to the
    // calculator: an expression gives its value, an assignment nothing.
    LineOutcome handle(std::string_view line);

  private:
    LineOutcome runCommand(std::string_view command);

    calc::Calculator& calculator_;
};

}  // namespace kestrum::cli
