// Side-by-side timing of the Arithm operations against GMP and libmpdec (through Python's
// decimal module, run as a child process by bench/peer_decimal.py), text in and text out, on the
// same operands. Prints one table of times and ratios, the time to copy the bytes of the operands
// and the result once for the linear workloads, the peak heap of each Kestrum call, and the
// longest call on hand-built worst inputs at the length limit. The process runs with glibc's
// defaults, as a client's process does; KESTRUM_BENCH_NO_TRIM=1 keeps glibc from giving the top of
// the heap back between calls.
//
// Usage: arithm_bench [path/to/peer_decimal.py | --no-libmpdec]
// --no-libmpdec leaves libmpdec out: GMP alone is the peer, as in the 32-bit x86 build
// (scripts/bench-i686.sh), where the Python process would be a 64-bit one.
#include <gmp.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "arithm.h"
#include "automation_string.h"
#include "heap_layout.h"
#include "result_codes.h"

// Heap accounting: every operator new of the process is counted by the usable size of its block,
// so that the peak of live bytes during one call can be read. The counters are written on every
// allocation, so each has a cache line of its own: placed next to data of the code under test
// they slowed the shortest calls by a quarter, depending only on how the linker laid out the
// program.
namespace heap {

alignas(64) std::size_t live = 0;
alignas(64) std::size_t peak = 0;

void* allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    live += malloc_usable_size(block);
    peak = std::max(peak, live);
    return block;
}

void release(void* block) noexcept {
    if (block != nullptr) {
        live -= malloc_usable_size(block);
        std::free(block);
    }
}

}  // namespace heap

void* operator new(std::size_t size) {
    return heap::allocate(size);
}
void* operator new[](std::size_t size) {
    return heap::allocate(size);
}
void operator delete(void* block) noexcept {
    heap::release(block);
}
void operator delete[](void* block) noexcept {
    heap::release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    heap::release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    heap::release(block);
}

namespace {

using kestrum::api::Arithm;
using kestrum::api::AutoString;
using kestrum::api::AutoStringHolder;
using kestrum::api::ResultCode;
using Clock = std::chrono::steady_clock;

enum class Op { kAdd, kSub, kComp, kMult, kDiv, kRealAdd, kRealSub, kRealMult };

// The operation's name as the peer script reads it.
const char* opName(Op op) {
    switch (op) {
        case Op::kAdd:
            return "iadd";
        case Op::kSub:
            return "isub";
        case Op::kComp:
            return "icomp";
        case Op::kMult:
            return "imult";
        case Op::kDiv:
            return "idiv";
        case Op::kRealAdd:
            return "radd";
        case Op::kRealSub:
            return "rsub";
        case Op::kRealMult:
            return "rmult";
    }
    return "";
}

bool isPointOp(Op op) {
    return op == Op::kRealAdd || op == Op::kRealSub || op == Op::kRealMult;
}

std::u16string widen(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string narrow(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char16_t c : text) {
        out.push_back(c < 128 ? static_cast<char>(c) : '?');
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Timing

constexpr double kBatchSeconds = 0.01;  // one batch of repetitions lasts at least this long
constexpr int kBatches = 5;             // the best batch counts
constexpr double kSlowSeconds = 0.05;   // a call slower than this runs only once
constexpr std::size_t kPeakBudgetBytes = std::size_t{2} << 20;  // the most one call may take

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Mean seconds per call of the best batch; a slow call is timed once.
double timeCalls(const std::function<void()>& call, double firstCall) {
    if (firstCall > kSlowSeconds) {
        return firstCall;
    }
    const long repetitions = std::max(1L, static_cast<long>(kBatchSeconds / firstCall));
    double best = firstCall;
    for (int batch = 0; batch < kBatches; ++batch) {
        const auto start = Clock::now();
        for (long i = 0; i < repetitions; ++i) {
            call();
        }
        best = std::min(best, secondsSince(start) / static_cast<double>(repetitions));
    }
    return best;
}

double timeCalls(const std::function<void()>& call) {
    const auto start = Clock::now();
    call();
    return timeCalls(call, secondsSince(start));
}

// ---------------------------------------------------------------------------------------------
// Kestrum through class Arithm

// What one call handed back: the result code, the returned strings (owned) and the flag.
struct ArithmOutcome {
    ResultCode code = 0;
    AutoStringHolder first;
    AutoStringHolder second;
    std::int16_t number = 0;

    // The result as text: quotient and remainder joined by " r ", a comparison as -1, 0 or 1.
    [[nodiscard]] std::string text() const {
        if (code != kestrum::api::kSuccess) {
            return "error " + std::to_string(kestrum::api::runTimeErrorNumber(code));
        }
        std::string out =
            first ? narrow(kestrum::api::autoStringView(first.get())) : std::to_string(number);
        if (second) {
            out += " r " + narrow(kestrum::api::autoStringView(second.get()));
        }
        return out;
    }
};

ArithmOutcome callArithm(const Arithm& arithm, Op op, AutoString a, AutoString b) {
    ArithmOutcome outcome;
    AutoString first = nullptr;
    AutoString second = nullptr;
    switch (op) {
        case Op::kAdd:
            outcome.code = arithm.iadd(&a, &b, &first);
            break;
        case Op::kSub:
            outcome.code = arithm.isub(&a, &b, &first);
            break;
        case Op::kMult:
            outcome.code = arithm.imult(&a, &b, &first);
            break;
        case Op::kRealAdd:
            outcome.code = arithm.radd(&a, &b, &first);
            break;
        case Op::kRealSub:
            outcome.code = arithm.rsub(&a, &b, &first);
            break;
        case Op::kRealMult:
            outcome.code = arithm.rmult(&a, &b, &first);
            break;
        case Op::kComp:
            outcome.code = arithm.icomp(&a, &b, &outcome.number);
            break;
        case Op::kDiv:
            outcome.code = arithm.idiv(&a, &b, &first, &second, &outcome.number);
            break;
    }
    outcome.first.reset(first);
    outcome.second.reset(second);
    return outcome;
}

std::size_t autoStringBytes(const AutoStringHolder& text) {
    return text ? kestrum::api::autoStringView(text.get()).size() * 2 + 6 : 0;
}

// One measured Kestrum case: time per call, the heap peak of one call on a fresh object
// (operator new, the storage the object keeps for its next calls, and the returned strings) and
// that call's result.
struct KestrumTiming {
    double seconds = 0;
    std::size_t peakBytes = 0;
    std::string result;
    std::size_t resultUnits = 0;
};

// The object the timed calls go to, kept for the whole run as a client keeps the object it
// created for its calls.
const Arithm& keptArithm() {
    static const Arithm arithm;
    return arithm;
}

// The first call on a fresh object: its result, and the heap it takes at its peak.
struct FreshCall {
    ArithmOutcome outcome;
    std::size_t peakBytes = 0;
};

FreshCall callFresh(Op op, AutoString a, AutoString b) {
    heap::peak = heap::live;
    const std::size_t base = heap::live;
    const Arithm fresh;
    FreshCall call{callArithm(fresh, op, a, b), 0};
    call.peakBytes = heap::peak - base + autoStringBytes(call.outcome.first) +
                     autoStringBytes(call.outcome.second);
    return call;
}

// One case in one heap layout: the layout's pads, a fresh object, the operands and the first
// call (which grows the object's storage) in that order, then the timed calls on that object.
KestrumTiming timeKestrum(Op op, const std::u16string& a, const std::u16string& b,
                          const bench::HeapLayout& layout) {
    bench::LayoutPads pads(layout);
    pads.next();
    const auto arithm = std::make_unique<Arithm>();
    pads.next();
    const AutoStringHolder x(kestrum::api::autoStringAlloc(a));
    pads.next();
    const AutoStringHolder y(kestrum::api::autoStringAlloc(b));
    pads.next();
    KestrumTiming timing;
    {
        heap::peak = heap::live;
        const std::size_t base = heap::live;
        const ArithmOutcome first = callArithm(*arithm, op, x.get(), y.get());
        timing.peakBytes =
            heap::peak - base + autoStringBytes(first.first) + autoStringBytes(first.second);
        timing.result = first.text();
        timing.resultUnits = autoStringBytes(first.first) / 2;
    }
    timing.seconds = timeCalls([&] { callArithm(*arithm, op, x.get(), y.get()); });
    return timing;
}

// The product that the last layout comes after, made by an object that the caller keeps alive
// while that layout is timed.
std::unique_ptr<Arithm> multiplyElsewhere(const std::string& a, const std::string& b) {
    auto arithm = std::make_unique<Arithm>();
    const AutoStringHolder x(kestrum::api::autoStringAlloc(widen(a)));
    const AutoStringHolder y(kestrum::api::autoStringAlloc(widen(b)));
    callArithm(*arithm, Op::kMult, x.get(), y.get());
    return arithm;
}

// The floor of a linear operation: copying the bytes of both operands and of the result once, as
// Kestrum holds them (UTF-16).
double timeCopy(const std::u16string& a, const std::u16string& b, std::size_t resultUnits) {
    const std::u16string result(resultUnits, u'1');
    std::vector<char16_t> target(a.size() + b.size() + resultUnits + 1);
    return timeCalls([&] {
        char16_t* to = target.data();
        std::memcpy(to, a.data(), a.size() * sizeof(char16_t));
        to += a.size();
        std::memcpy(to, b.data(), b.size() * sizeof(char16_t));
        to += b.size();
        std::memcpy(to, result.data(), result.size() * sizeof(char16_t));
        asm volatile("" : : "r"(to) : "memory");  // the copies count as used
    });
}

// ---------------------------------------------------------------------------------------------
// GMP as a C++ user keeps it: integers parsed from decimal text into mpz_t variables and formatted
// back into an output buffer, variables and buffer kept from call to call; point operands as
// integers scaled by a power of ten, with the point put back into the result text.

class Mpz {
  public:
    Mpz() { mpz_init(value_); }
    ~Mpz() { mpz_clear(value_); }
    Mpz(const Mpz&) = delete;
    Mpz& operator=(const Mpz&) = delete;
    mpz_ptr get() { return value_; }

  private:
    mpz_t value_;
};

class GmpContender {
  public:
    // The result of one call as text, in the kept output buffer (valid until the next call).
    std::string_view call(Op op, const std::string& a, const std::string& b) {
        length_ = 0;
        if (isPointOp(op)) {
            callPoint(op, a, b);
        } else {
            callInteger(op, a, b);
        }
        return {out_.data(), length_};
    }

  private:
    // The longest result of the workloads: a quotient of 32766 digits, " r " and a remainder.
    static constexpr std::size_t kOutputCapacity = 3 * 32768;

    void callInteger(Op op, const std::string& a, const std::string& b) {
        mpz_set_str(x_.get(), a.c_str(), 10);
        mpz_set_str(y_.get(), b.c_str(), 10);
        switch (op) {
            case Op::kAdd:
                mpz_add(z_.get(), x_.get(), y_.get());
                break;
            case Op::kSub:
                mpz_sub(z_.get(), x_.get(), y_.get());
                break;
            case Op::kMult:
                mpz_mul(z_.get(), x_.get(), y_.get());
                break;
            case Op::kComp: {
                const int order = mpz_cmp(x_.get(), y_.get());
                appendText(order > 0 ? "1" : (order < 0 ? "-1" : "0"));
                return;
            }
            case Op::kDiv:
                mpz_tdiv_qr(z_.get(), remainder_.get(), x_.get(), y_.get());
                append(z_.get());
                appendText(" r ");
                append(remainder_.get());
                return;
            default:
                break;
        }
        append(z_.get());
    }

    void callPoint(Op op, const std::string& a, const std::string& b) {
        const std::size_t fx = parseScaled(x_, a);
        const std::size_t fy = parseScaled(y_, b);
        if (op == Op::kRealMult) {
            mpz_mul(z_.get(), x_.get(), y_.get());
            append(z_.get());
            putPoint(fx + fy, true);
            return;
        }
        scaleUp(x_, std::max(fx, fy) - fx);
        scaleUp(y_, std::max(fx, fy) - fy);
        if (op == Op::kRealAdd) {
            mpz_add(z_.get(), x_.get(), y_.get());
        } else {
            mpz_sub(z_.get(), x_.get(), y_.get());
        }
        append(z_.get());
        putPoint(std::max(fx, fy), false);
    }

    void append(mpz_srcptr value) {
        char* end = out_.data() + length_;
        mpz_get_str(end, 10, value);
        length_ += std::strlen(end);
    }

    void appendText(const char* text) {
        const std::size_t n = std::strlen(text);
        std::memcpy(out_.data() + length_, text, n);
        length_ += n;
    }

    // Parses "iii.fff" as the integer iiifff; returns the count of fraction digits.
    std::size_t parseScaled(Mpz& value, const std::string& text) {
        const auto point = text.find('.');
        if (point == std::string::npos) {
            mpz_set_str(value.get(), text.c_str(), 10);
            return 0;
        }
        scaled_.assign(text, 0, point);
        scaled_.append(text, point + 1);
        mpz_set_str(value.get(), scaled_.c_str(), 10);
        return text.size() - point - 1;
    }

    void scaleUp(Mpz& value, std::size_t digits) {
        if (digits != 0) {
            mpz_ui_pow_ui(factor_.get(), 10, digits);
            mpz_mul(value.get(), value.get(), factor_.get());
        }
    }

    // Puts the point into the integer text in the buffer, `fraction` digits from the right, in
    // the form that point multiplication gives when `trim` is set: zeros at the end of the
    // fraction dropped.
    void putPoint(std::size_t fraction, bool trim) {
        char* text = out_.data();
        const std::size_t sign = text[0] == '-' ? 1 : 0;
        const std::size_t digits = length_ - sign;
        if (digits <= fraction) {
            const std::size_t zeros = fraction - digits + 1;
            std::memmove(text + sign + zeros, text + sign, digits);
            std::memset(text + sign, '0', zeros);
            length_ += zeros;
        }
        const std::size_t point = length_ - fraction;
        std::memmove(text + point + 1, text + point, fraction);
        text[point] = '.';
        ++length_;
        if (trim) {
            while (text[length_ - 1] == '0') {
                --length_;
            }
        }
    }

    Mpz x_;
    Mpz y_;
    Mpz z_;
    Mpz remainder_;
    Mpz factor_;
    std::string scaled_ = std::string(kOutputCapacity, '\0');
    std::vector<char> out_ = std::vector<char>(kOutputCapacity);
    std::size_t length_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Workloads

struct Workload {
    std::string name;
    std::string size;
    Op op;
    std::string a;
    std::string b;
    // How many times faster than the best peer Kestrum is to be, and for the linear workloads at
    // the largest size how many copies of their bytes it may take at most (0: no such goal).
    double speedGoal = 1.2;
    double copyGoal = 0;
    // Whether the operation touches each character a fixed number of times: the copy of its
    // bytes is then the floor it is measured against.
    [[nodiscard]] bool linear() const {
        return op == Op::kAdd || op == Op::kSub || op == Op::kComp || op == Op::kRealAdd ||
               op == Op::kRealSub;
    }
};

class DigitSource {
  public:
    // `count` random digits, the first one not 0.
    std::string digits(std::size_t count) {
        std::string out(count, '0');
        for (char& c : out) {
            c = static_cast<char>('0' + digit_(rng_));
        }
        if (count != 0) {
            out[0] = static_cast<char>('1' + leading_(rng_));
        }
        return out;
    }
    std::string pointed(std::size_t integer, std::size_t fraction) {
        return digits(integer) + "." + digits(fraction);
    }

  private:
    std::mt19937_64 rng_{20240611};
    std::uniform_int_distribution<int> digit_{0, 9};
    std::uniform_int_distribution<int> leading_{0, 8};
};

using Sizes = std::initializer_list<std::size_t>;

// The goals at the largest size of each workload (the last of its run in the list).
void setLargestSizeGoals(std::vector<Workload>& workloads) {
    const std::map<std::string, std::pair<double, double>> goals{
        {"add", {10, 5}},
        {"subtract", {10, 5}},
        {"compare, last digit differs", {10, 3}},
        {"point add", {10, 5}},
        {"divide by 10 digits", {10, 0}},
        {"multiply", {3, 0}},
        {"point multiply", {3, 0}},
        {"divide by half length", {3, 0}},
    };
    for (std::size_t i = 0; i < workloads.size(); ++i) {
        Workload& w = workloads[i];
        const bool largest = i + 1 == workloads.size() || workloads[i + 1].name != w.name;
        const auto goal = goals.find(w.name);
        if (largest && goal != goals.end()) {
            w.speedGoal = goal->second.first;
            w.copyGoal = goal->second.second;
        }
    }
}

std::vector<Workload> tableWorkloads() {
    DigitSource source;
    std::vector<Workload> out;
    const auto n = [](std::size_t v) { return std::to_string(v); };
    for (const std::size_t size : Sizes{10, 100, 1000, 10000, 32766}) {
        out.push_back({"add", n(size), Op::kAdd, source.digits(size), source.digits(size)});
    }
    for (const std::size_t size : Sizes{10, 100, 1000, 10000, 32766}) {
        out.push_back({"subtract", n(size), Op::kSub, source.digits(size), source.digits(size)});
    }
    for (const std::size_t size : Sizes{10, 100, 1000, 10000, 32766}) {
        std::string a = source.digits(size);
        std::string b = a;
        b.back() = b.back() == '9' ? '8' : static_cast<char>(b.back() + 1);
        out.push_back({"compare, last digit differs", n(size), Op::kComp, a, b});
    }
    for (const std::size_t size : Sizes{10, 100, 1000, 10000, 16383}) {
        out.push_back({"multiply", n(size) + "x" + n(size), Op::kMult, source.digits(size),
                       source.digits(size)});
    }
    for (const std::size_t size : Sizes{10, 100, 1000, 10000, 32766}) {
        out.push_back({"divide by half length", n(size) + "/" + n(size / 2), Op::kDiv,
                       source.digits(size), source.digits(size / 2)});
    }
    for (const std::size_t size : Sizes{100, 1000, 10000, 32766}) {
        out.push_back({"divide by 10 digits", n(size) + "/10", Op::kDiv, source.digits(size),
                       source.digits(10)});
    }
    for (const std::size_t size : Sizes{5, 50, 500, 5000, 16000}) {
        out.push_back({"point add", n(size) + "." + n(size), Op::kRealAdd,
                       source.pointed(size, size), source.pointed(size, size)});
    }
    for (const std::size_t size : Sizes{5, 50, 500, 5000, 16000}) {
        out.push_back({"point subtract", n(size) + "." + n(size), Op::kRealSub,
                       source.pointed(size, size), source.pointed(size, size)});
    }
    for (const std::size_t size : Sizes{5, 50, 500, 5000, 8000}) {
        out.push_back({"point multiply", n(size) + "." + n(size), Op::kRealMult,
                       source.pointed(size, size), source.pointed(size, size)});
    }
    setLargestSizeGoals(out);
    return out;
}

// ---------------------------------------------------------------------------------------------
// libmpdec through the peer script: the workloads go to a file, one "op<TAB>a<TAB>b" line each,
// the layouts to its arguments; the script prints "layout<TAB>index<TAB>seconds" lines.

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
struct PipeCloser {
    void operator()(std::FILE* pipe) const noexcept { pclose(pipe); }
};

// Seconds per call by layout and workload; missing figures stay infinite.
using LayoutSeconds = std::vector<std::vector<double>>;

LayoutSeconds unsetSeconds(std::size_t workloads) {
    return LayoutSeconds(bench::kHeapLayouts.size(),
                         std::vector<double>(workloads, std::numeric_limits<double>::infinity()));
}

LayoutSeconds timePeerDecimal(const std::string& script, const std::vector<Workload>& workloads) {
    LayoutSeconds seconds = unsetSeconds(workloads.size());
    char path[] = "/tmp/kestrum-bench-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) {
        return seconds;
    }
    {
        const std::unique_ptr<std::FILE, FileCloser> file(fdopen(descriptor, "w"));
        for (const Workload& w : workloads) {
            std::fprintf(file.get(), "%s\t%s\t%s\n", opName(w.op), w.a.c_str(), w.b.c_str());
        }
    }
    std::string command = "python3 '" + script + "' '" + path + "'";
    for (const bench::HeapLayout& layout : bench::kHeapLayouts) {
        command += " " + std::to_string(layout.pads[0]) + "," + std::to_string(layout.pads[1]) +
                   "," + std::to_string(layout.pads[2]) + "," + std::to_string(layout.pads[3]) +
                   "," + (layout.afterMultiplication ? "1" : "0");
    }
    {
        const std::unique_ptr<std::FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
        std::size_t layout = 0;
        std::size_t index = 0;
        double value = 0;
        while (pipe && std::fscanf(pipe.get(), "%zu %zu %lf", &layout, &index, &value) == 3) {
            if (layout < seconds.size() && index < workloads.size()) {
                seconds[layout][index] = value;
            }
        }
    }
    std::remove(path);
    return seconds;
}

// ---------------------------------------------------------------------------------------------
// Output

// `value` with `decimals` digits after the point.
std::string fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string micros(double seconds) {
    if (seconds <= 0) {
        return "n/a";
    }
    const double us = seconds * 1e6;
    char text[32];
    const char* format = us < 0.1 ? "%.3f" : (us < 10 ? "%.2f" : (us < 1000 ? "%.1f" : "%.0f"));
    std::snprintf(text, sizeof text, format, us);
    return text;
}

// GMP in one heap layout, as timeKestrum() does it: the pads, a fresh contender (its variables
// and output buffer), copies of the operands and the first call, then the timed calls. The first
// call's result goes to `result` when it is given.
double timeGmp(const Workload& w, const bench::HeapLayout& layout, std::string* result) {
    bench::LayoutPads pads(layout);
    pads.next();
    const auto contender = std::make_unique<GmpContender>();
    pads.next();
    const std::string a = w.a;
    pads.next();
    const std::string b = w.b;
    pads.next();
    const std::string_view first = contender->call(w.op, a, b);
    if (result != nullptr) {
        *result = first;
    }
    return timeCalls([&] { contender->call(w.op, a, b); });
}

// Each contender's figure in one layout is its best over a few rounds, every round timing all
// three in every layout one after the other: on a shared machine a slow spell then hits one
// round, not one contender. The table gives each contender's figure in its slowest layout (and,
// when asked, in its fastest).
constexpr int kRounds = 3;

bool isSet(double seconds) {
    return seconds != std::numeric_limits<double>::infinity();
}

// A contender's figures over the layouts: the slowest (or fastest) layout's, per workload.
std::vector<double> acrossLayouts(const LayoutSeconds& seconds, bool slowest) {
    std::vector<double> out = seconds.front();
    for (const std::vector<double>& layout : seconds) {
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = slowest ? std::max(out[i], layout[i]) : std::min(out[i], layout[i]);
        }
    }
    return out;
}

// The layout whose figure is the slowest for workload i.
std::size_t slowestLayout(const LayoutSeconds& seconds, std::size_t i) {
    std::size_t slowest = 0;
    for (std::size_t l = 0; l < seconds.size(); ++l) {
        if (seconds[l][i] > seconds[slowest][i]) {
            slowest = l;
        }
    }
    return slowest;
}

// Everything one run measured.
struct RunFigures {
    std::vector<Workload> workloads;
    LayoutSeconds kestrum;
    LayoutSeconds gmp;
    LayoutSeconds mpdec;
    std::vector<double> copy;               // the fastest copy over all layouts and rounds
    std::vector<KestrumTiming> firstCalls;  // Kestrum's first call in the first layout
    std::vector<std::string> gmpResults;
};

RunFigures measure(const std::string& script, std::vector<Workload> workloads) {
    const std::size_t count = workloads.size();
    RunFigures run{std::move(workloads),
                   unsetSeconds(count),
                   unsetSeconds(count),
                   unsetSeconds(count),
                   std::vector<double>(count, std::numeric_limits<double>::infinity()),
                   std::vector<KestrumTiming>(count),
                   std::vector<std::string>(count)};
    for (int round = 0; round < kRounds; ++round) {
        if (script.empty()) {
            std::printf("Round %d of %d: Kestrum, GMP and copies, in %zu heap layouts ...\n",
                        round + 1, kRounds, bench::kHeapLayouts.size());
        } else {
            std::printf(
                "Round %d of %d: libmpdec through %s, then Kestrum, GMP and copies, in %zu "
                "heap layouts ...\n",
                round + 1, kRounds, script.c_str(), bench::kHeapLayouts.size());
        }
        std::fflush(stdout);
        const LayoutSeconds decimal =
            script.empty() ? unsetSeconds(count) : timePeerDecimal(script, run.workloads);
        for (std::size_t l = 0; l < bench::kHeapLayouts.size(); ++l) {
            const bench::HeapLayout& layout = bench::kHeapLayouts[l];
            const std::unique_ptr<Arithm> product =
                layout.afterMultiplication
                    ? multiplyElsewhere(std::string(16383, '7'), std::string(16383, '3'))
                    : nullptr;
            for (std::size_t i = 0; i < count; ++i) {
                const Workload& w = run.workloads[i];
                const std::u16string a = widen(w.a);
                const std::u16string b = widen(w.b);
                const bool first = round == 0 && l == 0;
                const KestrumTiming timing = timeKestrum(w.op, a, b, layout);
                if (first) {
                    run.firstCalls[i] = timing;
                }
                run.kestrum[l][i] = std::min(run.kestrum[l][i], timing.seconds);
                run.gmp[l][i] = std::min(run.gmp[l][i],
                                         timeGmp(w, layout, first ? &run.gmpResults[i] : nullptr));
                if (w.linear()) {
                    run.copy[i] = std::min(run.copy[i], timeCopy(a, b, timing.resultUnits));
                }
                run.mpdec[l][i] = std::min(run.mpdec[l][i], decimal[l][i]);
            }
        }
    }
    return run;
}

// One table: each contender's figure in its slowest layout, or in its fastest.
void printFigures(const RunFigures& run, bool slowest) {
    const std::vector<double> kestrum = acrossLayouts(run.kestrum, slowest);
    const std::vector<double> slowestKestrum = acrossLayouts(run.kestrum, true);
    const std::vector<double> fastestKestrum = acrossLayouts(run.kestrum, false);
    const std::vector<double> gmp = acrossLayouts(run.gmp, slowest);
    const std::vector<double> mpdec = acrossLayouts(run.mpdec, slowest);
    std::printf(
        "\nMicroseconds per call, text in and text out, each contender in its %s heap layout\n"
        "(in each layout the best of %d rounds of %d batches); goal: best peer / Kestrum at\n"
        "least this; copy: the operands' and the result's UTF-16 bytes copied once, and the most\n"
        "copies Kestrum may take; spread: Kestrum's slowest layout over its fastest, and the\n"
        "number of its slowest layout\n",
        slowest ? "slowest" : "fastest", kRounds, kBatches);
    std::printf("%-28s %-12s %9s %9s %9s %8s %5s %8s %8s %5s %8s %8s\n", "workload", "size",
                "Kestrum", "GMP", "libmpdec", "best/Kes", "goal", "copy", "Kes/copy", "goal",
                "peak KiB", "spread");
    std::vector<std::string> missed;
    for (std::size_t i = 0; i < run.workloads.size(); ++i) {
        const Workload& w = run.workloads[i];
        const double best = isSet(mpdec[i]) ? std::min(gmp[i], mpdec[i]) : gmp[i];
        const double speed = best / kestrum[i];
        const std::string label = w.name + " " + w.size;
        if (speed < w.speedGoal) {
            missed.push_back(label + ": " + fixed(speed, 2) + "x the best peer");
        }
        std::string copyRatio;
        std::string copyGoal;
        if (w.linear()) {
            const double copies = kestrum[i] / run.copy[i];
            copyRatio = fixed(copies, 2);
            if (w.copyGoal > 0) {
                copyGoal = fixed(w.copyGoal, 0);
                if (copies > w.copyGoal) {
                    missed.push_back(label + ": " + copyRatio + " copies");
                }
            }
        }
        std::printf(
            "%-28s %-12s %9s %9s %9s %8.2f %5.1f %8s %8s %5s %8.1f %6.2f %zu%s\n", w.name.c_str(),
            w.size.c_str(), micros(kestrum[i]).c_str(), micros(gmp[i]).c_str(),
            isSet(mpdec[i]) ? micros(mpdec[i]).c_str() : "n/a", speed, w.speedGoal,
            w.linear() ? micros(run.copy[i]).c_str() : "", copyRatio.c_str(), copyGoal.c_str(),
            static_cast<double>(run.firstCalls[i].peakBytes) / 1024.0,
            slowestKestrum[i] / fastestKestrum[i], slowestLayout(run.kestrum, i),
            run.firstCalls[i].result == run.gmpResults[i] ? "" : "  RESULT DIFFERS FROM GMP");
    }
    const auto largestPeak = std::ranges::max_element(
        run.firstCalls, {}, [](const KestrumTiming& t) { return t.peakBytes; });
    std::printf("Largest peak of one call in the table: %.1f KiB (goal: under %.0f KiB)\n",
                static_cast<double>(largestPeak->peakBytes) / 1024.0,
                static_cast<double>(kPeakBudgetBytes) / 1024.0);
    if (missed.empty()) {
        std::printf("Every speed and copy goal met in this table.\n");
    }
    for (const std::string& line : missed) {
        std::printf("Goal missed: %s\n", line.c_str());
    }
}

void printTable(const std::string& script, const char* only) {
    std::vector<Workload> workloads = tableWorkloads();
    if (only != nullptr) {
        std::erase_if(workloads,
                      [&](const Workload& w) { return w.name.find(only) == std::string::npos; });
        if (workloads.empty()) {
            std::printf("No workload name holds \"%s\".\n", only);
            return;
        }
    }
    const RunFigures run = measure(script, std::move(workloads));
    if (script.empty()) {
        std::printf("(libmpdec left out: GMP is the only peer)\n");
    } else if (std::none_of(run.mpdec.front().begin(), run.mpdec.front().end(), isSet)) {
        std::printf("(the peer script gave no figures: libmpdec column left empty)\n");
    }
    std::printf("\nHeap layouts:");
    for (std::size_t l = 0; l < bench::kHeapLayouts.size(); ++l) {
        std::printf(" %zu %s%s", l, bench::kHeapLayouts[l].name,
                    l + 1 < bench::kHeapLayouts.size() ? ";" : "\n");
    }
    printFigures(run, true);
    // KESTRUM_BENCH_FASTEST_LAYOUT=1 adds the table of each contender's fastest layout.
    if (std::getenv("KESTRUM_BENCH_FASTEST_LAYOUT") != nullptr) {
        printFigures(run, false);
    }
}

// Inputs built to make each operation work hardest at the 32766-character limit, digit-only
// and not; each is timed over a few calls and the longest call counts.
struct WorstCase {
    Op op;
    std::string description;
    std::string a;
    std::string b;
};

std::vector<WorstCase> worstCases() {
    constexpr std::size_t kLimit = 32766;
    constexpr std::size_t kHalf = kLimit / 2;
    const auto run = [](std::size_t count, char c) { return std::string(count, c); };
    std::string spaced;
    for (std::size_t i = 0; i < kLimit; ++i) {
        spaced.push_back(i % 2 == 0 ? ' ' : '9');
    }
    std::string spacedLast8 = spaced;
    spacedLast8.back() = '8';
    const std::string nines = run(kLimit, '9');
    const std::string oneZeros = "1" + run(kLimit - 1, '0');
    const std::string halfNines = run(kHalf, '9');
    const std::string halfPower = "1" + run(kHalf - 1, '0');
    const std::string letterLast = run(kLimit - 1, '9') + "x";
    const std::string letterFirst = "x" + run(kLimit - 1, '9');
    const std::string zerosOne = run(kLimit - 1, '0') + "1";
    const std::string minuses = run(kLimit - 1, '-') + "5";
    const std::string pointNines = run(kHalf, '9') + "." + run(kHalf - 1, '9');
    const std::string pointHalf = run(kHalf / 2, '9') + "." + run(kHalf / 2, '9');
    return {
        {Op::kComp, "equal but last digit", nines, run(kLimit - 1, '9') + "8"},
        {Op::kComp, "leading zeros vs none", zerosOne, "1"},
        {Op::kComp, "blanks everywhere", spaced, spacedLast8},
        {Op::kComp, "+- and -+ signs", "+-" + run(kLimit - 2, '9'), "-+" + run(kLimit - 2, '9')},
        {Op::kAdd, "9s + 1 (carry through)", nines, "1"},
        {Op::kAdd, "9s + 9s", nines, nines},
        {Op::kAdd, "-9s + 1 (signs differ)", "-" + run(kLimit - 1, '9'), "1"},
        {Op::kAdd, "blanks everywhere", spaced, spaced},
        {Op::kAdd, "letter at the end", letterLast, nines},
        {Op::kAdd, "letter at the front", letterFirst, nines},
        {Op::kAdd, "+- sign", "+-" + run(kLimit - 2, '9'), nines},
        {Op::kAdd, "leading zeros", zerosOne, zerosOne},
        {Op::kAdd, "minus signs all along", minuses, "1"},
        {Op::kSub, "10..0 - 1 (borrow through)", oneZeros, "1"},
        {Op::kSub, "minus signs all along", minuses, "-1"},
        {Op::kSub, "9s - -9s", nines, "-" + run(kLimit - 1, '9')},
        {Op::kSub, "letter at the front", letterFirst, "1"},
        {Op::kSub, "leading zeros", zerosOne, oneZeros},
        {Op::kMult, "9s x 9s, half length each", halfNines, halfNines},
        {Op::kMult, "product one digit too long", halfNines + "9", halfNines},
        {Op::kMult, "blanks everywhere", spaced.substr(0, kHalf * 2), spaced.substr(0, kHalf * 2)},
        {Op::kMult, "letter at the end", halfNines + "x", halfNines},
        {Op::kMult, "9s x 9", nines, "9"},
        {Op::kMult, "leading zeros x 9s", zerosOne, halfNines},
        {Op::kDiv, "9s / 10..0 half length", nines, halfPower},
        {Op::kDiv, "+- sign / 10..0 half length", "+-" + run(kLimit - 2, '9'), halfPower},
        {Op::kDiv, "letter at the end / half", letterLast, halfPower},
        {Op::kDiv, "6, 0s, letter at the end / 6", "6" + run(kLimit - 2, '0') + "x", "6"},
        {Op::kDiv, "9s / x", nines, "x"},
        {Op::kDiv, "9s / --7", nines, "--7"},
        {Op::kDiv, "9s / 2000 minus signs and 7", nines, run(2000, '-') + "7"},
        {Op::kDiv, "9s / -- and 9s half length", nines, "--" + halfNines},
        {Op::kDiv, "9s / 1", nines, "1"},
        {Op::kDiv, "9s / 7", nines, "7"},
        {Op::kDiv, "9s / divisor with leading zeros", nines, run(kLimit - 10, '0') + "7777777777"},
        {Op::kDiv, "blanks everywhere / 10 digits", spaced, "1234567890"},
        {Op::kRealAdd, "9s.9s + .1", pointNines, ".1"},
        {Op::kRealAdd, "minus signs all along", minuses.substr(1) + ".", "1"},
        {Op::kRealAdd, "9s.9s + 9s.9s", pointNines, pointNines},
        {Op::kRealAdd, "blanks and points", spaced.substr(1) + ".", "." + spaced.substr(2)},
        {Op::kRealSub, "1.0..0 - .0..01", "1." + run(kLimit - 2, '0'), "." + zerosOne.substr(1)},
        {Op::kRealSub, "letter at the end", pointNines.substr(1) + "x", pointNines},
        {Op::kRealMult, "9s.9s x 9s.9s, half length each", pointHalf, pointHalf},
        {Op::kRealMult, "point at the front x 9s", "." + halfNines, halfNines.substr(1) + "."},
        {Op::kRealMult, "letter at the end", pointHalf + "x", pointHalf},
    };
}

constexpr int kWorstCalls = 3;
constexpr double kCallBudgetSeconds = 0.01;

void printWorstCases() {
    std::printf("\nWorst inputs at the limit: longest of up to %d calls through Arithm\n",
                kWorstCalls);
    std::printf("%-6s %-34s %7s %7s %-12s %12s %10s\n", "op", "input", "len a", "len b", "outcome",
                "max ms", "peak KiB");
    double worst = 0;
    std::size_t largestPeak = 0;
    for (const WorstCase& w : worstCases()) {
        const AutoStringHolder x(kestrum::api::autoStringAlloc(widen(w.a)));
        const AutoStringHolder y(kestrum::api::autoStringAlloc(widen(w.b)));
        double longest = 0;
        std::size_t peak = 0;
        std::string outcome;
        for (int call = 0; call < kWorstCalls && (call == 0 || longest < kSlowSeconds); ++call) {
            // The first call goes to a fresh object, whose storage it grows; the others reuse it.
            const auto start = Clock::now();
            if (call == 0) {
                const FreshCall first = callFresh(w.op, x.get(), y.get());
                longest = secondsSince(start);
                peak = first.peakBytes;
                outcome =
                    first.outcome.code == kestrum::api::kSuccess ? "ok" : first.outcome.text();
            } else {
                callArithm(keptArithm(), w.op, x.get(), y.get());
                longest = std::max(longest, secondsSince(start));
            }
        }
        worst = std::max(worst, longest);
        largestPeak = std::max(largestPeak, peak);
        std::printf("%-6s %-34s %7zu %7zu %-12s %12.3f %10.1f%s\n", opName(w.op),
                    w.description.c_str(), w.a.size(), w.b.size(), outcome.c_str(), longest * 1e3,
                    static_cast<double>(peak) / 1024.0,
                    longest > kCallBudgetSeconds ? "  > 10 ms" : "");
        std::fflush(stdout);
    }
    std::printf(
        "Longest call: %.3f ms (goal: under %.0f ms); largest peak of one call: %.1f KiB "
        "(goal: under %.0f KiB)\n",
        worst * 1e3, kCallBudgetSeconds * 1e3, static_cast<double>(largestPeak) / 1024.0,
        static_cast<double>(kPeakBudgetBytes) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    std::string script = argc > 1 ? argv[1] : KESTRUM_PEER_SCRIPT;
    if (script == "--no-libmpdec") {
        script.clear();
    }
    // The bitness of the build and of GMP's limbs: the 32-bit x86 build is timed against GMP for
    // the same target.
    std::printf("Kestrum (%zu-bit build) vs GMP %s (%d-bit limbs)%s\n", sizeof(void*) * 8,
                gmp_version, mp_bits_per_limb,
                script.empty() ? "" : " and libmpdec (Python decimal)");
    // glibc gives the top of the heap back to the system whenever more than 128 KiB of it is
    // free, and on this virtual machine every such trim costs a TLB flush of a few hundred
    // microseconds. Clients run with that default, so the benchmark does too unless asked.
    if (std::getenv("KESTRUM_BENCH_NO_TRIM") != nullptr) {
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
        std::printf("(heap trimming off for the whole process: KESTRUM_BENCH_NO_TRIM is set)\n");
    } else {
        std::printf("(glibc's default heap trimming)\n");
    }
    // KESTRUM_BENCH_ONLY=<part of a workload name> times only those workloads, without the worst
    // inputs: for quick looks while developing.
    const char* only = std::getenv("KESTRUM_BENCH_ONLY");
    printTable(script, only);
    if (only == nullptr) {
        printWorstCases();
    }
    return 0;
}
