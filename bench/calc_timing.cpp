// Times `kestrum calc`'s evaluation in process, as the peers are timed: for each formula, a cold
// call on a fresh Calculator (the first of the process for that formula, so it fills the caches of
// pi, e, ln 2 and ln 10), then warm calls, each the best of several rounds, in every heap layout
// of heap_layout.h; the worst layout's figure is printed. A benchmark: it checks nothing.
//   calc_timing PLACES FORMULA...   prints "FORMULA<TAB>cold us<TAB>warm us<TAB>result digits"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "calculator.h"
#include "heap_layout.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 5;

double microsecondsOf(const std::function<void()>& call) {
    const auto start = Clock::now();
    call();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// A product of two 16383-digit numbers on a calculator that stays alive, for the last layout.
std::unique_ptr<kestrum::calc::Calculator> multiplyElsewhere() {
    auto calculator = std::make_unique<kestrum::calc::Calculator>();
    const std::string factor(16383, '7');
    calculator->evaluateLine(factor + "*" + factor);
    return calculator;
}

// The best warm call of one formula in one layout.
double warmMicroseconds(const std::string& formula, std::int64_t places,
                        const bench::HeapLayout& layout) {
    const auto elsewhere = layout.afterMultiplication ? multiplyElsewhere() : nullptr;
    bench::LayoutPads pads(layout);
    pads.next();
    auto calculator = std::make_unique<kestrum::calc::Calculator>();
    calculator->setPlaces(places);
    pads.next();
    calculator->evaluateLine(formula);
    pads.next();
    double best = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        best = std::min(best, microsecondsOf([&] { calculator->evaluateLine(formula); }));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: calc_timing PLACES FORMULA...\n");
        return 2;
    }
    const std::int64_t places = std::atoll(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const std::string formula = argv[i];
        kestrum::calc::Calculator cold;
        cold.setPlaces(places);
        std::string result;
        const double coldMicroseconds =
            microsecondsOf([&] { result = cold.evaluateLine(formula).value_or(""); });
        double worst = 0;
        for (const bench::HeapLayout& layout : bench::kHeapLayouts) {
            worst = std::max(worst, warmMicroseconds(formula, places, layout));
        }
        std::printf("%s\t%.1f\t%.1f\t%zu\n", formula.c_str(), coldMicroseconds, worst,
                    result.size());
    }
    return 0;
}
