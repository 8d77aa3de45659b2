// Per-call time of iadd as COM clients make the call: early bound through the vtable, and late
// bound through IDispatch::Invoke with the operands as string values (as JScript and literals
// pass them) and as references to VARIANT variables (as VBScript passes its variables).
// Argument: the path of Kestrum.dll, which is loaded directly, without registration.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "com_bench.h"

using kestrum::bench::createArithm;
using kestrum::bench::digits;
using kestrum::bench::Stopwatch;
using kestrum::com::ComRef;

namespace {

constexpr DISPID kIadd = 0x60030000;
constexpr int kRounds = 11;

// The operands of one size in the three forms the calls take.
class Operands {
  public:
    Operands(const std::wstring& a1, const std::wstring& a2)
        : a1_(SysAllocStringLen(a1.data(), static_cast<UINT>(a1.size()))),
          a2_(SysAllocStringLen(a2.data(), static_cast<UINT>(a2.size()))) {
        // Invoke receives the arguments last first.
        V_VT(&values_[1]) = VT_BSTR;
        V_BSTR(&values_[1]) = a1_;
        V_VT(&values_[0]) = VT_BSTR;
        V_BSTR(&values_[0]) = a2_;
        for (int index = 0; index < 2; ++index) {
            V_VT(&references_[index]) = VT_VARIANT | VT_BYREF;
            V_VARIANTREF(&references_[index]) = &values_[index];
        }
    }
    Operands(const Operands&) = delete;
    Operands& operator=(const Operands&) = delete;
    ~Operands() {
        SysFreeString(a1_);
        SysFreeString(a2_);
    }

    BSTR* a1() { return &a1_; }
    BSTR* a2() { return &a2_; }
    DISPPARAMS byValue() { return {values_, nullptr, 2, 0}; }
    DISPPARAMS byReference() { return {references_, nullptr, 2, 0}; }

  private:
    BSTR a1_;
    BSTR a2_;
    VARIANT values_[2]{};
    VARIANT references_[2]{};
};

struct Timings {
    double vtable = 1e30;
    double values = 1e30;
    double references = 1e30;
};

// Microseconds per call over `calls` calls; false when a call fails.
template <typename Call>
bool timeCalls(int calls, double& best, Call call) {
    const Stopwatch watch;
    for (int index = 0; index < calls; ++index) {
        if (!call()) {
            return false;
        }
    }
    best = std::min(best, watch.microseconds() / calls);
    return true;
}

bool invokeOnce(IDispatch& dispatch, DISPPARAMS params) {
    VARIANT result;
    VariantInit(&result);
    const HRESULT code = dispatch.Invoke(kIadd, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                         &params, &result, nullptr, nullptr);
    const bool ok = code == S_OK && V_VT(&result) == VT_BSTR;
    VariantClear(&result);
    return ok;
}

// The best time of each form over several rounds that take the three forms in turn, each round
// starting with another one, so that a slow spell of the machine or the heap's state after the
// previous form hits all forms alike.
bool timeSize(_Arithm& arithm, std::size_t size, Timings& timings) {
    std::uint32_t state = static_cast<std::uint32_t>(size);
    Operands operands(digits(size, state), digits(size, state));
    const int calls = std::max(20, static_cast<int>(20'000'000 / (size + 100)));
    const auto timeForm = [&](int form) {
        switch (form) {
            case 0:
                return timeCalls(calls, timings.vtable, [&] {
                    BSTR result = nullptr;
                    const HRESULT code = arithm.iadd(operands.a1(), operands.a2(), &result);
                    SysFreeString(result);
                    return code == S_OK;
                });
            case 1:
                return timeCalls(calls, timings.values,
                                 [&] { return invokeOnce(arithm, operands.byValue()); });
            default:
                return timeCalls(calls, timings.references,
                                 [&] { return invokeOnce(arithm, operands.byReference()); });
        }
    };
    for (int round = 0; round < kRounds; ++round) {
        for (int step = 0; step < 3; ++step) {
            if (!timeForm((round + step) % 3)) {
                return false;
            }
        }
    }
    return true;
}

void printForm(const char* form, double time, double vtable) {
    std::printf("  %-28s %9.3f us  %+8.3f us  %5.2fx\n", form, time, time - vtable, time / vtable);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: com_timing PATH-OF-Kestrum.dll\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 0;
    {
        const ComRef<_Arithm> arithm = createArithm(argv[1]);
        if (!arithm) {
            std::printf("cannot create Arithm from %s\n", argv[1]);
            status = 1;
        } else {
            std::printf("iadd per call, best of %d rounds (difference and ratio to the vtable):\n",
                        kRounds);
            for (const std::size_t size :
                 {std::size_t{10}, std::size_t{1000}, std::size_t{32766}}) {
                Timings timings;
                if (!timeSize(*arithm.get(), size, timings)) {
                    std::printf("iadd at %zu digits failed\n", size);
                    status = 1;
                    break;
                }
                std::printf("%zu digits:\n", size);
                printForm("vtable", timings.vtable, timings.vtable);
                printForm("Invoke, BSTR values", timings.values, timings.vtable);
                printForm("Invoke, VARIANT references", timings.references, timings.vtable);
            }
        }
    }
    CoUninitialize();
    return status;
}
