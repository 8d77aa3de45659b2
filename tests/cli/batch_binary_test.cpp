// The kestrum binary in batch mode, end to end: pipelines, exit statuses and answers that arrive
// while the input is still open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "shell_run.h"

namespace {

using kestrum::cli::test::runShell;
using kestrum::cli::test::ShellRun;

const std::string kKestrum = KESTRUM_BINARY;

TEST(BatchBinary, IssueExampleInAPipeline) {
    const ShellRun r =
        runShell(R"(printf 'iadd\t12\t30\nidiv\t-7\t2\niadd\t1a\t1\n' | )" + kKestrum + " -");
    EXPECT_EQ(r.out, "42\n-3\t-1\t0\nerror 102\n");
    EXPECT_EQ(r.status, 1);
}

TEST(BatchBinary, ColumnsJoinedWithPaste) {
    const ShellRun r = runShell(
        "cd \"$(mktemp -d)\" && printf '1\\n20\\n300\\n' >a && printf '9\\n80\\n700\\n' >b && "
        "paste a b | sed 's/^/imult\\t/' | " +
        kKestrum + " - | paste -sd+ && rm -r \"$PWD\"");
    EXPECT_EQ(r.out, "9+1600+210000\n");
    EXPECT_EQ(r.status, 0);
}

struct StatusCase {
    std::string input;
    int status;
};

class BatchBinaryStatus : public testing::TestWithParam<StatusCase> {};

TEST_P(BatchBinaryStatus, ExitStatusTellsTheWorstLine) {
    EXPECT_EQ(runShell("printf '" + GetParam().input + "' | " + kKestrum + " - >/dev/null").status,
              GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Cases, BatchBinaryStatus,
                         testing::Values(StatusCase{"", 0}, StatusCase{"iadd\\t1\\t2\\n", 0},
                                         StatusCase{"isub\\tx\\t2\\niadd\\t1\\t2\\n", 1},
                                         StatusCase{"iadd\\t1\\t2\\niadd 1\\n", 2},
                                         StatusCase{"isub\\tx\\t2\\nfoo\\t1\\t2\\n", 2}));

TEST(BatchBinary, DashWithMoreArgumentsIsAUsageError) {
    EXPECT_EQ(runShell(kKestrum + " - iadd </dev/null").status, 2);
}

// A child kestrum - with pipes to its standard input and from its standard output.
class Child {
  public:
    Child() {
        std::array<int, 2> toChild{};
        std::array<int, 2> fromChild{};
        if (::pipe(toChild.data()) != 0 || ::pipe(fromChild.data()) != 0) {
            throw std::runtime_error("pipe");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
        for (const int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) {
            posix_spawn_file_actions_addclose(&actions, fd);
        }
        // Through the shell, since the command may start with an emulator.
        std::string shell = "/bin/sh";
        std::string option = "-c";
        std::string command = "exec " + kKestrum + " -";
        std::array<char*, 4> argv{shell.data(), option.data(), command.data(), nullptr};
        const int failed =
            posix_spawn(&pid_, shell.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(toChild[0]);
        ::close(fromChild[1]);
        input_ = toChild[1];
        output_ = fromChild[0];
        if (failed != 0) {
            throw std::runtime_error("posix_spawn");
        }
    }
    ~Child() {
        closeInput();
        ::close(output_);
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    Child(Child&&) = delete;
    Child& operator=(Child&&) = delete;

    void send(const std::string& text) const {
        ASSERT_EQ(::write(input_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Standard output up to and including the next line feed, waiting at most 10 seconds; what
    // came so far when the time runs out.
    [[nodiscard]] std::string readLine() const {
        std::string line;
        char c = 0;
        pollfd ready{output_, POLLIN, 0};
        while (::poll(&ready, 1, 10000) == 1 && ::read(output_, &c, 1) == 1) {
            line += c;
            if (c == '\n') {
                break;
            }
        }
        return line;
    }

    void closeInput() {
        if (input_ >= 0) {
            ::close(input_);
            input_ = -1;
        }
    }

    // The exit status after the input is closed.
    int wait() {
        closeInput();
        int raw = 0;
        ::waitpid(pid_, &raw, 0);
        pid_ = -1;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

  private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

TEST(BatchBinary, AnswersEachLineBeforeTheInputEnds) {
    Child child;
    child.send("iadd\t12\t30\n");
    EXPECT_EQ(child.readLine(), "42\n");
    child.send("idiv\t-7\t");  // half a line first: no answer yet, then the rest
    child.send("2\r\n");
    EXPECT_EQ(child.readLine(), "-3\t-1\t0\n");
    child.send("iadd\t1\n");
    EXPECT_EQ(child.readLine(), "error usage\n");
    child.send("icomp\t1\t1");
    child.closeInput();
    EXPECT_EQ(child.readLine(), "0\n");
    EXPECT_EQ(child.wait(), 2);
}

}  // namespace
