// Late-bound calls through IDispatch::Invoke as script engines make them: arguments by value and
// by reference, conversions, idiv's write-back, and the DISP_E_* results.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "check.h"
#include "com_ref.h"
#include "kestrum_idl.h"

using kestrum::com::ComRef;
using kestrum::test::check;
using kestrum::test::checkCode;
using kestrum::test::runTimeError;
using kestrum::test::text;

namespace {

constexpr DISPID kIadd = 0x60030000;
constexpr DISPID kIdiv = 0x60030003;
constexpr DISPID kRadd = 0x60030004;
constexpr DISPID kIcomp = 0x60030007;

// Arguments in parameter order; owns their values. Invoke receives them last first.
class Arguments {
  public:
    // Room for every argument up front: the references handed out must stay valid.
    Arguments() {
        values_.reserve(kMaxArguments);
        variables_.reserve(kMaxArguments);
        strings_.reserve(kMaxArguments);
    }
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;
    ~Arguments() {
        for (VARIANT& value : values_) {
            VariantClear(&value);
        }
        for (VARIANT& variable : variables_) {
            VariantClear(&variable);
        }
        for (BSTR held : strings_) {
            SysFreeString(held);
        }
    }

    void text(const wchar_t* value) { add(VT_BSTR).bstrVal = SysAllocString(value); }
    void integer(LONG value) { add(VT_I4).lVal = value; }
    void real(double value) { add(VT_R8).dblVal = value; }
    void empty() { add(VT_EMPTY); }
    void null() { add(VT_NULL); }

    // A VARIANT reference to a variable holding a string, as VBScript passes its variables.
    VARIANT& variableText(const wchar_t* value) {
        VARIANT& variable = variables_.emplace_back();
        VariantInit(&variable);
        V_VT(&variable) = VT_BSTR;
        V_BSTR(&variable) = SysAllocString(value);
        add(VT_VARIANT | VT_BYREF).pvarVal = &variable;
        return variable;
    }

    // A VARIANT reference to a variable set to Null (or, with VT_EMPTY, never assigned).
    VARIANT& variableOfType(VARTYPE type) {
        VARIANT& variable = variables_.emplace_back();
        VariantInit(&variable);
        V_VT(&variable) = type;
        add(VT_VARIANT | VT_BYREF).pvarVal = &variable;
        return variable;
    }

    VARIANT& variableShort(short value) {
        VARIANT& variable = variables_.emplace_back();
        VariantInit(&variable);
        V_VT(&variable) = VT_I2;
        V_I2(&variable) = value;
        add(VT_VARIANT | VT_BYREF).pvarVal = &variable;
        return variable;
    }

    // A typed reference to a BSTR, as early-bound languages pass by-reference strings.
    BSTR& bstrReference(const wchar_t* value) {
        BSTR& held = strings_.emplace_back(SysAllocString(value));
        add(VT_BSTR | VT_BYREF).pbstrVal = &held;
        return held;
    }

    void typedReference(VARTYPE type, void* target) { add(type | VT_BYREF).byref = target; }

    // The reference at `position` once more, so that one variable is passed twice.
    void repeatReference(std::size_t position) { values_.push_back(values_.at(position)); }

    // A string value with `length` code units of `value`, which may hold a 0.
    void textOfLength(const wchar_t* value, UINT length) {
        add(VT_BSTR).bstrVal = SysAllocStringLen(value, length);
    }

    HRESULT invoke(IDispatch& target, DISPID member, VARIANT* result, EXCEPINFO* exception,
                   UINT* argumentError, LCID locale = LOCALE_USER_DEFAULT) {
        std::vector<VARIANT> reversed(values_.rbegin(), values_.rend());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        const HRESULT code =
            target.Invoke(member, IID_NULL, locale, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                          result, exception, argumentError);
        std::copy(reversed.rbegin(), reversed.rend(), values_.begin());
        return code;
    }

  private:
    static constexpr std::size_t kMaxArguments = 6;

    VARIANT& add(VARTYPE type) {
        VARIANT& value = values_.emplace_back();
        VariantInit(&value);
        V_VT(&value) = type;
        return value;
    }

    std::vector<VARIANT> values_;
    std::vector<VARIANT> variables_;
    std::vector<BSTR> strings_;
};

}  // namespace

namespace {

ComRef<IDispatch> createDispatch() {
    ComRef<IDispatch> dispatch;
    checkCode(CoCreateInstance(CLSID_Arithm, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(dispatch.put())),
              S_OK, "CoCreateInstance");
    return dispatch;
}

// The result of a call that returns a string; "<failed>" when it fails.
std::wstring callText(IDispatch& dispatch, DISPID member, Arguments& arguments) {
    VARIANT result;
    VariantInit(&result);
    if (arguments.invoke(dispatch, member, &result, nullptr, nullptr) != S_OK ||
        V_VT(&result) != VT_BSTR) {
        VariantClear(&result);
        return L"<failed>";
    }
    std::wstring value = text(V_BSTR(&result));
    VariantClear(&result);
    return value;
}

void testNames(IDispatch& dispatch) {
    struct NameCase {
        const wchar_t* name;
        HRESULT code;
        DISPID id;
    };
    const NameCase cases[] = {
        {L"iadd", S_OK, kIadd},
        {L"IDIV", S_OK, kIdiv},
        {L"Icomp", S_OK, kIcomp},
        {L"rmult", S_OK, 0x60030006},
        {L"idivide", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
    };
    for (const NameCase& step : cases) {
        LPOLESTR name = const_cast<LPOLESTR>(step.name);
        DISPID id = 0;
        checkCode(dispatch.GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), step.code,
                  "GetIDsOfNames");
        check(id == step.id, "dispatch id of a name");
    }
    UINT count = 0;
    checkCode(dispatch.GetTypeInfoCount(&count), S_OK, "GetTypeInfoCount");
    check(count == 1, "one type description");
    ComRef<ITypeInfo> info;
    checkCode(dispatch.GetTypeInfo(1, LOCALE_USER_DEFAULT, info.put()), DISP_E_BADINDEX,
              "GetTypeInfo(1)");
    checkCode(dispatch.GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()), S_OK, "GetTypeInfo(0)");
}

void testArgumentForms(IDispatch& dispatch) {
    {
        Arguments arguments;
        arguments.text(L"12");
        arguments.text(L"30");
        check(callText(dispatch, kIadd, arguments) == L"42", "iadd by value");
    }
    {
        Arguments arguments;
        arguments.variableText(L"12");
        BSTR& second = arguments.bstrReference(L"30");
        const BSTR before = second;
        check(callText(dispatch, kIadd, arguments) == L"42", "iadd by reference");
        check(second == before && text(second) == L"30", "a2 is not written back");
    }
    {
        Arguments arguments;
        arguments.integer(12);
        arguments.integer(30);
        check(callText(dispatch, kIadd, arguments) == L"42", "iadd of numbers");
    }
    {
        Arguments arguments;
        arguments.empty();
        arguments.text(L"5");
        check(callText(dispatch, kIadd, arguments) == L"5", "Empty is the empty text");
    }
    {
        Arguments arguments;
        arguments.text(L"-5");
        arguments.variableOfType(VT_EMPTY);
        check(callText(dispatch, kIadd, arguments) == L"-5", "an Empty variable is the empty text");
    }
    {
        // The user's locale writes 1,5: numbers still convert with a point.
        SetThreadLocale(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
        Arguments arguments;
        arguments.real(1.5);
        arguments.text(L"1");
        VARIANT result;
        VariantInit(&result);
        checkCode(arguments.invoke(dispatch, kRadd, &result, nullptr, nullptr, 0x0407), S_OK,
                  "radd of a real number");
        check(V_VT(&result) == VT_BSTR && text(V_BSTR(&result)) == L"2.5", "1.5 reads as 1.5");
        VariantClear(&result);
        SetThreadLocale(LOCALE_USER_DEFAULT);
    }
    {
        Arguments arguments;
        arguments.text(L"1");
        arguments.text(L"2");
        VARIANT result;
        VariantInit(&result);
        checkCode(arguments.invoke(dispatch, kIcomp, &result, nullptr, nullptr), S_OK, "icomp");
        check(V_VT(&result) == VT_I2 && V_I2(&result) == -1, "icomp returns a 16-bit -1");
    }
}

void testDivisionWriteBack(IDispatch& dispatch) {
    {
        Arguments arguments;
        VARIANT& a1 = arguments.variableText(L"100");
        arguments.variableText(L"7");
        VARIANT& m = arguments.variableText(L"");
        VARIANT& r = arguments.variableText(L"");
        VARIANT& er = arguments.variableShort(0);
        checkCode(arguments.invoke(dispatch, kIdiv, nullptr, nullptr, nullptr), S_OK, "idiv");
        check(V_VT(&m) == VT_BSTR && text(V_BSTR(&m)) == L"14", "quotient into m");
        check(V_VT(&r) == VT_BSTR && text(V_BSTR(&r)) == L"2", "remainder into r");
        check(V_VT(&er) == VT_I2 && V_I2(&er) == 0, "er stays 0");
        check(V_VT(&a1) == VT_BSTR && text(V_BSTR(&a1)) == L"100", "a1 is not written back");
    }
    {
        Arguments arguments;
        arguments.integer(7);
        arguments.integer(0);
        BSTR& m = arguments.bstrReference(L"x");
        BSTR& r = arguments.bstrReference(nullptr);
        short er = 0;
        arguments.typedReference(VT_I2, &er);
        checkCode(arguments.invoke(dispatch, kIdiv, nullptr, nullptr, nullptr), S_OK,
                  "idiv by zero");
        check(text(m) == L"0" && text(r) == L"0" && er == 1, "typed references written back");
    }
}

// Null is no operand: a1 or a2 holding Null, by value or by reference, fails as a type mismatch
// that names the first such argument, and the call writes neither its result nor idiv's outputs.
void testNullOperands(IDispatch& dispatch) {
    enum class Operand { kNumber, kNullValue, kNullVariable, kNullTypedReference };
    struct NullCase {
        const char* name;
        DISPID member;
        Operand a1;
        Operand a2;
    };
    const NullCase cases[] = {
        {"iadd(Null, 7)", kIadd, Operand::kNullValue, Operand::kNumber},
        {"iadd(7, Null)", kIadd, Operand::kNumber, Operand::kNullValue},
        {"radd(Null variable, 7)", kRadd, Operand::kNullVariable, Operand::kNumber},
        {"icomp(7, Null variable)", kIcomp, Operand::kNumber, Operand::kNullVariable},
        {"iadd(7, typed Null reference)", kIadd, Operand::kNumber, Operand::kNullTypedReference},
        {"iadd(Null, Null)", kIadd, Operand::kNullValue, Operand::kNullVariable},
        {"idiv(Null, 7, m, r, er)", kIdiv, Operand::kNullValue, Operand::kNumber},
        {"idiv(7, Null variable, m, r, er)", kIdiv, Operand::kNumber, Operand::kNullVariable},
        {"idiv(typed Null reference, 7, m, r, er)", kIdiv, Operand::kNullTypedReference,
         Operand::kNumber},
    };
    LONG placeholder = 0;
    for (const NullCase& step : cases) {
        Arguments arguments;
        for (const Operand operand : {step.a1, step.a2}) {
            switch (operand) {
                case Operand::kNumber:
                    arguments.text(L"7");
                    break;
                case Operand::kNullValue:
                    arguments.null();
                    break;
                case Operand::kNullVariable:
                    arguments.variableOfType(VT_NULL);
                    break;
                case Operand::kNullTypedReference:
                    // A reference to a Null, not a null reference: nothing is read through it.
                    arguments.typedReference(VT_NULL, &placeholder);
                    break;
            }
        }
        const bool division = step.member == kIdiv;
        VARIANT* m = division ? &arguments.variableText(L"m") : nullptr;
        VARIANT* r = division ? &arguments.variableText(L"r") : nullptr;
        VARIANT* er = division ? &arguments.variableShort(5) : nullptr;
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO exception{};
        UINT argumentError = 99;
        checkCode(arguments.invoke(dispatch, step.member, &result, &exception, &argumentError),
                  DISP_E_TYPEMISMATCH, step.name);
        const UINT count = division ? 5 : 2;
        const UINT nullParameter = step.a1 != Operand::kNumber ? 0 : 1;
        check(argumentError == count - 1 - nullParameter,
              std::string(step.name) + ": puArgErr names the first Null");
        check(V_VT(&result) == VT_EMPTY, std::string(step.name) + ": no result");
        check(exception.scode == 0 && exception.bstrSource == nullptr,
              std::string(step.name) + ": no exception");
        if (division) {
            check(text(V_BSTR(m)) == L"m" && text(V_BSTR(r)) == L"r" && V_I2(er) == 5,
                  std::string(step.name) + ": m, r and er untouched");
        }
        VariantClear(&result);
    }

    // The outputs of idiv are variables to write into: Null there reads as the empty text or 0.
    Arguments arguments;
    arguments.text(L"100");
    arguments.text(L"7");
    VARIANT& m = arguments.variableOfType(VT_NULL);
    VARIANT& r = arguments.variableOfType(VT_NULL);
    VARIANT& er = arguments.variableOfType(VT_NULL);
    checkCode(arguments.invoke(dispatch, kIdiv, nullptr, nullptr, nullptr), S_OK,
              "idiv into Null variables");
    check(V_VT(&m) == VT_BSTR && text(V_BSTR(&m)) == L"14" && V_VT(&r) == VT_BSTR &&
              text(V_BSTR(&r)) == L"2" && V_VT(&er) == VT_I2 && V_I2(&er) == 0,
          "Null outputs take the quotient, the remainder and er");
}

// One variable passed as an operand and as an output of idiv: the division reads the operand as
// it was passed, and the variable ends up with the last output written into it (m, r, er).
void testSharedDivisionVariables(IDispatch& dispatch) {
    {
        Arguments arguments;
        BSTR& a1 = arguments.bstrReference(L"100");
        arguments.text(L"7");
        arguments.repeatReference(0);
        BSTR& r = arguments.bstrReference(nullptr);
        short er = 0;
        arguments.typedReference(VT_I2, &er);
        checkCode(arguments.invoke(dispatch, kIdiv, nullptr, nullptr, nullptr), S_OK,
                  "idiv with a1 as m");
        check(text(a1) == L"14" && text(r) == L"2", "a1's string takes the quotient");
    }
    {
        Arguments arguments;
        VARIANT& a1 = arguments.variableText(L"-100");
        arguments.text(L"7");
        arguments.repeatReference(0);
        arguments.repeatReference(0);
        arguments.variableShort(0);
        checkCode(arguments.invoke(dispatch, kIdiv, nullptr, nullptr, nullptr), S_OK,
                  "idiv with a1 as m and r");
        check(V_VT(&a1) == VT_BSTR && text(V_BSTR(&a1)) == L"-2", "a1 takes the remainder");
    }
    {
        Arguments arguments;
        arguments.text(L"100");
        VARIANT& a2 = arguments.variableText(L"7");
        VARIANT& m = arguments.variableText(L"");
        arguments.repeatReference(1);
        arguments.repeatReference(1);
        checkCode(arguments.invoke(dispatch, kIdiv, nullptr, nullptr, nullptr), S_OK,
                  "idiv with a2 as r and er");
        check(V_VT(&m) == VT_BSTR && text(V_BSTR(&m)) == L"14", "quotient of 100 by 7");
        check(V_VT(&a2) == VT_I2 && V_I2(&a2) == 7, "a2 read as er and written back last");
    }
    {
        Arguments arguments;
        VARIANT& a1 = arguments.variableText(L"12");
        arguments.repeatReference(0);
        arguments.repeatReference(0);
        arguments.variableText(L"");
        arguments.variableShort(0);
        checkCode(arguments.invoke(dispatch, kIdiv, nullptr, nullptr, nullptr), S_OK,
                  "idiv of a variable by itself into itself");
        check(V_VT(&a1) == VT_BSTR && text(V_BSTR(&a1)) == L"1", "12 / 12 = 1");
    }
}

// Strings are read by their length, null strings as the empty text, and neither the string nor
// the caller's pointer to it changes.
void testOperandsInPlace(IDispatch& dispatch) {
    {
        Arguments arguments;
        BSTR& a1 = arguments.bstrReference(nullptr);
        VARIANT& a2 = arguments.variableText(nullptr);
        check(callText(dispatch, kIadd, arguments) == L"0", "null strings by reference");
        check(a1 == nullptr && V_VT(&a2) == VT_BSTR && V_BSTR(&a2) == nullptr,
              "null strings stay null");
    }
    {
        Arguments arguments;
        arguments.textOfLength(
            L"1\0"
            L"2",
            3);
        arguments.text(L"1");
        EXCEPINFO exception{};
        checkCode(arguments.invoke(dispatch, kIadd, nullptr, &exception, nullptr), DISP_E_EXCEPTION,
                  "a string holding a 0 character");
        checkCode(exception.scode, runTimeError(102), "the 0 character is no digit");
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
    }
    {
        Arguments arguments;
        BSTR& a1 = arguments.bstrReference(L"-99");
        VARIANT& a2 = arguments.variableText(L"99");
        const BSTR first = a1;
        const BSTR second = V_BSTR(&a2);
        VARIANT result;
        VariantInit(&result);
        checkCode(arguments.invoke(dispatch, kIcomp, &result, nullptr, nullptr), S_OK, "icomp");
        check(V_VT(&result) == VT_I2 && V_I2(&result) == -1, "-99 < 99");
        check(a1 == first && text(a1) == L"-99" && V_BSTR(&a2) == second && text(second) == L"99",
              "operands unchanged");
    }
}

void testFailures(IDispatch& dispatch) {
    struct FailureCase {
        const char* name;
        DISPID member;
        void (*fill)(Arguments&);
        HRESULT code;
        UINT argumentError;  // position in rgvarg, checked for DISP_E_TYPEMISMATCH
    };
    const FailureCase cases[] = {
        {"too few arguments", kIadd, [](Arguments& a) { a.text(L"1"); }, DISP_E_BADPARAMCOUNT, 0},
        {"unknown member", 0x60030008, [](Arguments& a) { a.text(L"1"); }, DISP_E_MEMBERNOTFOUND,
         0},
        {"a1 not convertible", kIadd,
         [](Arguments& a) {
             a.typedReference(VT_UNKNOWN, nullptr);
             a.text(L"1");
         },
         DISP_E_TYPEMISMATCH, 1},
        {"er refers to a string", kIdiv,
         [](Arguments& a) {
             a.text(L"1");
             a.text(L"1");
             a.variableText(L"");
             a.variableText(L"");
             a.bstrReference(L"");
         },
         DISP_E_TYPEMISMATCH, 0},
        {"a2 a null string reference", kIadd,
         [](Arguments& a) {
             a.text(L"1");
             a.typedReference(VT_BSTR, nullptr);
         },
         DISP_E_TYPEMISMATCH, 0},
        {"a1 a null VARIANT reference", kIadd,
         [](Arguments& a) {
             a.typedReference(VT_VARIANT, nullptr);
             a.text(L"1");
         },
         DISP_E_TYPEMISMATCH, 1},
        {"m a null VARIANT reference", kIdiv,
         [](Arguments& a) {
             a.text(L"7");
             a.text(L"2");
             a.typedReference(VT_VARIANT, nullptr);
             a.variableText(L"");
             a.bstrReference(L"");
         },
         DISP_E_TYPEMISMATCH, 2},
        {"er a null 16-bit reference", kIdiv,
         [](Arguments& a) {
             a.text(L"7");
             a.text(L"2");
             a.variableText(L"");
             a.variableText(L"");
             a.typedReference(VT_I2, nullptr);
         },
         DISP_E_TYPEMISMATCH, 0},
        {"r and er of the wrong types", kIdiv,
         [](Arguments& a) {
             static LONG number = 0;
             a.text(L"1");
             a.text(L"1");
             a.variableText(L"");
             a.typedReference(VT_I4, &number);
             a.bstrReference(L"");
         },
         DISP_E_TYPEMISMATCH, 1},
    };
    for (const FailureCase& step : cases) {
        Arguments arguments;
        step.fill(arguments);
        UINT argumentError = 99;
        checkCode(arguments.invoke(dispatch, step.member, nullptr, nullptr, &argumentError),
                  step.code, step.name);
        if (step.code == DISP_E_TYPEMISMATCH) {
            check(argumentError == step.argumentError, std::string(step.name) + ": puArgErr");
        }
    }

    VARIANT named;
    VariantInit(&named);
    DISPID name = 0;
    DISPPARAMS withName{&named, &name, 1, 1};
    checkCode(
        dispatch.Invoke(kIadd, IID_NULL, 0, DISPATCH_METHOD, &withName, nullptr, nullptr, nullptr),
        DISP_E_NONAMEDARGS, "named arguments");

    Arguments arguments;
    arguments.text(L"1a");
    arguments.text(L"1");
    EXCEPINFO exception{};
    checkCode(arguments.invoke(dispatch, kIadd, nullptr, &exception, nullptr), DISP_E_EXCEPTION,
              "failing method raises an exception");
    checkCode(exception.scode, runTimeError(102), "exception carries error 102");
    check(text(exception.bstrSource) == L"Kestrum.Arithm", "exception source");
    check(!text(exception.bstrDescription).empty(), "exception description");
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        ComRef<IDispatch> dispatch = createDispatch();
        if (dispatch) {
            testNames(*dispatch.get());
            testArgumentForms(*dispatch.get());
            testDivisionWriteBack(*dispatch.get());
            testNullOperands(*dispatch.get());
            testSharedDivisionVariables(*dispatch.get());
            testOperandsInPlace(*dispatch.get());
            testFailures(*dispatch.get());
        }
    }
    CoUninitialize();
    return kestrum::test::exitStatus("dispatch_test");
}
