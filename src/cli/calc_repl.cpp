#include "calc_repl.h"

#include <csignal>
#include <ostream>

#include "interrupt.h"
#include "kestrum_cli.h"

namespace kestrum::cli {

namespace {

constexpr const char* kPrompt = "calc> ";

extern "C" void onInterrupt(int /*signal*/) {
    calc::requestInterrupt();
}

// While it lives, Ctrl-C asks the calculator to stop instead of ending the program; a read at
// the prompt returns at once (no SA_RESTART), and the prompt then starts a new line.
class InterruptHandler {
  public:
    InterruptHandler() {
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptHandler() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptHandler(const InterruptHandler&) = delete;
    InterruptHandler& operator=(const InterruptHandler&) = delete;
    InterruptHandler(InterruptHandler&&) = delete;
    InterruptHandler& operator=(InterruptHandler&&) = delete;

  private:
    struct sigaction previous_ {};
};

}  // namespace

int runCalcRepl(LineEditor& editor, CalcSession& session, std::ostream& out, std::ostream& err) {
    const InterruptHandler interrupts;
    out << "kestrum calc: :help for help, Ctrl-D to leave\n" << std::flush;
    for (;;) {
        calc::takeInterrupt();  // a Ctrl-C after the last value was written stops nothing
        const std::optional<std::string> line = editor.read(kPrompt);
        // A Ctrl-C while the line was typed belongs to the typing: the line editor drops what
        // came before it, and the evaluation of what came after must not see it.
        const bool interrupted = calc::takeInterrupt();
        if (!line && interrupted) {
            out << '\n' << std::flush;  // Ctrl-C drops the line typed so far
            continue;
        }
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
