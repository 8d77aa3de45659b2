// `kestrum calc` without expressions when standard input is not a terminal: every line of the
// input through one calculator.
#pragma once

#include <iosfwd>

#include "calc_session.h"

namespace kestrum::cli {

// Handles every line of `inputFd` in `session`, values to `out`, a message naming the line and
// column of each failing line to `err`; goes on after a failing line. `out` is flushed before
// each message and whenever the input has to be waited for. Returns 0 when every line
// succeeded, 1 when some line failed, 2 when reading or writing failed.
int runCalcStream(int inputFd, std::ostream& out, std::ostream& err, CalcSession& session);

}  // namespace kestrum::cli
