#include "batch.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "arithm.h"
#include "kestrum_cli.h"
#include "line_reader.h"
#include "operation.h"
#include "output_buffer.h"
#include "result_codes.h"
#include "utf8.h"

namespace kestrum::cli {

namespace {

class Batch {
  public:
    Batch(int outputFd, std::ostream& err) : out_(outputFd), err_(err) {}

    OutputBuffer& output() { return out_; }

    void answer(std::string_view line);

    // Writes what is left and tells how the run went.
    int finish(int readError);

  private:
    void malformed(std::string_view reason);
    void reportLine(std::string_view message);
    void reportRun(std::string_view what, int error);

    const api::Arithm arithm_{};
    OutputBuffer out_;
    std::ostream& err_;
    std::u16string a1_;
    std::u16string a2_;
    std::size_t lineNumber_ = 0;
    bool anyFailure_ = false;
    bool anyMalformed_ = false;
};

// The fields of a batch line: the first three, and how many there are.
struct Fields {
    std::array<std::string_view, 3> text;
    std::size_t count = 0;
    bool tabs = false;
};

// A line with a tab is cut at every tab, so operands keep their blanks and may be empty. A line
// without one is cut at runs of blanks, and blanks at either end are ignored.
Fields splitLine(std::string_view line) {
    Fields fields;
    fields.tabs = line.find('\t') != std::string_view::npos;
    const char separator = fields.tabs ? '\t' : ' ';
    std::size_t start = fields.tabs ? 0 : line.find_first_not_of(' ');
    while (start != std::string_view::npos) {
        const std::size_t end = std::min(line.find(separator, start), line.size());
        if (fields.count < fields.text.size()) {
            fields.text[fields.count] = line.substr(start, end - start);
        }
        ++fields.count;
        if (end == line.size()) {
            break;
        }
        start = fields.tabs ? end + 1 : line.find_first_not_of(' ', end);
    }
    return fields;
}

void Batch::answer(std::string_view line) {
    ++lineNumber_;
    const Fields fields = splitLine(line);
    if (fields.count != 3) {
        malformed("expected OP<TAB>A1<TAB>A2 or OP A1 A2, found " + std::to_string(fields.count) +
                  (fields.tabs ? " tab" : " blank") +
                  (fields.count == 1 ? "-separated field" : "-separated fields"));
        return;
    }
    const std::optional<Operation> operation = Operation::find(fields.text[0]);
    if (!operation) {
        malformed("unknown operation (OP: " + std::string(kOperationNames) + ")");
        return;
    }
    if (!utf8ToUtf16(fields.text[1], a1_)) {
        malformed("operand 1 is not valid UTF-8");
        return;
    }
    if (!utf8ToUtf16(fields.text[2], a2_)) {
        malformed("operand 2 is not valid UTF-8");
        return;
    }
    std::string& text = out_.text();
    const std::size_t lineStart = text.size();
    api::ResultCode code = api::kOutOfMemory;
    try {
        code = operation->run(arithm_, a1_, a2_, '\t', text);
    } catch (const std::bad_alloc&) {
        text.resize(lineStart);
    }
    if (code == api::kSuccess) {
        text += '\n';
    } else {
        anyFailure_ = true;
        text += failureLine(code) + '\n';
        reportLine(describeFailure(code));
    }
    out_.lineDone();
}

void Batch::malformed(std::string_view reason) {
    anyMalformed_ = true;
    out_.text() += "error usage\n";
    reportLine(reason);
    out_.lineDone();
}

// Standard output first, so that both streams keep their order when they go to one place.
void Batch::reportLine(std::string_view message) {
    out_.flush();
    err_ << "kestrum: line " + std::to_string(lineNumber_) + ": " + std::string(message) + '\n';
}

void Batch::reportRun(std::string_view what, int error) {
    err_ << "kestrum: " + std::string(what) + ": " + std::strerror(error) + '\n';
}

int Batch::finish(int readError) {
    out_.flush();
    if (readError != 0) {
        reportRun("cannot read standard input", readError);
    }
    if (out_.writeError() != 0) {
        reportRun("cannot write standard output", out_.writeError());
    }
    if (anyMalformed_ || readError != 0 || out_.writeError() != 0) {
        return kExitUsage;
    }
    return anyFailure_ ? kExitFailure : kExitSuccess;
}

}  // namespace

int runBatch(int inputFd, int outputFd, std::ostream& err) {
    Batch batch(outputFd, err);
    LineReader input(inputFd, [&batch] { batch.output().flush(); });
    while (batch.output().writeError() == 0) {
        const std::optional<std::string_view> line = input.next();
        if (!line) {
            break;
        }
        batch.answer(*line);
    }
    return batch.finish(input.readError());
}

}  // namespace kestrum::cli
