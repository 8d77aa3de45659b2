#include "batch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrum::cli {
namespace {

struct BatchRun {
    int status;
    std::string out;
    std::vector<std::string> errLines;
};

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

File temporaryFile() {
    File file(std::tmpfile(), std::fclose);
    if (!file) {
        throw std::runtime_error("no temporary file");
    }
    return file;
}

std::string readAll(int fd) {
    std::string text;
    std::array<char, 4096> block{};
    ssize_t count = 0;
    while ((count = ::read(fd, block.data(), block.size())) > 0) {
        text.append(block.data(), static_cast<std::size_t>(count));
    }
    return text;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

BatchRun runBatchOn(const std::string& input, int outputFd = -1) {
    const File in = temporaryFile();
    const File out = temporaryFile();
    std::fwrite(input.data(), 1, input.size(), in.get());
    std::fflush(in.get());
    ::lseek(fileno(in.get()), 0, SEEK_SET);
    std::ostringstream err;
    const int status = runBatch(fileno(in.get()), outputFd < 0 ? fileno(out.get()) : outputFd, err);
    ::lseek(fileno(out.get()), 0, SEEK_SET);
    return {status, readAll(fileno(out.get())), linesOf(err.str())};
}

struct BatchCase {
    std::string name;
    std::string input;
    int status;
    std::string out;
    std::vector<std::string> errStarts;  // the start of each line on standard error
};

class BatchTest : public testing::TestWithParam<BatchCase> {};

TEST_P(BatchTest, AnswersEveryLine) {
    const BatchCase& c = GetParam();
    const BatchRun r = runBatchOn(c.input);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    ASSERT_EQ(r.errLines.size(), c.errStarts.size()) << testing::PrintToString(r.errLines);
    for (std::size_t i = 0; i < c.errStarts.size(); ++i) {
        EXPECT_EQ(r.errLines[i].substr(0, c.errStarts[i].size()), c.errStarts[i]);
    }
}

const std::string kFieldsMessage = "kestrum: line 1: expected OP<TAB>A1<TAB>A2 or OP A1 A2, found ";

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchTest,
    testing::Values(
        BatchCase{"IssueExample",
                  "iadd\t12\t30\nidiv\t-7\t2\niadd\t1a\t1\n",
                  1,
                  "42\n-3\t-1\t0\nerror 102\n",
                  {"kestrum: line 3: error 102 (0x800A0066): An operand holds"}},
        BatchCase{"EmptyInput", "", 0, "", {}},
        BatchCase{"EveryOperation",
                  "isub\t5\t7\nimult\t-5\t0\nradd\t0.1\t0.2\nrsub\t1\t.5\nrmult\t1.5\t2\n"
                  "icomp\t2\t10\nidiv\t100\t7\n",
                  0,
                  "-2\n-0\n.3\n.5\n3.\n-1\n14\t2\t0\n",
                  {}},
        BatchCase{"CarriageReturnBeforeLineFeedDropped",
                  "iadd\t1\t2\r\nicomp\t2\t2\r\n",
                  0,
                  "3\n0\n",
                  {}},
        BatchCase{"OnlyOneCarriageReturnDropped",
                  "iadd\t1\t2\r\r\n",
                  1,
                  "error 102\n",
                  {"kestrum: line 1: error 102"}},
        BatchCase{"CarriageReturnInsideKept",
                  "isub\t1\r\t2\n",
                  1,
                  "error 103\n",
                  {"kestrum: line 1: error 103"}},
        BatchCase{"LastLineWithoutLineFeed", "iadd\t1\t1\nimult\t3\t4", 0, "2\n12\n", {}},
        BatchCase{"LastLineWithoutLineFeedDropsCarriageReturn", "iadd\t1\t1\r", 0, "2\n", {}},
        BatchCase{"EmptyFieldsAreEmptyOperands", "iadd\t\t\nidiv\t5\t\n", 0, "0\n0\t0\t1\n", {}},
        BatchCase{"BlanksInOperandsKept", "iadd\t1 2\t 3 \n", 0, "15\n", {}},
        BatchCase{"DivisionFlagStartsAtZeroOnEveryLine",
                  "idiv\t5\t0\nidiv\t7\t2\n",
                  0,
                  "0\t0\t1\n3\t1\t0\n",
                  {}},
        BatchCase{"NonAsciiOperands",
                  "icomp\t\xC3\xA9\t9\niadd\t\xF0\x9F\x98\x80\t1\n",
                  1,
                  "1\nerror 102\n",
                  {"kestrum: line 2: error 102"}},
        BatchCase{"TooFewFieldsNotCutAtBlanks",
                  "iadd 1\t2\n",
                  2,
                  "error usage\n",
                  {kFieldsMessage + "2 tab-separated fields"}},
        BatchCase{"TooManyFields",
                  "iadd\t1\t2\t\n",
                  2,
                  "error usage\n",
                  {kFieldsMessage + "4 tab-separated fields"}},
        BatchCase{
            "EmptyLine", "\n", 2, "error usage\n", {kFieldsMessage + "0 blank-separated fields"}},
        BatchCase{"BlanksInsteadOfTabs",
                  "iadd 1 2\r\nidiv -7 2\n  rmult  1.5   2 \n",
                  0,
                  "3\n-3\t-1\t0\n3.\n",
                  {}},
        BatchCase{"MalformedBlankForm",
                  "iadd 1\niadd 1 2 3\nIadd 1 2\n",
                  2,
                  "error usage\nerror usage\nerror usage\n",
                  {kFieldsMessage + "2 blank-separated fields",
                   "kestrum: line 2: expected OP<TAB>A1<TAB>A2 or OP A1 A2, found 4 blank",
                   "kestrum: line 3: unknown operation"}},
        BatchCase{"UnknownOperation",
                  "IADD\t1\t2\n",
                  2,
                  "error usage\n",
                  {"kestrum: line 1: unknown operation (OP: iadd isub"}},
        BatchCase{"OperandNotUtf8",
                  "iadd\t\xFF\t1\niadd\t1\t\xC3\n",
                  2,
                  "error usage\nerror usage\n",
                  {"kestrum: line 1: operand 1 is not valid UTF-8",
                   "kestrum: line 2: operand 2 is not valid UTF-8"}},
        BatchCase{"MalformedAndFailingLinesGiveStatusTwo",
                  "iadd\t1\t2\niadd\t1a\t1\nnope\niadd\t2\t2\n",
                  2,
                  "3\nerror 102\nerror usage\n4\n",
                  {"kestrum: line 2: error 102", "kestrum: line 3: expected"}}),
    [](const testing::TestParamInfo<BatchCase>& param) { return param.param.name; });

TEST(Batch, OperandsUpToTheLengthLimit) {
    const std::string longest(32766, '1');
    const std::string tooLong(32767, '1');
    const BatchRun r = runBatchOn("iadd\t" + longest + "\t0\niadd\t" + tooLong + "\t0\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, longest + "\nerror 6\n");
    ASSERT_EQ(r.errLines.size(), 1U);
    EXPECT_EQ(r.errLines[0].rfind("kestrum: line 2: error 6 (0x800A0006)", 0), 0U);
}

TEST(Batch, LinesLongerThanTheReadBlock) {
    // Equal operands compare as equal at any length; a shorter line before and after checks
    // that the long one is split off exactly.
    const std::string huge(300000, '7');
    const BatchRun r =
        runBatchOn("icomp\t1\t2\nicomp\t" + huge + "\t" + huge + "\nicomp\t" + huge + "\t\n");
    EXPECT_EQ(r.out, "-1\n0\nerror 6\n");
    EXPECT_EQ(r.status, 1);
}

TEST(Batch, ManyLinesAcrossReadBlocks) {
    std::string input;
    std::string expected;
    for (int i = 0; i < 30000; ++i) {
        input +=
            "iadd\t" + std::to_string(i) + "\t" + std::to_string(i) + (i % 3 == 0 ? "\r\n" : "\n");
        expected += std::to_string(2 * i) + "\n";
    }
    const BatchRun r = runBatchOn(input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, expected);
}

TEST(Batch, WriteFailureEndsTheRun) {
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    const BatchRun r = runBatchOn("iadd\t1\t2\n", full);
    ::close(full);
    EXPECT_EQ(r.status, 2);
    ASSERT_EQ(r.errLines.size(), 1U);
    EXPECT_EQ(r.errLines[0].rfind("kestrum: cannot write standard output: ", 0), 0U);
}

TEST(Batch, ReadFailureEndsTheRun) {
    const int directory = ::open("/", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(directory, 0);
    const File out = temporaryFile();
    std::ostringstream err;
    EXPECT_EQ(runBatch(directory, fileno(out.get()), err), 2);
    ::close(directory);
    EXPECT_EQ(err.str().rfind("kestrum: cannot read standard input: ", 0), 0U);
}

}  // namespace
}  // namespace kestrum::cli
