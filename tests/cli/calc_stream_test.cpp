// Standard input mode of kestrum calc on a real calculator: values, assignments, skipped lines,
// commands, and failing lines that name their line and column while the next lines go on.
#include "calc_stream.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "calculator.h"

namespace kestrum::cli {
namespace {

struct StreamRun {
    int status;
    std::string out;
    std::vector<std::string> errLines;
};

StreamRun runStreamOn(const std::string& input) {
    const std::unique_ptr<FILE, int (*)(FILE*)> in(std::tmpfile(), std::fclose);
    if (!in) {
        throw std::runtime_error("no temporary file");
    }
    std::fwrite(input.data(), 1, input.size(), in.get());
    std::fflush(in.get());
    ::lseek(fileno(in.get()), 0, SEEK_SET);
    calc::Calculator calculator;
    CalcSession session(calculator);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCalcStream(fileno(in.get()), out, err, session);
    std::vector<std::string> errLines;
    std::istringstream errText(err.str());
    for (std::string line; std::getline(errText, line);) {
        errLines.push_back(line);
    }
    return {status, out.str(), errLines};
}

struct StreamCase {
    std::string name;
    std::string input;
    int status;
    std::string out;
    std::vector<std::string> errStarts;  // the start of each line on standard error
};

class CalcStreamTest : public testing::TestWithParam<StreamCase> {};

TEST_P(CalcStreamTest, HandlesEveryLine) {
    const StreamCase& c = GetParam();
    const StreamRun r = runStreamOn(c.input);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    ASSERT_EQ(r.errLines.size(), c.errStarts.size()) << testing::PrintToString(r.errLines);
    for (std::size_t i = 0; i < c.errStarts.size(); ++i) {
        EXPECT_EQ(r.errLines[i].substr(0, c.errStarts[i].size()), c.errStarts[i]);
    }
}

const std::string kPlaces = "kestrum calc: line 1: places must be a whole number from 0 to 100000";

INSTANTIATE_TEST_SUITE_P(
    Cases, CalcStreamTest,
    testing::Values(
        StreamCase{"Empty", "", 0, "", {}},
        StreamCase{"ValuesAtTwentyPlaces",
                   "1/3\n2/3\n10-0.5\n",
                   0,
                   "0.33333333333333333333\n0.66666666666666666667\n9.5\n",
                   {}},
        StreamCase{"AssignmentsPrintNothing", "x = 2\nY = x^10\ny+1\nx\n", 0, "1025\n2\n", {}},
        StreamCase{"BlankAndCommentLinesSkipped",
                   "# a comment\n\n   \n\t# indented\n\t\n7*6\n",
                   0,
                   "42\n",
                   {}},
        StreamCase{"AnsIsTheLastValue", "2^10\nans+1\nz = 5\nans\n", 0, "1024\n1025\n1025\n", {}},
        StreamCase{"CrLfAndALastLineWithoutLineFeed", "1+2\r\n3*3", 0, "3\n9\n", {}},
        StreamCase{"FailingLineThenGoodLines",
                   "1+1\n2 *\n3*3\n",
                   1,
                   "2\n9\n",
                   {"kestrum calc: line 2, column 4: "}},
        StreamCase{"LineNumbersCountSkippedLines",
                   "# header\n\n(1\n1/0\n4\n",
                   1,
                   "4\n",
                   {"kestrum calc: line 3", "kestrum calc: line 4"}},
        StreamCase{"PlacesAndModeCommands",
                   ":places 5\n2/3\n:mode down\n2/3\n:places\n:mode\n",
                   0,
                   "0.66667\n0.66666\n5\nDOWN\n",
                   {}},
        StreamCase{
            "CommandsAfterBlanks", "  :places 0   \n2.5\n :mode half_even\n2.5\n", 0, "3\n2\n", {}},
        StreamCase{"BadCommandsKeepTheSettings",
                   ":places 100001\n:mode sideways\n:frob\n:places 1 2\n:help me\n2/3\n",
                   1,
                   "0.66666666666666666667\n",
                   {kPlaces, "kestrum calc: line 2: unknown rounding mode 'sideways'",
                    "kestrum calc: line 3: unknown command ':frob'",
                    "kestrum calc: line 4: :places: too many arguments",
                    "kestrum calc: line 5: :help: too many arguments"}}),
    [](const testing::TestParamInfo<StreamCase>& param) { return param.param.name; });

TEST(CalcStream, ColumnIsNamedOnceInFrontOfTheMessage) {
    const StreamRun r = runStreamOn("\n2 +\n");
    EXPECT_EQ(r.errLines,
              std::vector<std::string>{"kestrum calc: line 2, column 4: missing operand"});
}

TEST(CalcStream, HelpNamesTheCommandsAndFunctions) {
    const StreamRun r = runStreamOn(":help\n");
    EXPECT_EQ(r.status, 0);
    for (const char* expected : {":places", ":mode", "sqrt(a)", "atan2(y, x)", "HALF_EVEN"}) {
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected;
    }
}

struct FailureCase {
    const char* where;
    std::size_t column;
    const char* message;
    const char* text;
};

TEST(CalcStream, FailureMessagesNameWhatIsKnown) {
    const FailureCase cases[] = {
        {"line 3", 4, "missing operand", "kestrum calc: line 3, column 4: missing operand"},
        {"line 3", 0, "division by zero", "kestrum calc: line 3: division by zero"},
        {"", 2, "unknown name", "kestrum calc: column 2: unknown name"},
        {"", 0, "out of memory", "kestrum calc: out of memory"},
    };
    for (const FailureCase& c : cases) {
        EXPECT_EQ(describeFailure(c.where, LineFailure{c.column, c.message}), c.text);
    }
}

}  // namespace
}  // namespace kestrum::cli
