// Result codes of the Arithm methods and the description text of each failure.
#pragma once

#include <cstdint>
#include <string>

#include "automation_string.h"

namespace kestrum::api {

inline constexpr ResultCode kSuccess = 0;
inline constexpr ResultCode kNullPointer = static_cast<ResultCode>(0x80004003U);  // E_POINTER
inline constexpr ResultCode kUnexpected = static_cast<ResultCode>(0x8000FFFFU);   // E_UNEXPECTED
inline constexpr ResultCode kOutOfMemory = static_cast<ResultCode>(0x8007000EU);  // E_OUTOFMEMORY

// Base of run-time error results: severity error, FACILITY_CONTROL (10), code 0.
inline constexpr std::uint32_t kRunTimeErrorBase = 0x800A0000U;

// The result code for run-time error `number`: 0x800A0000 + number.
constexpr ResultCode runTimeErrorCode(int number) {
    return static_cast<ResultCode>(kRunTimeErrorBase + static_cast<std::uint32_t>(number));
}

// The run-time error number inside a result code, or 0 when it is not a run-time error.
constexpr int runTimeErrorNumber(ResultCode code) {
    const auto bits = static_cast<std::uint32_t>(code);
    return (bits & 0xFFFF0000U) == kRunTimeErrorBase ? static_cast<int>(bits & 0xFFFFU) : 0;
}

// A one-line English description of a failure result code.
std::u16string describeResult(ResultCode code);

}  // namespace kestrum::api
