// Per-call time of every method through the vtable at sizes from 10 digits to the length limit,
// as an early-bound client in the DLL's own bitness sees it: one line per workload,
// "method<TAB>operands<TAB>microseconds", each the best of several rounds.
// scripts/bitness-timing.sh runs it on the 64-bit and the 32-bit DLL and sets the two side by side.
// Argument: the path of Kestrum.dll, which is loaded directly, without registration.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "com_bench.h"

using kestrum::bench::createArithm;
using kestrum::bench::digits;
using kestrum::bench::Stopwatch;
using kestrum::com::ComRef;

namespace {

constexpr int kRounds = 7;

enum class Method { iadd, isub, imult, idiv, icomp, radd, rsub, rmult };

struct Workload {
    Method method;
    const char* name;
    std::size_t whole1;     // digits before the point (all of them for integers)
    std::size_t fraction1;  // digits after the point; 0 for integers
    std::size_t whole2;
    std::size_t fraction2;
};

constexpr Workload kWorkloads[] = {
    {Method::iadd, "iadd", 10, 0, 10, 0},
    {Method::iadd, "iadd", 1000, 0, 1000, 0},
    {Method::iadd, "iadd", 32766, 0, 32766, 0},
    {Method::isub, "isub", 10, 0, 10, 0},
    {Method::isub, "isub", 1000, 0, 1000, 0},
    {Method::isub, "isub", 32766, 0, 32766, 0},
    {Method::icomp, "icomp", 10, 0, 10, 0},
    {Method::icomp, "icomp", 1000, 0, 1000, 0},
    {Method::icomp, "icomp", 32766, 0, 32766, 0},
    {Method::imult, "imult", 10, 0, 10, 0},
    {Method::imult, "imult", 100, 0, 100, 0},
    {Method::imult, "imult", 1000, 0, 1000, 0},
    {Method::imult, "imult", 10000, 0, 10000, 0},
    {Method::imult, "imult", 16383, 0, 16383, 0},
    {Method::idiv, "idiv", 10, 0, 5, 0},
    {Method::idiv, "idiv", 100, 0, 50, 0},
    {Method::idiv, "idiv", 100, 0, 10, 0},
    {Method::idiv, "idiv", 1000, 0, 500, 0},
    {Method::idiv, "idiv", 32766, 0, 10, 0},
    {Method::idiv, "idiv", 32766, 0, 16383, 0},
    {Method::radd, "radd", 5, 5, 5, 5},
    {Method::radd, "radd", 500, 500, 500, 500},
    {Method::radd, "radd", 16000, 16000, 16000, 16000},
    {Method::rsub, "rsub", 500, 500, 500, 500},
    {Method::rsub, "rsub", 16000, 16000, 16000, 16000},
    {Method::rmult, "rmult", 5, 5, 5, 5},
    {Method::rmult, "rmult", 500, 500, 500, 500},
    {Method::rmult, "rmult", 8000, 8000, 8000, 8000},
};

std::wstring operand(std::size_t whole, std::size_t fraction, std::uint32_t& state) {
    std::wstring text = digits(whole, state);
    if (fraction > 0) {
        text += L'.' + digits(fraction, state);
    }
    return text;
}

class Bstr {
  public:
    explicit Bstr(const std::wstring& text)
        : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(text_); }
    BSTR* get() { return &text_; }

  private:
    BSTR text_;
};

// One call; false when it fails.
bool call(_Arithm& arithm, Method method, Bstr& a1, Bstr& a2) {
    BSTR result = nullptr;
    BSTR remainder = nullptr;
    short number = 0;
    HRESULT code = E_FAIL;
    switch (method) {
        case Method::iadd:
            code = arithm.iadd(a1.get(), a2.get(), &result);
            break;
        case Method::isub:
            code = arithm.isub(a1.get(), a2.get(), &result);
            break;
        case Method::imult:
            code = arithm.imult(a1.get(), a2.get(), &result);
            break;
        case Method::radd:
            code = arithm.radd(a1.get(), a2.get(), &result);
            break;
        case Method::rsub:
            code = arithm.rsub(a1.get(), a2.get(), &result);
            break;
        case Method::rmult:
            code = arithm.rmult(a1.get(), a2.get(), &result);
            break;
        case Method::icomp:
            code = arithm.icomp(a1.get(), a2.get(), &number);
            break;
        case Method::idiv:
            code = arithm.idiv(a1.get(), a2.get(), &result, &remainder, &number);
            break;
    }
    SysFreeString(result);
    SysFreeString(remainder);
    return code == S_OK;
}

// Microseconds per call, the best of kRounds rounds; a negative value when a call fails.
double timeWorkload(_Arithm& arithm, const Workload& workload) {
    std::uint32_t state = static_cast<std::uint32_t>(workload.whole1 * 7 + workload.fraction1);
    Bstr a1(operand(workload.whole1, workload.fraction1, state));
    Bstr a2(operand(workload.whole2, workload.fraction2, state));
    // Rounds of at least 20 ms, from the time of one call.
    const Stopwatch first;
    if (!call(arithm, workload.method, a1, a2)) {
        return -1;
    }
    const int calls = std::max(3, static_cast<int>(20000 / std::max(first.microseconds(), 0.01)));
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        const Stopwatch watch;
        for (int index = 0; index < calls; ++index) {
            if (!call(arithm, workload.method, a1, a2)) {
                return -1;
            }
        }
        best = std::min(best, watch.microseconds() / calls);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: method_timing PATH-OF-Kestrum.dll\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 0;
    {
        const ComRef<_Arithm> arithm = createArithm(argv[1]);
        if (!arithm) {
            std::printf("cannot create Arithm from %s\n", argv[1]);
            status = 1;
        }
        for (const Workload& workload : kWorkloads) {
            if (status != 0) {
                break;
            }
            const double time = timeWorkload(*arithm.get(), workload);
            std::string operands = std::to_string(workload.whole1);
            if (workload.fraction1 > 0) {
                operands += '.' + std::to_string(workload.fraction1);
            }
            operands += " x " + std::to_string(workload.whole2);
            if (workload.fraction2 > 0) {
                operands += '.' + std::to_string(workload.fraction2);
            }
            if (time < 0) {
                std::printf("%s %s failed\n", workload.name, operands.c_str());
                status = 1;
            } else {
                std::printf("%s\t%s\t%.3f\n", workload.name, operands.c_str(), time);
            }
        }
    }
    CoUninitialize();
    return status;
}
