// Times the digit-text kernel against GMP, both text in and text out (GMP parses with
// mpz_set_str and formats with mpz_get_str), and prints one row per workload with the ratio
// and the kernel's peak heap use in one call. An argument keeps only the workloads whose name
// contains it.
//
// Each figure is the fastest batch seen in a fixed time budget, a batch being as many calls as
// fill about 20 microseconds (one call for slower workloads): on a shared machine the fastest
// batch is the one nobody interrupted.
#include <gmp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "kernel/kernel.h"

namespace {

// Heap accounting for the peak-memory column: every allocation carries its size in front.
std::size_t gLive = 0;
std::size_t gPeak = 0;
constexpr std::size_t kHeader = alignof(std::max_align_t);

}  // namespace

void* operator new(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *reinterpret_cast<std::size_t*>(block) = size;
    gLive += size;
    gPeak = std::max(gPeak, gLive);
    return block + kHeader;
}

void operator delete(void* p) noexcept {
    if (p != nullptr) {
        auto* block = static_cast<unsigned char*>(p) - kHeader;
        gLive -= *reinterpret_cast<std::size_t*>(block);
        std::free(block);
    }
}

void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

namespace kernel = kestrum::aserv::kernel;

std::string randomDigits(std::mt19937& rng, std::size_t n) {
    std::uniform_int_distribution<int> digit(0, 9);
    std::string s(n, '0');
    for (char& c : s) {
        c = static_cast<char>('0' + digit(rng));
    }
    s[0] = static_cast<char>('1' + digit(rng) % 9);
    return s;
}

std::u16string widen(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

double timeIt(const std::function<void()>& op) {
    using Clock = std::chrono::steady_clock;
    using Micros = std::chrono::duration<double, std::micro>;
    std::size_t reps = 1;
    for (;;) {
        const auto start = Clock::now();
        for (std::size_t i = 0; i < reps; ++i) {
            op();
        }
        if (Micros(Clock::now() - start).count() > 20.0) {
            break;
        }
        reps *= 2;
    }
    double best = 1e300;
    const auto end = Clock::now() + std::chrono::milliseconds(250);
    int batches = 0;
    while (Clock::now() < end || batches < 5) {
        const auto start = Clock::now();
        for (std::size_t i = 0; i < reps; ++i) {
            op();
        }
        best = std::min(best, Micros(Clock::now() - start).count() / static_cast<double>(reps));
        ++batches;
    }
    return best;
}

enum class Op { Add, Subtract, Compare, Multiply, Divide };

class GmpOperands {
  public:
    GmpOperands() { mpz_inits(a_, b_, q_, r_, nullptr); }
    ~GmpOperands() { mpz_clears(a_, b_, q_, r_, nullptr); }
    GmpOperands(const GmpOperands&) = delete;
    GmpOperands& operator=(const GmpOperands&) = delete;

    void run(Op op, const std::string& a, const std::string& b, std::string& out) {
        mpz_set_str(a_, a.c_str(), 10);
        mpz_set_str(b_, b.c_str(), 10);
        out.resize(a.size() + b.size() + 2);
        switch (op) {
            case Op::Add:
                mpz_add(q_, a_, b_);
                mpz_get_str(out.data(), 10, q_);
                break;
            case Op::Subtract:
                mpz_sub(q_, a_, b_);
                mpz_get_str(out.data(), 10, q_);
                break;
            case Op::Compare:
                out[0] = static_cast<char>('1' + mpz_cmp(a_, b_));
                break;
            case Op::Multiply:
                mpz_mul(q_, a_, b_);
                mpz_get_str(out.data(), 10, q_);
                break;
            case Op::Divide:
                mpz_tdiv_qr(q_, r_, a_, b_);
                mpz_get_str(out.data(), 10, q_);
                mpz_get_str(out.data(), 10, r_);
                break;
        }
    }

  private:
    mpz_t a_, b_, q_, r_;
};

// Divisor shapes besides random digits: 10...01 makes every quotient estimate from the top
// limbs too large, 99...9 keeps the quotient digits at their largest.
enum class Form { Random, Nines, PowerOfTenPlusOne };

struct Workload {
    const char* name;
    Op op;
    std::size_t lengthA;
    std::size_t lengthB;
    Form formB = Form::Random;
};

const Workload kWorkloads[] = {
    {"add", Op::Add, 10, 10},
    {"add", Op::Add, 100, 100},
    {"add", Op::Add, 1000, 1000},
    {"add", Op::Add, 10000, 10000},
    {"add", Op::Add, 32766, 32766},
    {"add", Op::Add, 32766, 10},
    {"subtract", Op::Subtract, 10, 9},
    {"subtract", Op::Subtract, 1000, 1000},
    {"subtract", Op::Subtract, 32766, 32766},
    {"subtract", Op::Subtract, 32766, 10},
    {"compare (last digit)", Op::Compare, 10, 10},
    {"compare (last digit)", Op::Compare, 1000, 1000},
    {"compare (last digit)", Op::Compare, 32766, 32766},
    {"multiply", Op::Multiply, 10, 10},
    {"multiply", Op::Multiply, 18, 18},
    {"multiply", Op::Multiply, 100, 100},
    {"multiply", Op::Multiply, 1000, 1000},
    {"multiply", Op::Multiply, 2000, 2000},
    {"multiply", Op::Multiply, 4000, 4000},
    {"multiply", Op::Multiply, 10000, 10000},
    {"multiply", Op::Multiply, 16383, 16383},
    {"multiply", Op::Multiply, 32766, 10},
    {"multiply", Op::Multiply, 32766, 1000},
    {"multiply", Op::Multiply, 32766, 16383},
    {"multiply", Op::Multiply, 32766, 32766},
    {"divide", Op::Divide, 10, 5},
    {"divide", Op::Divide, 19, 9},
    {"divide", Op::Divide, 20, 10},
    {"divide", Op::Divide, 200, 100},
    {"divide", Op::Divide, 1000, 500},
    {"divide", Op::Divide, 20000, 10000},
    {"divide", Op::Divide, 32766, 16383},
    {"divide", Op::Divide, 32766, 16383, Form::Nines},
    {"divide", Op::Divide, 32766, 10},
    {"divide", Op::Divide, 32766, 18},
    {"divide", Op::Divide, 32766, 19},
    {"divide", Op::Divide, 32766, 100},
    {"divide", Op::Divide, 32766, 1000},
    {"divide", Op::Divide, 32766, 4000},
    {"divide", Op::Divide, 32766, 8000},
    {"divide", Op::Divide, 32766, 24000},
    {"divide", Op::Divide, 32766, 32000},
    {"divide", Op::Divide, 32766, 32000, Form::PowerOfTenPlusOne},
    {"divide", Op::Divide, 32766, 32700},
};

std::string operandB(std::mt19937& rng, const Workload& w, std::string& a) {
    switch (w.formB) {
        case Form::Nines:
            return std::string(w.lengthB, '9');
        case Form::PowerOfTenPlusOne: {
            std::string b(w.lengthB, '0');
            b.front() = '1';
            b.back() = '1';
            return b;
        }
        case Form::Random:
            break;
    }
    std::string b = randomDigits(rng, w.lengthB);
    if (w.op == Op::Compare) {
        b = a;
        b.back() = b.back() == '9' ? '8' : static_cast<char>(b.back() + 1);
    } else if (w.op == Op::Subtract && w.lengthA == w.lengthB && b > a) {
        std::swap(a, b);
    }
    return b;
}

const char* formName(Form f) {
    switch (f) {
        case Form::Nines:
            return " (9s)";
        case Form::PowerOfTenPlusOne:
            return " (10..01)";
        case Form::Random:
            break;
    }
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    const std::string filter = argc > 1 ? argv[1] : "";
    std::mt19937 rng(2024);
    GmpOperands gmp;
    std::printf("%-26s %7s %7s %12s %12s %9s %10s\n", "workload", "digits", "by", "kernel us",
                "GMP us", "GMP/ours", "peak KiB");
    for (const Workload& w : kWorkloads) {
        std::string a = randomDigits(rng, w.lengthA);
        const std::string b = operandB(rng, w, a);
        const std::string name = std::string(w.name) + formName(w.formB);
        if (name.find(filter) == std::string::npos) {
            continue;
        }
        const std::u16string ua = widen(a);
        const std::u16string ub = widen(b);
        std::size_t sink = 0;
        const auto call = [&] {
            switch (w.op) {
                case Op::Add:
                    sink += kernel::addMagnitudes(ua, ub).size();
                    break;
                case Op::Subtract:
                    sink += kernel::subtractMagnitudes(ua, ub).size();
                    break;
                case Op::Compare:
                    sink += static_cast<std::size_t>(2 + kernel::compareMagnitudes(ua, ub));
                    break;
                case Op::Multiply:
                    sink += kernel::multiplyMagnitudes(ua, ub).size();
                    break;
                case Op::Divide:
                    sink += kernel::divideMagnitudes(ua, ub).quotient.size();
                    break;
            }
        };
        call();  // first use sets up any tables
        gPeak = gLive;
        const std::size_t base = gLive;
        call();
        const std::size_t peak = gPeak - base;
        const double ours = timeIt(call);
        std::string out;
        const double theirs = timeIt([&] { gmp.run(w.op, a, b, out); });
        std::printf("%-26s %7zu %7zu %12.3f %12.3f %8.1fx %10.1f\n", name.c_str(), w.lengthA,
                    w.lengthB, ours, theirs, theirs / ours, static_cast<double>(peak) / 1024.0);
        if (sink == 0) {
            std::puts("(no output)");
        }
    }
    return 0;
}
