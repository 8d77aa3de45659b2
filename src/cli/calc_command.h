// `kestrum calc`: the calculator on the command line, over standard input or at a prompt.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace kestrum::cli {

// Runs `kestrum calc` with `args` (the arguments after "calc"): the values of the expressions
// given, else of the lines of standard input, or a prompt when standard input is a terminal.
// Returns 0 on success, 1 when some expression failed, 2 on a usage error.
int runCalcCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace kestrum::cli
