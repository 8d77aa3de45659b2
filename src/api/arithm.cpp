#include "arithm.h"

#include <new>

#include "aserv.h"
#include "call_storage.h"
#include "result_codes.h"

namespace kestrum::api {

namespace {

using aserv::Text;
using aserv::TextView;
using StringProcedure = void (*)(TextView, TextView, Text&);

// The result code of the exception in flight; called only from a catch block.
ResultCode currentFailure() noexcept {
    try {
        throw;
    } catch (const aserv::AServError& error) {
        return runTimeErrorCode(error.number());
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kUnexpected;
    }
}

// `linear` for the procedures that write the digits of their result while they read the digits
// of the operands, in one pass.
ResultCode callStringProcedure(StringProcedure procedure, bool linear, AutoString* a1,
                               AutoString* a2, AutoString* result) noexcept {
    if (a1 == nullptr || a2 == nullptr || result == nullptr) {
        return kNullPointer;
    }
    *result = nullptr;
    try {
        CallStorage::Loan loan;
        const TextView x = autoStringView(*a1);
        const TextView y = autoStringView(*a2);
        Text& local = linear ? loan.textApartFrom(x, y) : loan.text();
        procedure(x, y, local);
        AutoString value = autoStringAlloc(local);
        if (value == nullptr) {
            return kOutOfMemory;
        }
        *result = value;
        return kSuccess;
    } catch (...) {
        return currentFailure();
    }
}

// Replaces the client's string with `text` unless it already holds exactly that.
bool storeIfChanged(AutoString* target, TextView text) noexcept {
    if (autoStringView(*target) == text) {
        return true;
    }
    AutoString value = autoStringAlloc(text);
    if (value == nullptr) {
        return false;
    }
    autoStringFree(*target);
    *target = value;
    return true;
}

}  // namespace

ResultCode Arithm::iadd(AutoString* a1, AutoString* a2, AutoString* result) const noexcept {
    return callStringProcedure(aserv::intAdd, true, a1, a2, result);
}

ResultCode Arithm::isub(AutoString* a1, AutoString* a2, AutoString* result) const noexcept {
    return callStringProcedure(aserv::intSub, true, a1, a2, result);
}

ResultCode Arithm::imult(AutoString* a1, AutoString* a2, AutoString* result) const noexcept {
    return callStringProcedure(aserv::intMult, false, a1, a2, result);
}

ResultCode Arithm::idiv(AutoString* a1, AutoString* a2, AutoString* m, AutoString* r,
                        std::int16_t* er) const noexcept {
    if (a1 == nullptr || a2 == nullptr || m == nullptr || r == nullptr || er == nullptr) {
        return kNullPointer;
    }
    ResultCode code = kSuccess;
    try {
        const CallStorage::Loan loan;
        // The division writes its outputs in place; it works on copies of the client's m, r and
        // er, which are copied back as they stand when it ends, normally or by an error.
        Text quotient(autoStringView(*m));
        Text remainder(autoStringView(*r));
        std::int16_t flag = *er;
        try {
            aserv::intDiv(autoStringView(*a1), autoStringView(*a2), quotient, remainder, flag);
        } catch (...) {
            code = currentFailure();
        }
        if (!storeIfChanged(m, quotient) || !storeIfChanged(r, remainder)) {
            return kOutOfMemory;
        }
        *er = flag;
    } catch (...) {
        return currentFailure();
    }
    return code;
}

ResultCode Arithm::radd(AutoString* a1, AutoString* a2, AutoString* result) const noexcept {
    return callStringProcedure(aserv::realAdd, true, a1, a2, result);
}

ResultCode Arithm::rsub(AutoString* a1, AutoString* a2, AutoString* result) const noexcept {
    return callStringProcedure(aserv::realSub, true, a1, a2, result);
}

ResultCode Arithm::rmult(AutoString* a1, AutoString* a2, AutoString* result) const noexcept {
    return callStringProcedure(aserv::realMult, false, a1, a2, result);
}

ResultCode Arithm::icomp(AutoString* a1, AutoString* a2, std::int16_t* result) const noexcept {
    if (a1 == nullptr || a2 == nullptr || result == nullptr) {
        return kNullPointer;
    }
    try {
        std::int16_t local = 0;
        aserv::intComp(autoStringView(*a1), autoStringView(*a2), local);
        *result = local;
        return kSuccess;
    } catch (...) {
        *result = 0;
        return currentFailure();
    }
}

}  // namespace kestrum::api
