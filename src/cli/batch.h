// Batch mode: lines OP<TAB>A1<TAB>A2 (or, without a tab, OP A1 A2 separated by blanks) in, one
// line out for each, all on one Arithm object.
#pragma once

#include <iosfwd>

namespace kestrum::cli {

// Answers every line of `inputFd` on `outputFd`: the result (idiv: quotient, remainder and
// flag separated by tabs), "error N" for an arithmetic error or "error usage" for a malformed
// line, with a message naming the line on `err`. The output is flushed whenever the input has
// to be waited for. Returns 0 when every line succeeded, 1 when some line had an arithmetic
// error and none was malformed, 2 when some line was malformed or reading or writing failed.
int runBatch(int inputFd, int outputFd, std::ostream& err);

}  // namespace kestrum::cli
