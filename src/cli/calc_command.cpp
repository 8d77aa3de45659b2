#include "calc_command.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <variant>

#include "calc_help.h"
#include "calc_options.h"
#include "calc_repl.h"
#include "calc_session.h"
#include "calc_stream.h"
#include "calculator.h"
#include "kestrum_cli.h"
#include "line_editor.h"

namespace kestrum::cli {

namespace {

// ~/.kestrum_history, or none without a home folder.
std::string historyFilePath() {
    const char* home = std::getenv("HOME");  // NOLINT(concurrency-mt-unsafe): one thread
    if (home == nullptr || *home == '\0') {
        return {};
    }
    return std::string(home) + "/.kestrum_history";
}

int evaluateArguments(const std::vector<std::string>& expressions, CalcSession& session,
                      std::ostream& out, std::ostream& err) {
    int status = kExitSuccess;
    for (std::size_t i = 0; i < expressions.size(); ++i) {
        const LineOutcome outcome = session.handle(expressions[i]);
        out << outcome.output;
        if (outcome.failure) {
            status = kExitFailure;
            out.flush();
            err << describeFailure("expression " + std::to_string(i + 1), *outcome.failure) << '\n';
        }
    }
    return status;
}

}  // namespace

int runCalcCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    const auto parsed = parseCalcArguments(args);
    if (const auto* usage = std::get_if<CalcUsageError>(&parsed)) {
        err << "kestrum calc: " << usage->message << '\n' << kCalcUsage << '\n';
        return kExitUsage;
    }
    const auto& options = std::get<CalcOptions>(parsed);
    if (options.help) {
        out << kCalcUsage << "\n\n" << kCalcOptionsHelp << '\n' << kCalcLanguageHelp;
        return kExitSuccess;
    }
    calc::Calculator calculator;
    calculator.setPlaces(options.places);
    calculator.setMode(options.mode);
    CalcSession session(calculator);
    if (!options.expressions.empty()) {
        return evaluateArguments(options.expressions, session, out, err);
    }
    if (::isatty(STDIN_FILENO) != 0) {
        LineEditor editor(historyFilePath());
        return runCalcRepl(editor, session, out, err);
    }
    return runCalcStream(STDIN_FILENO, out, err, session);
}

}  // namespace kestrum::cli
