// Runs a shell command line for the end-to-end tests of the kestrum binary.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace kestrum::cli::test {

struct ShellRun {
    int status;
    std::string out;
    std::string err;
};

// Runs `command` with sh. ctest runs cases in parallel processes, so each keeps standard error
// in a file of its own.
inline ShellRun runShell(const std::string& command) {
    const std::string errFile = ::testing::TempDir() + "kestrum_stderr." + std::to_string(getpid());
    const std::string full = "(" + command + ") 2>'" + errFile + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(full.c_str(), "r"), pclose);
    std::string out;
    std::array<char, 256> buffer{};
    std::size_t count = 0;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) {
        out.append(buffer.data(), count);
    }
    const int raw = pclose(pipe.release());
    std::ostringstream err;
    err << std::ifstream(errFile).rdbuf();
    std::remove(errFile.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out, err.str()};
}

}  // namespace kestrum::cli::test
