#include "script_arguments.h"

#include <windows.h>

namespace kestrum::com {

namespace {

// A reference whose address is null: no variable to read or write, refused as a type mismatch.
bool isNullReference(const VARIANT& argument) noexcept {
    return (V_VT(&argument) & VT_BYREF) != 0 && V_BYREF(&argument) == nullptr;
}

// The VARIANT that a VARIANT reference points to, or the argument itself; never called on a
// null reference.
VARIANT& dereference(VARIANT& argument) noexcept {
    return V_VT(&argument) == (VT_VARIANT | VT_BYREF) ? *V_VARIANTREF(&argument) : argument;
}

bool isNull(const VARIANT& value) noexcept {
    return V_VT(&value) == VT_NULL || V_VT(&value) == (VT_NULL | VT_BYREF);
}

bool isEmptyOrNull(const VARIANT& value) noexcept {
    return V_VT(&value) == VT_EMPTY || V_VT(&value) == (VT_EMPTY | VT_BYREF) || isNull(value);
}

// Conversion failures other than a lack of memory or an overflow read as a type mismatch.
HRESULT conversionFailure(HRESULT code) noexcept {
    return code == E_OUTOFMEMORY || code == DISP_E_OVERFLOW ? code : DISP_E_TYPEMISMATCH;
}

}  // namespace

ScriptArguments::ScriptArguments(DISPPARAMS& params, UINT* errorIndex) noexcept
    : params_(params), errorIndex_(errorIndex) {}

VARIANT& ScriptArguments::argument(UINT index) const noexcept {
    return params_.rgvarg[params_.cArgs - 1 - index];
}

HRESULT ScriptArguments::fail(UINT index, HRESULT code) const noexcept {
    if (errorIndex_ != nullptr) {
        *errorIndex_ = params_.cArgs - 1 - index;
    }
    return code;
}

HRESULT ScriptArguments::readText(UINT index, api::AutoStringHolder& text) noexcept {
    if (isNullReference(argument(index))) {
        return fail(index, DISP_E_TYPEMISMATCH);
    }
    VARIANT& value = dereference(argument(index));
    if (isEmptyOrNull(value)) {
        text.reset();
        return S_OK;
    }
    VARIANT converted;
    VariantInit(&converted);
    const HRESULT result = VariantChangeTypeEx(&converted, &value, LOCALE_INVARIANT, 0, VT_BSTR);
    if (result < 0) {
        return fail(index, conversionFailure(result));
    }
    text.reset(V_BSTR(&converted));
    return S_OK;
}

HRESULT ScriptArguments::readOperand(UINT index, OperandText& text) noexcept {
    VARIANT& given = argument(index);
    // A null reference goes to readText, which refuses it.
    if (!isNullReference(given)) {
        if (V_VT(&given) == (VT_BSTR | VT_BYREF)) {
            text.borrow(*V_BSTRREF(&given));
            return S_OK;
        }
        VARIANT& value = dereference(given);
        if (V_VT(&value) == VT_BSTR) {
            text.borrow(V_BSTR(&value));
            return S_OK;
        }
        // A Null operand is no number: the caller's value is missing (a Null database field).
        if (isNull(value)) {
            return fail(index, DISP_E_TYPEMISMATCH);
        }
    }
    api::AutoStringHolder converted;
    const HRESULT read = readText(index, converted);
    text.own(converted.release());
    return read;
}

HRESULT ScriptArguments::readShort(UINT index, std::int16_t& value) noexcept {
    if (isNullReference(argument(index))) {
        return fail(index, DISP_E_TYPEMISMATCH);
    }
    VARIANT& source = dereference(argument(index));
    if (isEmptyOrNull(source)) {
        value = 0;
        return S_OK;
    }
    VARIANT converted;
    VariantInit(&converted);
    const HRESULT result = VariantChangeTypeEx(&converted, &source, LOCALE_INVARIANT, 0, VT_I2);
    if (result < 0) {
        return fail(index, conversionFailure(result));
    }
    value = V_I2(&converted);
    return S_OK;
}

HRESULT ScriptArguments::checkTextTarget(UINT index) noexcept {
    const VARTYPE type = V_VT(&argument(index));
    const bool fits =
        (type & VT_BYREF) == 0 || type == (VT_BSTR | VT_BYREF) || type == (VT_VARIANT | VT_BYREF);
    return fits && !isNullReference(argument(index)) ? S_OK : fail(index, DISP_E_TYPEMISMATCH);
}

HRESULT ScriptArguments::checkShortTarget(UINT index) noexcept {
    const VARTYPE type = V_VT(&argument(index));
    const bool fits =
        (type & VT_BYREF) == 0 || type == (VT_I2 | VT_BYREF) || type == (VT_VARIANT | VT_BYREF);
    return fits && !isNullReference(argument(index)) ? S_OK : fail(index, DISP_E_TYPEMISMATCH);
}

void ScriptArguments::writeText(UINT index, api::AutoStringHolder text) noexcept {
    VARIANT& target = argument(index);
    if (V_VT(&target) == (VT_BSTR | VT_BYREF)) {
        SysFreeString(*V_BSTRREF(&target));
        *V_BSTRREF(&target) = text.release();
    } else if (V_VT(&target) == (VT_VARIANT | VT_BYREF)) {
        VARIANT& variable = *V_VARIANTREF(&target);
        VariantClear(&variable);
        V_VT(&variable) = VT_BSTR;
        V_BSTR(&variable) = text.release();
    }
}

void ScriptArguments::writeShort(UINT index, std::int16_t value) noexcept {
    VARIANT& target = argument(index);
    if (V_VT(&target) == (VT_I2 | VT_BYREF)) {
        *V_I2REF(&target) = value;
    } else if (V_VT(&target) == (VT_VARIANT | VT_BYREF)) {
        VARIANT& variable = *V_VARIANTREF(&target);
        VariantClear(&variable);
        V_VT(&variable) = VT_I2;
        V_I2(&variable) = value;
    }
}

}  // namespace kestrum::com
