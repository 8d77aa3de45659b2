// Memory that Kestrum.dll keeps for calls, seen from a client process: it does not grow with the
// number of objects that made large calls, one large call takes little at its peak, threads
// that call at once get their own results, threads that end leave nothing behind, and the DLL
// unloads cleanly, also while a thread that called it lives on.
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "check.h"
#include "com_ref.h"
#include "kestrum_idl.h"

using kestrum::com::ComRef;
using kestrum::test::Bstr;
using kestrum::test::check;
using kestrum::test::text;

namespace {

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = kKiB * kKiB;

struct MemoryUse {
    std::size_t now;
    std::size_t peak;
};

// The process's private bytes (its commit charge; Wine reports it as PagefileUsage and leaves
// PrivateUsage at 0, Windows gives the same figure in both).
MemoryUse memoryUse() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return {counters.PagefileUsage, counters.PeakPagefileUsage};
}

std::wstring digits(std::size_t count, std::uint32_t seed) {
    std::wstring value(count, L'0');
    for (wchar_t& digit : value) {
        seed = seed * 1664525U + 1013904223U;
        digit = static_cast<wchar_t>(L'0' + (seed >> 24) % 10);
    }
    value.front() = L'7';
    return value;
}

ComRef<_Arithm> createArithm() {
    ComRef<_Arithm> arithm;
    CoCreateInstance(CLSID_Arithm, nullptr, CLSCTX_INPROC_SERVER, IID__Arithm,
                     reinterpret_cast<void**>(arithm.put()));
    return arithm;
}

bool dllLoaded() {
    return GetModuleHandleW(L"Kestrum.dll") != nullptr;
}

// One call of the table: a string method, or idiv (quotient and remainder joined by "/").
struct Case {
    const char* name;
    HRESULT (STDMETHODCALLTYPE _Arithm::*method)(BSTR*, BSTR*, BSTR*);
    std::wstring a1;
    std::wstring a2;
};

std::vector<Case> mixedCases() {
    const std::wstring large = digits(16383, 1);
    const std::wstring medium = digits(3000, 2);
    return {
        {"imult large", &_Arithm::imult, large, digits(16383, 3)},
        {"imult medium", &_Arithm::imult, medium, digits(2000, 4)},
        {"imult short", &_Arithm::imult, L"123456789", L"-987654321"},
        {"iadd long", &_Arithm::iadd, digits(32766, 5), digits(32000, 6)},
        {"isub long", &_Arithm::isub, L"-" + medium, large},
        {"rmult point", &_Arithm::rmult, medium + L".25", L"-" + digits(900, 7) + L".5"},
        {"idiv long", nullptr, large + medium, digits(5000, 8)},
        {"iadd error", &_Arithm::iadd, medium + L"x", L"1"},
    };
}

struct Outcome {
    HRESULT code;
    std::wstring text;
    bool operator==(const Outcome&) const = default;
};

Outcome callOn(_Arithm* arithm, const Case& call) {
    Bstr a1(call.a1.c_str());
    Bstr a2(call.a2.c_str());
    if (call.method == nullptr) {
        Bstr quotient(L"");
        Bstr remainder(L"");
        short flag = 0;
        const HRESULT code =
            arithm->idiv(&a1.get(), &a2.get(), &quotient.get(), &remainder.get(), &flag);
        return {code, text(quotient.get()) + L"/" + text(remainder.get())};
    }
    BSTR result = nullptr;
    const HRESULT code = (arithm->*call.method)(&a1.get(), &a2.get(), &result);
    Outcome outcome{code, text(result)};
    SysFreeString(result);
    return outcome;
}

// imult of two 16383-digit numbers on `arithm`, the product thrown away.
void largeCall(_Arithm* arithm, BSTR& a, BSTR& b) {
    BSTR product = nullptr;
    check(arithm->imult(&a, &b, &product) == S_OK && SysStringLen(product) >= 32765,
          "large product");
    SysFreeString(product);
}

// The first large call of the process: its peak, and what it leaves behind.
void testOneCall(Bstr& a, Bstr& b) {
    ComRef<_Arithm> arithm = createArithm();
    check(static_cast<bool>(arithm), "CoCreateInstance");
    if (!arithm) {
        return;
    }
    const MemoryUse before = memoryUse();
    largeCall(arithm.get(), a.get(), b.get());
    const MemoryUse after = memoryUse();
    // An upper bound of the call's own peak: the process's peak before it was no higher.
    const std::size_t peak = after.peak - before.now;
    std::printf("one 16383 x 16383 imult: peak %zu KiB over the memory before it\n", peak / kKiB);
    check(peak < 2 * kMiB, "one large call peaks under 2 MiB");
}

// Objects that each made a large call, all alive: the memory they hold beside one object's.
void testManyObjects(Bstr& a, Bstr& b) {
    constexpr std::size_t kObjects = 1000;
    std::vector<ComRef<_Arithm>> objects(kObjects);
    objects[0] = createArithm();
    check(static_cast<bool>(objects[0]), "CoCreateInstance");
    if (!objects[0]) {
        return;
    }
    largeCall(objects[0].get(), a.get(), b.get());
    const std::size_t afterOne = memoryUse().now;
    for (std::size_t i = 1; i < kObjects; ++i) {
        objects[i] = createArithm();
        if (objects[i]) {
            largeCall(objects[i].get(), a.get(), b.get());
        }
    }
    const std::size_t afterAll = memoryUse().now;
    const auto more = static_cast<long long>(afterAll) - static_cast<long long>(afterOne);
    std::printf("%zu objects after one large call each: %lld KiB more than one\n", kObjects,
                more / static_cast<long long>(kKiB));
    check(afterAll < afterOne + 2 * kMiB, "many objects hold less than 2 MiB more than one");
}

// Threads in apartments of their own, calling at the same time on objects of their own, and
// each call's outcome against the same call made on this thread alone.
void testConcurrentApartments() {
    const std::vector<Case> cases = mixedCases();
    std::vector<Outcome> expected;
    {
        const ComRef<_Arithm> alone = createArithm();
        for (const Case& call : cases) {
            expected.push_back(alone ? callOn(alone.get(), call) : Outcome{E_FAIL, L""});
        }
    }
    check(expected.back().code != S_OK, "the table keeps a failing call");
    constexpr std::size_t kThreads = 4;
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            {
                const ComRef<_Arithm> objects[2] = {createArithm(), createArithm()};
                for (std::size_t round = 0; round < 3; ++round) {
                    for (std::size_t i = 0; i < cases.size(); ++i) {
                        const std::size_t index = (i + t) % cases.size();
                        _Arithm* arithm = objects[(round + index) % 2].get();
                        if (arithm == nullptr || callOn(arithm, cases[index]) != expected[index]) {
                            ++mismatches[t];
                        }
                    }
                }
            }
            CoUninitialize();
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const int count : mismatches) {
        check(count == 0, "every call on every thread gives the single-threaded outcome");
    }
}

// Threads that each make a large call in their own apartment and end while the DLL stays
// loaded: they leave nothing behind.
void testEndingThreads(Bstr& a, Bstr& b) {
    const auto oneThread = [&] {
        std::thread([&] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            {
                const ComRef<_Arithm> arithm = createArithm();
                if (arithm) {
                    largeCall(arithm.get(), a.get(), b.get());
                }
            }
            CoUninitialize();
        }).join();
    };
    oneThread();  // what the first thread sets up once for the process
    const std::size_t before = memoryUse().now;
    constexpr int kThreads = 32;
    for (int i = 0; i < kThreads; ++i) {
        oneThread();
    }
    const auto more = static_cast<long long>(memoryUse().now) - static_cast<long long>(before);
    std::printf("%d ended threads that made a large call each: %lld KiB more\n", kThreads,
                more / static_cast<long long>(kKiB));
    check(more < static_cast<long long>(kMiB), "ended threads leave less than 1 MiB behind");
    check(dllLoaded(), "the DLL stayed loaded while the threads ended");
}

// The DLL unloads once every apartment has let it go, while a thread that made a large call in
// it still runs; that thread then ends, and the DLL loads again for new objects.
void testUnload(Bstr& a, Bstr& b) {
    HANDLE released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE mayEnd = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread lingering([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            const ComRef<_Arithm> arithm = createArithm();
            if (arithm) {
                largeCall(arithm.get(), a.get(), b.get());
            }
        }
        CoFreeUnusedLibrariesEx(0, 0);
        SetEvent(released);
        WaitForSingleObject(mayEnd, INFINITE);
        CoUninitialize();
    });
    WaitForSingleObject(released, INFINITE);
    CoFreeUnusedLibrariesEx(0, 0);
    check(!dllLoaded(), "the DLL unloads while a thread that called it lives on");
    SetEvent(mayEnd);
    lingering.join();

    {
        const ComRef<_Arithm> again = createArithm();
        check(static_cast<bool>(again), "objects again after the unload");
        if (again) {
            const Outcome outcome = callOn(again.get(), {"imult", &_Arithm::imult, L"-25", L"4"});
            check(outcome == Outcome{S_OK, L"-100"}, "calls again after the unload");
        }
    }
    CoFreeUnusedLibrariesEx(0, 0);
    check(!dllLoaded(), "the DLL unloads again");
    CloseHandle(released);
    CloseHandle(mayEnd);
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        Bstr a(digits(16383, 11).c_str());
        Bstr b(digits(16383, 12).c_str());
        testOneCall(a, b);
        testManyObjects(a, b);
        testConcurrentApartments();
        {
            // An object of this apartment keeps the DLL loaded while the threads end.
            const ComRef<_Arithm> holder = createArithm();
            testEndingThreads(a, b);
        }
        CoFreeUnusedLibrariesEx(0, 0);
        testUnload(a, b);
    }
    CoUninitialize();
    check(!dllLoaded(), "CoUninitialize leaves the DLL unloaded");
    return kestrum::test::exitStatus("kept_memory_test");
}
