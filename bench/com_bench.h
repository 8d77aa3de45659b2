// Shared by the COM timing programs: a stopwatch, reproducible digit texts, and an Arithm object
// made straight from a Kestrum.dll, without registration.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "com_ref.h"
#include "kestrum_idl.h"

namespace kestrum::bench {

class Stopwatch {
  public:
    Stopwatch() {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        ticksPerMicrosecond_ = static_cast<double>(frequency.QuadPart) / 1e6;
        QueryPerformanceCounter(&start_);
    }
    double microseconds() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) / ticksPerMicrosecond_;
    }

  private:
    double ticksPerMicrosecond_ = 1;
    LARGE_INTEGER start_{};
};

// A number text of `count` digits from a fixed sequence; the first digit is 1 to 4, so that the
// sum of two of them has no more digits than they do.
inline std::wstring digits(std::size_t count, std::uint32_t& state) {
    std::wstring text(count, L'0');
    for (std::size_t position = 0; position < count; ++position) {
        state = state * 1664525U + 1013904223U;
        text[position] = static_cast<wchar_t>(L'0' + (state >> 16) % 10);
    }
    text[0] = static_cast<wchar_t>(L'1' + (state >> 20) % 4);
    return text;
}

// An Arithm object from the DLL at `dllPath`, or null.
inline com::ComRef<_Arithm> createArithm(const char* dllPath) {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    com::ComRef<_Arithm> arithm;
    const HMODULE module = LoadLibraryA(dllPath);
    if (module == nullptr) {
        return arithm;
    }
    const auto getClassObject = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    com::ComRef<IClassFactory> factory;
    if (getClassObject == nullptr || getClassObject(CLSID_Arithm, IID_IClassFactory,
                                                    reinterpret_cast<void**>(factory.put())) < 0) {
        return arithm;
    }
    factory->CreateInstance(nullptr, IID__Arithm, reinterpret_cast<void**>(arithm.put()));
    return arithm;
}

}  // namespace kestrum::bench
