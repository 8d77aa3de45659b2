// The calculator's functions at one precision beside mpmath (with gmpy2) in the same run: one
// warm call including the decimal text of the result, best of several rounds each, on exact
// arguments and on the long ones that formulas such as exp(pi) or atan(1/3) pass on.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ball.h"

using kestrum::calc::Ball;
using kestrum::calc::Decimal;
using kestrum::calc::Precision;

namespace {

using Function = std::function<Ball(const Ball&, Precision)>;

// An argument is an exact decimal, or a long number that a formula would hand over: the ball
// of pi, sqrt(2) or 1/3 at a few digits beyond the precision (computed before the timing).
struct Case {
    const char* name;      // mpmath's name
    const char* argument;  // a Python expression over mpmath's names
    Function function;
    std::function<Ball(Precision)> argumentBall;
};

Function byName(const std::string& name) {
    if (name == "exp") {
        return [](const Ball& x, Precision p) { return kestrum::calc::exp(x, p); };
    }
    if (name == "log") {
        return [](const Ball& x, Precision p) { return kestrum::calc::ln(x, p); };
    }
    if (name == "sin") {
        return [](const Ball& x, Precision p) { return kestrum::calc::sin(x, p); };
    }
    if (name == "cos") {
        return [](const Ball& x, Precision p) { return kestrum::calc::cos(x, p); };
    }
    if (name == "tan") {
        return [](const Ball& x, Precision p) { return kestrum::calc::tan(x, p); };
    }
    if (name == "atan") {
        return [](const Ball& x, Precision p) { return kestrum::calc::atan(x, p); };
    }
    if (name == "asin") {
        return [](const Ball& x, Precision p) { return kestrum::calc::asin(x, p); };
    }
    return [](const Ball& x, Precision p) { return kestrum::calc::acos(x, p); };
}

Case exactCase(const char* name, const char* argument) {
    return {name, argument, byName(name),
            [argument](Precision) { return Ball(Decimal::fromText(argument)); }};
}

Case longCase(const char* name, const char* argument, std::function<Ball(Precision)> ball) {
    return {name, argument, byName(name), std::move(ball)};
}

double bestMilliseconds(const Case& c, Precision p, int rounds) {
    const Ball x = c.argumentBall(Precision{p.digits + 10});
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
    const auto piBall = [](Precision p) { return kestrum::calc::pi(p); };
    const auto sqrtTwo = [](Precision p) {
        return kestrum::calc::sqrt(Ball(Decimal::fromText("2")), p);
    };
    const auto third = [](Precision p) {
        return kestrum::calc::div(Ball(Decimal::fromText("1")), Ball(Decimal::fromText("3")), p);
    };
    const auto piSeventh = [](Precision p) {
        return kestrum::calc::div(kestrum::calc::pi(p), Ball(Decimal::fromText("7")), p);
    };
    const std::vector<Case> cases = {
        exactCase("exp", "1.5"),
        exactCase("exp", "-123.456"),
        longCase("exp", "pi", piBall),
        longCase("exp", "sqrt(2)", sqrtTwo),
        exactCase("log", "2"),
        exactCase("log", "3"),
        exactCase("log", "0.7"),
        exactCase("log", "123456.789"),
        longCase("log", "sqrt(2)", sqrtTwo),
        longCase("log", "pi", piBall),
        exactCase("sin", "1"),
        exactCase("cos", "0.7"),
        longCase("sin", "sqrt(2)", sqrtTwo),
        exactCase("cos", "1000000000000000000000000000000"),
        exactCase("tan", "1"),
        longCase("tan", "pi/7", piSeventh),
        exactCase("atan", "0.5"),
        longCase("atan", "1/mpf(3)", third),
        exactCase("atan", "3"),
        exactCase("asin", "0.5"),
        exactCase("acos", "0.3"),
    };
    std::string command = "/usr/bin/python3 " KESTRUM_PEER_MPMATH " " + std::to_string(digits) +
                          " " + std::to_string(rounds);
    for (const Case& c : cases) {
        command += std::string(" '") + c.name + ":" + c.argument + "'";
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
