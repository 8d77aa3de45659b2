#include <unistd.h>

#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "batch.h"
#include "kestrum_cli.h"

int main(int argc, char** argv) {
    const std::span<char*> raw(argv, static_cast<std::size_t>(argc));
    const std::vector<std::string> args(raw.begin() + 1, raw.end());
    if (args.size() == 1 && args[0] == "-") {
        return kestrum::cli::runBatch(STDIN_FILENO, STDOUT_FILENO, std::cerr);
    }
    return kestrum::cli::runKestrum(args, std::cout, std::cerr);
}
