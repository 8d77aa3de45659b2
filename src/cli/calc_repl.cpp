#include "calc_repl.h"

#include <ostream>

#include "kestrum_cli.h"

namespace kestrum::cli {

namespace {

constexpr const char* kPrompt = "calc> ";

}  // namespace

int runCalcRepl(LineEditor& editor, CalcSession& session, std::ostream& out, std::ostream& err) {
    out << "kestrum calc: :help for help, Ctrl-D to leave\n" << std::flush;
    for (;;) {
        const std::optional<std::string> line = editor.read(kPrompt);
        if (!line) {
            out << '\n' << std::flush;  // the prompt's line is left open
            return kExitSuccess;
        }
        if (line->find_first_not_of(" \t") != std::string::npos) {
            editor.remember(*line);
        }
        const LineOutcome outcome = session.handle(*line);
        out << outcome.output << std::flush;
        if (outcome.failure) {
            err << describeFailure("", *outcome.failure) << '\n' << std::flush;
        }
    }
}

}  // namespace kestrum::cli
