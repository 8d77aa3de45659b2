// The kestrum binary's calc command end to end: expressions as arguments, standard input from a
// pipe, usage errors, and the exit status of each.
#include <gtest/gtest.h>

#include <string>

#include "shell_run.h"

namespace {

const std::string kKestrum = KESTRUM_BINARY;

// Runs `command` with sh, kestrum's path in $K.
kestrum::cli::test::ShellRun runShell(const std::string& command) {
    return kestrum::cli::test::runShell("K='" + kKestrum + "'; export K; " + command);
}

struct BinaryCase {
    std::string name;
    std::string command;  // $K is the kestrum binary
    int status;
    std::string out;
    std::string errStart;  // empty: nothing on standard error
};

class CalcBinary : public testing::TestWithParam<BinaryCase> {};

TEST_P(CalcBinary, PrintsValuesAndExitStatus) {
    const BinaryCase& c = GetParam();
    const auto r = runShell(c.command);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    if (c.errStart.empty()) {
        EXPECT_EQ(r.err, "");
    } else {
        EXPECT_EQ(r.err.substr(0, c.errStart.size()), c.errStart) << r.err;
    }
}

const std::string kUsage = "usage: kestrum calc ";

INSTANTIATE_TEST_SUITE_P(
    Cases, CalcBinary,
    testing::Values(
        BinaryCase{"EachValueOnItsLine", "$K calc '1/8' '2^64' 'sqrt(2)'", 0,
                   "0.125\n18446744073709551616\n1.4142135623730950488\n", ""},
        BinaryCase{"PlacesAndMode", "$K calc -p 5 -m down 2/3 -2/3", 0, "0.66666\n-0.66666\n", ""},
        BinaryCase{"LongOptionsWithEquals", "$K calc --places=0 --mode=half_even 2.5 3.5", 0,
                   "2\n4\n", ""},
        BinaryCase{"DashDashBeforeAMinusLetter", "$K calc -p 3 -m floor -- -pi", 0, "-3.142\n", ""},
        BinaryCase{"AssignmentOnTheCommandLine", "$K calc 'r = 3' 'r*r'", 0, "9\n", ""},
        BinaryCase{"FailingExpressionThenTheRest", "$K calc 1 '2 +' 3", 1, "1\n3\n",
                   "kestrum calc: expression 2, column 4: "},
        BinaryCase{"PlacesOutOfRange", "$K calc -p 100001 1", 2, "",
                   "kestrum calc: places must be a whole number from 0 to 100000, not '100001'\n" +
                       kUsage},
        BinaryCase{"UnknownMode", "$K calc -m sideways 1", 2, "",
                   "kestrum calc: unknown rounding mode 'sideways'"},
        BinaryCase{"UnknownOption", "$K calc -q 1", 2, "", "kestrum calc: unknown option '-q'"},
        BinaryCase{"MinusLetterWithoutDashDash", "$K calc -e", 2, "",
                   "kestrum calc: unknown option '-e'"},
        BinaryCase{"StandardInput",
                   "printf '# prices\\n\\nx = 1/4\\nx\\n2*x\\n' | $K calc -p 1 -m half_even", 0,
                   "0.2\n0.5\n", ""},
        BinaryCase{"StandardInputErrorLineThenGoodLines", "printf '1\\n2 *\\n3\\n' | $K calc", 1,
                   "1\n3\n", "kestrum calc: line 2, column 4: "},
        BinaryCase{"EmptyStandardInput", "$K calc </dev/null", 0, "", ""},
        BinaryCase{"OptionsApplyToStandardInput", "echo 2/3 | $K calc -p 2", 0, "0.67\n", ""}),
    [](const testing::TestParamInfo<BinaryCase>& param) { return param.param.name; });

TEST(CalcBinaryHelp, CalcHelpAndTheClientsHelpNameCalc) {
    const auto calcHelp = runShell("$K calc --help");
    EXPECT_EQ(calcHelp.status, 0);
    EXPECT_EQ(calcHelp.out.substr(0, kUsage.size()), kUsage);
    const auto help = runShell("$K --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("kestrum calc"), std::string::npos);
}

}  // namespace
