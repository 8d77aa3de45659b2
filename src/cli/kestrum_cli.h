// The command-line client: kestrum OP A1 A2, over class Arithm.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace kestrum::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // the operation failed with an error
inline constexpr int kExitUsage = 2;    // bad arguments or malformed UTF-8

// Runs the client on `args` (without the program name), writing results to `out` and messages
// to `err`; returns the exit status.
int runKestrum(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace kestrum::cli
