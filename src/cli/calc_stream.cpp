#include "calc_stream.h"

#include <cstring>
#include <ostream>
#include <string>

#include "kestrum_cli.h"
#include "line_reader.h"

namespace kestrum::cli {

int runCalcStream(int inputFd, std::ostream& out, std::ostream& err, CalcSession& session) {
    LineReader input(inputFd, [&out] { out.flush(); });
    std::size_t lineNumber = 0;
    bool anyFailure = false;
    while (out) {
        const std::optional<std::string_view> line = input.next();
        if (!line) {
            break;
        }
        ++lineNumber;
        const LineOutcome outcome = session.handle(*line);
        out << outcome.output;
        if (outcome.failure) {
            anyFailure = true;
            out.flush();
            err << describeFailure("line " + std::to_string(lineNumber), *outcome.failure) << '\n';
        }
    }
    out.flush();
    if (input.readError() != 0) {
        err << "kestrum calc: cannot read standard input: " << std::strerror(input.readError())
            << '\n';
        return kExitUsage;
    }
    if (!out) {
        err << "kestrum calc: cannot write standard output\n";
        return kExitUsage;
    }
    return anyFailure ? kExitFailure : kExitSuccess;
}

}  // namespace kestrum::cli
