// The platform's error information object for the calling thread: set with the description of
// a failure of an Arithm method, or cleared after a success.
#pragma once

#include <windows.h>

#include <string>

namespace kestrum::com {

// Source name reported with every failure.
inline constexpr wchar_t kErrorSource[] = L"Kestrum.Arithm";

// The description of a failure result, as reported to clients; empty when memory runs out.
std::wstring describeFailure(HRESULT code) noexcept;

// Fills `exception` (may be null) for a failure of a method called through Invoke; returns
// DISP_E_EXCEPTION, whose scode carries `code`.
HRESULT raiseDispatchException(HRESULT code, EXCEPINFO* exception) noexcept;

// Sets the error information for a failure, or clears it for a success; returns `code`.
HRESULT publishOutcome(HRESULT code) noexcept;

}  // namespace kestrum::com
