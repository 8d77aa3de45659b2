// `kestrum calc` at a terminal: a prompt, one value after each expression typed, until Ctrl-D.
#pragma once

#include <iosfwd>

#include "calc_session.h"
#include "line_editor.h"

namespace kestrum::cli {

// Reads lines from `editor` until the end of the input, remembering each one that is not blank,
// and handles them in `session`: values to `out`, messages to `err`. Returns 0.
int runCalcRepl(LineEditor& editor, CalcSession& session, std::ostream& out, std::ostream& err);

}  // namespace kestrum::cli
