// The calculator's functions at one precision beside mpmath (with gmpy2) in the same run: one
// warm call including the decimal text of the result, best of several rounds each.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ball.h"

using kestrum::calc::Ball;
using kestrum::calc::Decimal;
using kestrum::calc::Precision;

namespace {

struct Case {
    const char* name;  // mpmath's name
    const char* argument;
    std::function<Ball(const Ball&, Precision)> function;
};

double bestMilliseconds(const Case& c, Precision p, int rounds) {
    const Ball x(Decimal::fromText(c.argument));
    std::string text = c.function(x, p).mid().toString();
    double best = 1e300;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        text = c.function(x, p).mid().toString();
        const std::chrono::duration<double, std::milli> elapsed =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::int64_t digits = argc > 1 ? std::atoll(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::vector<Case> cases = {
        {"exp", "1.5", [](const Ball& x, Precision p) { return kestrum::calc::exp(x, p); }},
        {"exp", "-123.456", [](const Ball& x, Precision p) { return kestrum::calc::exp(x, p); }},
        {"log", "2", [](const Ball& x, Precision p) { return kestrum::calc::ln(x, p); }},
        {"log", "3", [](const Ball& x, Precision p) { return kestrum::calc::ln(x, p); }},
        {"log", "0.123456789", [](const Ball& x, Precision p) { return kestrum::calc::ln(x, p); }},
        {"sin", "1", [](const Ball& x, Precision p) { return kestrum::calc::sin(x, p); }},
        {"cos", "0.7", [](const Ball& x, Precision p) { return kestrum::calc::cos(x, p); }},
        {"sin", "1000000000000000000000000000000",
         [](const Ball& x, Precision p) { return kestrum::calc::sin(x, p); }},
        {"tan", "1", [](const Ball& x, Precision p) { return kestrum::calc::tan(x, p); }},
        {"atan", "0.5", [](const Ball& x, Precision p) { return kestrum::calc::atan(x, p); }},
        {"atan", "3", [](const Ball& x, Precision p) { return kestrum::calc::atan(x, p); }},
        {"asin", "0.5", [](const Ball& x, Precision p) { return kestrum::calc::asin(x, p); }},
    };
    std::string command = "/usr/bin/python3 " KESTRUM_PEER_MPMATH " " + std::to_string(digits) +
                          " " + std::to_string(rounds);
    for (const Case& c : cases) {
        command += std::string(" ") + c.name + ":" + c.argument;
    }
    std::vector<double> peer;
    {
        const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        double ms = 0;
        while (pipe && std::fscanf(pipe.get(), "%lf", &ms) == 1) {
            peer.push_back(ms);
        }
    }
    std::printf("%-22s %12s %12s %8s  (%lld digits)\n", "case", "Kestrum ms", "mpmath ms", "ratio",
                static_cast<long long>(digits));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const double ours = bestMilliseconds(cases[i], Precision{digits}, rounds);
        const double theirs = i < peer.size() ? peer[i] : 0;
        std::printf("%-22s %12.3f %12.3f %8.2f\n",
                    (std::string(cases[i].name) + "(" + cases[i].argument + ")").c_str(), ours,
                    theirs, theirs > 0 ? ours / theirs : 0.0);
    }
}
