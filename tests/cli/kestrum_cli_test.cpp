#include "kestrum_cli.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace kestrum::cli {
namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun run(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runKestrum(args, out, err);
    return {status, out.str(), err.str()};
}

struct CliCase {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string errStart;
};

class KestrumCliTest : public testing::TestWithParam<CliCase> {};

TEST_P(KestrumCliTest, PrintsResultsAndReportsFailures) {
    const auto& c = GetParam();
    const CliRun r = run(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err.substr(0, c.errStart.size()), c.errStart);
    if (c.errStart.empty()) {
        EXPECT_EQ(r.err, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KestrumCliTest,
    testing::Values(
        CliCase{{"icomp", " 1 2 ", "12"}, 0, "0\n", ""},
        CliCase{{"icomp", "1a", "19"}, 0, "1\n", ""}, CliCase{{"icomp", "-0", "0"}, 0, "-1\n", ""},
        CliCase{{"iadd", "", ""}, 0, "0\n", ""}, CliCase{{"idiv", "100", "7"}, 0, "14\n2\n0\n", ""},
        CliCase{{"idiv", "5", "-0"}, 0, "0\n0\n1\n", ""},
        CliCase{{"radd", "0.1", "0.2"}, 0, ".3\n", ""},
        CliCase{{"rmult", "-0.5", "0.0"}, 0, "-0.\n", ""},
        CliCase{{"isub", "\xC3\xA9", "1"}, 1, "", "kestrum: error 103 (0x800A0067): "},
        CliCase{{"iadd", "1a", "1"}, 1, "", "kestrum: error 102 (0x800A0066): "},
        CliCase{{"iadd", std::string(32767, '1'), "1"}, 1, "", "kestrum: error 6 (0x800A0006): "},
        CliCase{{"iadd", "1"}, 2, "", "usage: kestrum OP A1 A2"},
        CliCase{{"add", "1", "2"}, 2, "", "usage: kestrum OP A1 A2"},
        CliCase{{"--version", "1", "2"}, 2, "", "usage: kestrum OP A1 A2"},
        CliCase{{"iadd", "1", "\xFF"}, 2, "", "kestrum: operand 2 is not valid UTF-8"},
        CliCase{{"--version"}, 0, "kestrum 1.0.0\n", ""}));

TEST(KestrumCli, HandsLongIdenticalOperandsToComparison) {
    const std::string huge(40000, '9');
    EXPECT_EQ(run({"icomp", huge, huge}).out, "0\n");
}

TEST(KestrumCli, HelpListsEveryOperationBatchModeAndManualPage) {
    const CliRun r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* op : {"iadd", "isub", "imult", "idiv", "radd", "rsub", "rmult", "icomp",
                           "kestrum -", "kestrum(1)"}) {
        EXPECT_NE(r.out.find(op), std::string::npos) << op;
    }
}

// The installed binary, end to end: exit status, standard output and standard error.
struct Process {
    int status;
    std::string out;
};

Process runBinary(const std::string& arguments) {
    const std::string command = std::string(KESTRUM_BINARY) + " " + arguments + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe.get()) != nullptr) {
        out += buffer.data();
    }
    const int raw = pclose(pipe.release());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

TEST(KestrumBinary, ExitStatusAndStreams) {
    EXPECT_EQ(runBinary("imult 99999999999999999999 99999999999999999999").out,
              "9999999999999999999800000000000000000001\n");
    const Process failure = runBinary("isub 12a 5");
    EXPECT_EQ(failure.status, 1);
    EXPECT_EQ(failure.out.rfind("kestrum: error 103", 0), 0U);
    EXPECT_EQ(runBinary("").status, 2);
    EXPECT_EQ(runBinary("idiv -7 '' ").out, "0\n0\n1\n");
}

}  // namespace
}  // namespace kestrum::cli
