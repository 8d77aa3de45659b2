// Times the calculator's numbers at a number of significant digits (10000 unless given): sqrt(2),
// pi and e from a cold start and from the kept values, each with its decimal text, then runs the
// peer script (mpmath on gmpy2) for the same figures. A benchmark: it prints and checks nothing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ball.h"

namespace {

using kestrum::calc::Ball;
using kestrum::calc::Precision;
using Clock = std::chrono::steady_clock;

std::size_t textLength = 0;  // keeps the texts from being optimised away

template <class Call>
double microseconds(Call call) {
    const Clock::time_point start = Clock::now();
    textLength += call().mid().toString().size();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

template <class Call>
double bestOf(int rounds, Call call) {
    double best = microseconds(call);
    for (int i = 1; i < rounds; ++i) {
        best = std::min(best, microseconds(call));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::int64_t digits = argc > 1 ? std::stoll(argv[1]) : 10'000;
    const Precision p{digits};
    const Ball two = Ball::fromInteger(2);
    std::printf("kestrum calc numbers at %lld digits (microseconds, with the decimal text)\n",
                static_cast<long long>(digits));
    std::printf("  pi cold   %10.1f\n", microseconds([&] { return kestrum::calc::pi(p); }));
    std::printf("  e cold    %10.1f\n", microseconds([&] { return kestrum::calc::e(p); }));
    std::printf("  pi kept   %10.1f\n", bestOf(50, [&] { return kestrum::calc::pi(p); }));
    std::printf("  e kept    %10.1f\n", bestOf(50, [&] { return kestrum::calc::e(p); }));
    std::printf("  sqrt(2)   %10.1f\n", bestOf(50, [&] { return kestrum::calc::sqrt(two, p); }));
    std::fflush(stdout);
    const std::string peer =
        std::string("/usr/bin/python3 ") + KESTRUM_PEER_SCRIPT + " " + std::to_string(digits);
    return std::system(peer.c_str()) == 0 && textLength > 0 ? 0 : 1;
}
