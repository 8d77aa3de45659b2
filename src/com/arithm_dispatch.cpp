// Late-bound calls to Arithm. Unlike the stock type-library Invoke, this one takes every
// argument by value or by reference and in any type that converts to a string, so that script
// variables work as operands, and it writes the outputs of idiv back into the caller's variables.
// Operands that are strings already are read in place, without a copy; the result VARIANT takes
// the string that the method returns.
#include <windows.h>

#include <cstdint>

#include "arithm_object.h"
#include "error_info.h"
#include "script_arguments.h"

namespace kestrum::com {

namespace {

using TextMethod = HRESULT (STDMETHODCALLTYPE ArithmObject::*)(BSTR*, BSTR*, BSTR*);

enum class Shape { kTextResult, kComparison, kDivision };

struct Member {
    DISPID id;
    Shape shape;
    TextMethod method;  // for kTextResult only
};

constexpr Member kMembers[] = {
    {0x60030000, Shape::kTextResult, &ArithmObject::iadd},
    {0x60030001, Shape::kTextResult, &ArithmObject::isub},
    {0x60030002, Shape::kTextResult, &ArithmObject::imult},
    {0x60030003, Shape::kDivision, nullptr},
    {0x60030004, Shape::kTextResult, &ArithmObject::radd},
    {0x60030005, Shape::kTextResult, &ArithmObject::rsub},
    {0x60030006, Shape::kTextResult, &ArithmObject::rmult},
    {0x60030007, Shape::kComparison, nullptr},
};

const Member* findMember(DISPID id) noexcept {
    for (const Member& member : kMembers) {
        if (member.id == id) {
            return &member;
        }
    }
    return nullptr;
}

UINT parameterCount(Shape shape) noexcept {
    return shape == Shape::kDivision ? 5 : 2;
}

enum Parameter : UINT { kA1, kA2, kQuotient, kRemainder, kZeroDivisor };

// The outcome of a call: a failure to read the arguments is returned as it is, a failure of the
// method itself becomes an exception for the caller.
struct Outcome {
    HRESULT code;
    bool methodRan;
};

class Call {
  public:
    Call(ArithmObject& object, DISPPARAMS& params, UINT* argumentError, VARIANT* result) noexcept
        : object_(object), arguments_(params, argumentError), result_(result) {}

    Outcome withTextResult(TextMethod method) noexcept {
        OperandText a1;
        OperandText a2;
        if (const HRESULT read = readOperands(a1, a2); read < 0) {
            return {read, false};
        }
        BSTR value = nullptr;
        const HRESULT code = (object_.*method)(a1.address(), a2.address(), &value);
        if (result_ != nullptr && code >= 0) {
            V_VT(result_) = VT_BSTR;
            V_BSTR(result_) = value;
        } else {
            SysFreeString(value);
        }
        return {code, true};
    }

    Outcome comparison() noexcept {
        OperandText a1;
        OperandText a2;
        if (const HRESULT read = readOperands(a1, a2); read < 0) {
            return {read, false};
        }
        short order = 0;
        const HRESULT code = object_.icomp(a1.address(), a2.address(), &order);
        if (result_ != nullptr && code >= 0) {
            V_VT(result_) = VT_I2;
            V_I2(result_) = order;
        }
        return {code, true};
    }

    Outcome division() noexcept {
        OperandText a1;
        OperandText a2;
        api::AutoStringHolder quotient;
        api::AutoStringHolder remainder;
        std::int16_t zeroDivisor = 0;
        HRESULT read = readOperands(a1, a2);
        if (read >= 0) {
            read = readOutputs(quotient, remainder, zeroDivisor);
        }
        if (read < 0) {
            return {read, false};
        }
        // m and r are copies even when they arrive as strings: the division replaces them. A
        // variable passed as both an operand and an output is therefore read as the operand
        // throughout, and takes the output only in the write-back below.
        BSTR m = quotient.release();
        BSTR r = remainder.release();
        short er = zeroDivisor;
        const HRESULT code = object_.idiv(a1.address(), a2.address(), &m, &r, &er);
        // Written back after a failure too: the caller sees what the division had produced.
        arguments_.writeText(kQuotient, api::AutoStringHolder(m));
        arguments_.writeText(kRemainder, api::AutoStringHolder(r));
        arguments_.writeShort(kZeroDivisor, er);
        return {code, true};
    }

  private:
    HRESULT readOperands(OperandText& a1, OperandText& a2) noexcept {
        const HRESULT first = arguments_.readOperand(kA1, a1);
        return first < 0 ? first : arguments_.readOperand(kA2, a2);
    }

    HRESULT readOutputs(api::AutoStringHolder& quotient, api::AutoStringHolder& remainder,
                        std::int16_t& zeroDivisor) noexcept {
        // One step after the other: puArgErr names the first argument that fails.
        HRESULT read = arguments_.checkTextTarget(kQuotient);
        if (read >= 0) {
            read = arguments_.checkTextTarget(kRemainder);
        }
        if (read >= 0) {
            read = arguments_.checkShortTarget(kZeroDivisor);
        }
        if (read >= 0) {
            read = arguments_.readText(kQuotient, quotient);
        }
        if (read >= 0) {
            read = arguments_.readText(kRemainder, remainder);
        }
        if (read >= 0) {
            read = arguments_.readShort(kZeroDivisor, zeroDivisor);
        }
        return read;
    }

    ArithmObject& object_;
    ScriptArguments arguments_;
    VARIANT* result_;
};

}  // namespace

HRESULT ArithmObject::Invoke(DISPID member, REFIID interfaceId, LCID /*locale*/, WORD flags,
                             DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                             UINT* argumentError) {
    if (!IsEqualIID(interfaceId, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    const Member* called = findMember(member);
    if (called == nullptr || (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params == nullptr) {
        return E_INVALIDARG;
    }
    if (params->cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    if (params->cArgs != parameterCount(called->shape)) {
        return DISP_E_BADPARAMCOUNT;
    }
    Call call(*this, *params, argumentError, result);
    Outcome outcome{};
    switch (called->shape) {
        case Shape::kTextResult:
            outcome = call.withTextResult(called->method);
            break;
        case Shape::kComparison:
            outcome = call.comparison();
            break;
        case Shape::kDivision:
            outcome = call.division();
            break;
    }
    if (outcome.methodRan && outcome.code < 0) {
        return raiseDispatchException(outcome.code, exception);
    }
    return outcome.code;
}

}  // namespace kestrum::com
