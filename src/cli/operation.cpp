#include "operation.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <new>

#include "result_codes.h"
#include "utf8.h"

namespace kestrum::cli {

namespace {

using api::Arithm;
using api::AutoString;
using api::AutoStringHolder;
using api::ResultCode;

using StringMethod = ResultCode (Arithm::*)(AutoString*, AutoString*, AutoString*) const noexcept;

enum class Shape { kString, kCompare, kDivide };

struct Entry {
    std::string_view name;
    Shape shape;
    StringMethod method;  // for Shape::kString only
};

constexpr std::array<Entry, 8> kEntries{{
    {"iadd", Shape::kString, &Arithm::iadd},
    {"isub", Shape::kString, &Arithm::isub},
    {"imult", Shape::kString, &Arithm::imult},
    {"idiv", Shape::kDivide, nullptr},
    {"radd", Shape::kString, &Arithm::radd},
    {"rsub", Shape::kString, &Arithm::rsub},
    {"rmult", Shape::kString, &Arithm::rmult},
    {"icomp", Shape::kCompare, nullptr},
}};

std::string hexCode(ResultCode code) {
    std::array<char, 16> hex{};
    std::snprintf(hex.data(), hex.size(), "0x%08X", static_cast<std::uint32_t>(code));
    return hex.data();
}

AutoStringHolder holdText(std::u16string_view text) {
    AutoStringHolder holder(api::autoStringAlloc(text));
    if (!holder) {
        throw std::bad_alloc();
    }
    return holder;
}

void appendFlag(std::int16_t value, std::string& out) {
    out += std::to_string(value);
}

ResultCode runString(const Arithm& arithm, StringMethod method, AutoString a1, AutoString a2,
                     std::string& out) {
    AutoString result = nullptr;
    const ResultCode code = (arithm.*method)(&a1, &a2, &result);
    const AutoStringHolder owned(result);
    if (code == api::kSuccess) {
        appendUtf8(api::autoStringView(result), out);
    }
    return code;
}

ResultCode runCompare(const Arithm& arithm, AutoString a1, AutoString a2, std::string& out) {
    std::int16_t order = 0;
    const ResultCode code = arithm.icomp(&a1, &a2, &order);
    if (code == api::kSuccess) {
        appendFlag(order, out);
    }
    return code;
}

// m and r start empty and er at 0 on every call, so no call sees what an earlier one left.
ResultCode runDivide(const Arithm& arithm, AutoString a1, AutoString a2, char separator,
                     std::string& out) {
    AutoString m = nullptr;
    AutoString r = nullptr;
    std::int16_t er = 0;
    const ResultCode code = arithm.idiv(&a1, &a2, &m, &r, &er);
    const AutoStringHolder ownedM(m);
    const AutoStringHolder ownedR(r);
    if (code == api::kSuccess) {
        appendUtf8(api::autoStringView(m), out);
        out += separator;
        appendUtf8(api::autoStringView(r), out);
        out += separator;
        appendFlag(er, out);
    }
    return code;
}

}  // namespace

std::optional<Operation> Operation::find(std::string_view name) {
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        if (kEntries[i].name == name) {
            return Operation(i);
        }
    }
    return std::nullopt;
}

ResultCode Operation::run(const Arithm& arithm, std::u16string_view a1, std::u16string_view a2,
                          char separator, std::string& out) const {
    const AutoStringHolder first = holdText(a1);
    const AutoStringHolder second = holdText(a2);
    const Entry& entry = kEntries[index_];
    switch (entry.shape) {
        case Shape::kString:
            return runString(arithm, entry.method, first.get(), second.get(), out);
        case Shape::kCompare:
            return runCompare(arithm, first.get(), second.get(), out);
        case Shape::kDivide:
            break;
    }
    return runDivide(arithm, first.get(), second.get(), separator, out);
}

std::string failureLine(ResultCode code) {
    const int number = api::runTimeErrorNumber(code);
    return "error " + (number != 0 ? std::to_string(number) : hexCode(code));
}

std::string describeFailure(ResultCode code) {
    std::string text = "error ";
    if (const int number = api::runTimeErrorNumber(code); number != 0) {
        text += std::to_string(number) + ' ';
    }
    text += '(' + hexCode(code) + "): " + utf16ToUtf8(api::describeResult(code));
    return text;
}

}  // namespace kestrum::cli
