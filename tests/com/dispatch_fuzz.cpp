// Seeded random calls through IDispatch::Invoke as careless late-bound callers could make them:
// known and unknown dispatch ids, every combination of the call flags, right and wrong argument
// counts, named arguments, null result, exception and argument-error pointers, and arguments of
// many types by value, by typed reference and through VARIANT references, sometimes one
// variable passed twice. Each call is checked against the argument rules and against the same
// operation made through the vtable with the operand texts converted as Invoke converts them.
// A Null operand fails as a type mismatch before anything is written.
// No argument may change except the variables that idiv writes its outputs into.
// Arguments: [calls] [seed].
#include <windows.h>
// After windows.h, whose types it relies on.
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "check.h"
#include "com_ref.h"
#include "kestrum_idl.h"

using kestrum::com::ComRef;
using kestrum::test::check;
using kestrum::test::text;

namespace {

constexpr unsigned long kDefaultCalls = 20000;
constexpr unsigned long kDefaultSeed = 20261208;

class Random {
  public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}

    std::uint32_t below(std::uint32_t bound) {
        return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(engine_);
    }
    bool percent(std::uint32_t chance) { return below(100) < chance; }
    template <typename Item, std::size_t count>
    const Item& among(const Item (&items)[count]) {
        return items[below(static_cast<std::uint32_t>(count))];
    }

    // Small numbers, extremes and anything between, of either sign.
    std::int64_t integer() {
        const std::uint64_t bits = (std::uint64_t{engine_()} << 32) | engine_();
        switch (below(4)) {
            case 0:
                return static_cast<std::int64_t>(below(21)) - 10;
            case 1:
                return static_cast<std::int64_t>(bits >> below(64));
            default:
                return static_cast<std::int64_t>(bits);
        }
    }

    double real() {
        const double special[] = {0.0,
                                  -0.0,
                                  1.5,
                                  -2.25,
                                  1e20,
                                  -1e-5,
                                  123456789012345678.0,
                                  std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN(),
                                  std::numeric_limits<double>::max()};
        if (percent(40)) {
            return among(special);
        }
        return static_cast<double>(integer()) / static_cast<double>(1 + below(1000));
    }

  private:
    std::mt19937 engine_;
};

// A number text as clients write them, mostly well formed: optional signs, digits, sometimes
// blanks, a point, a letter or leading zeros; mostly short, sometimes at the length limit.
std::wstring numberText(Random& random) {
    const std::uint32_t lengthClass = random.below(100);
    std::size_t digits = random.below(25);
    if (lengthClass >= 99) {
        digits = 32765 + random.below(3);
    } else if (lengthClass >= 92) {
        digits = 1000 + random.below(5000);
    } else if (lengthClass >= 70) {
        digits = 25 + random.below(400);
    }
    const wchar_t* const signs[] = {L"", L"", L"", L"", L"-", L"-", L"+", L"--", L"+-", L" - "};
    std::wstring value = random.among(signs);
    if (random.percent(5)) {
        value.append(random.below(5) + 1, L'0');
    }
    for (std::size_t index = 0; index < digits; ++index) {
        value.push_back(static_cast<wchar_t>(L'0' + random.below(10)));
    }
    const wchar_t odd[] = {L' ', L' ', L'.', L'.', L'a', L'e', L',', L'\0', L'+', L'-', L'/'};
    for (int changes = random.percent(20) ? 1 + static_cast<int>(random.below(3)) : 0;
         changes > 0 && !value.empty(); --changes) {
        value.insert(random.below(static_cast<std::uint32_t>(value.size()) + 1), 1,
                     random.among(odd));
    }
    return value;
}

BSTR allocate(const std::wstring& value) {
    return SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
}

enum class Kind {
    kText,
    kNullText,
    kOddByteText,
    kI1,
    kI2,
    kI4,
    kI8,
    kUI1,
    kUI2,
    kUI4,
    kUI8,
    kInt,
    kUInt,
    kR4,
    kR8,
    kDate,
    kCurrency,
    kDecimal,
    kBool,
    kError,
    kNullDispatch,
    kNullUnknown,
    kObject,
    kEmpty,
    kNull,
    kIntArray,
    kTextArray,
    kBadType,
    kCount
};

SAFEARRAY* randomArray(Random& random, VARTYPE type) {
    const ULONG count = random.below(4);
    SAFEARRAY* array = SafeArrayCreateVector(type, 0, count);
    for (LONG index = 0; array != nullptr && index < static_cast<LONG>(count); ++index) {
        if (type == VT_BSTR) {
            BSTR element = allocate(numberText(random));
            SafeArrayPutElement(array, &index, element);
            SysFreeString(element);
        } else {
            LONG element = static_cast<LONG>(random.integer());
            SafeArrayPutElement(array, &index, &element);
        }
    }
    return array;
}

// Fills `value` (empty) with a random value of `kind`.
void makeValue(VARIANT& value, Kind kind, Random& random, IDispatch& object) {
    switch (kind) {
        case Kind::kText:
            V_BSTR(&value) = allocate(numberText(random));
            V_VT(&value) = VT_BSTR;
            break;
        case Kind::kNullText:
            V_BSTR(&value) = nullptr;
            V_VT(&value) = VT_BSTR;
            break;
        case Kind::kOddByteText: {
            const std::wstring digits = numberText(random);
            V_BSTR(&value) = SysAllocStringByteLen(reinterpret_cast<const char*>(digits.data()),
                                                   static_cast<UINT>(digits.size() * 2 + 1));
            V_VT(&value) = VT_BSTR;
            break;
        }
        case Kind::kI1:
            V_I1(&value) = static_cast<CHAR>(random.integer());
            V_VT(&value) = VT_I1;
            break;
        case Kind::kI2:
            V_I2(&value) = static_cast<SHORT>(random.integer());
            V_VT(&value) = VT_I2;
            break;
        case Kind::kI4:
            V_I4(&value) = static_cast<LONG>(random.integer());
            V_VT(&value) = VT_I4;
            break;
        case Kind::kI8:
            V_I8(&value) = random.integer();
            V_VT(&value) = VT_I8;
            break;
        case Kind::kUI1:
            V_UI1(&value) = static_cast<BYTE>(random.integer());
            V_VT(&value) = VT_UI1;
            break;
        case Kind::kUI2:
            V_UI2(&value) = static_cast<USHORT>(random.integer());
            V_VT(&value) = VT_UI2;
            break;
        case Kind::kUI4:
            V_UI4(&value) = static_cast<ULONG>(random.integer());
            V_VT(&value) = VT_UI4;
            break;
        case Kind::kUI8:
            V_UI8(&value) = static_cast<ULONGLONG>(random.integer());
            V_VT(&value) = VT_UI8;
            break;
        case Kind::kInt:
            V_INT(&value) = static_cast<INT>(random.integer());
            V_VT(&value) = VT_INT;
            break;
        case Kind::kUInt:
            V_UINT(&value) = static_cast<UINT>(random.integer());
            V_VT(&value) = VT_UINT;
            break;
        case Kind::kR4:
            V_R4(&value) = static_cast<float>(random.real());
            V_VT(&value) = VT_R4;
            break;
        case Kind::kR8:
            V_R8(&value) = random.real();
            V_VT(&value) = VT_R8;
            break;
        case Kind::kDate:
            V_DATE(&value) = random.real();
            V_VT(&value) = VT_DATE;
            break;
        case Kind::kCurrency:
            V_CY(&value).int64 = random.integer();
            V_VT(&value) = VT_CY;
            break;
        case Kind::kDecimal: {
            DECIMAL decimal{};
            decimal.scale = static_cast<BYTE>(random.below(31));
            decimal.sign = random.percent(50) ? DECIMAL_NEG : 0;
            decimal.Hi32 = random.percent(50) ? 0 : static_cast<ULONG>(random.integer());
            decimal.Lo64 = static_cast<ULONGLONG>(random.integer());
            V_DECIMAL(&value) = decimal;  // covers the type field: set it afterwards
            V_VT(&value) = VT_DECIMAL;
            break;
        }
        case Kind::kBool:
            V_BOOL(&value) = random.percent(50) ? VARIANT_TRUE : VARIANT_FALSE;
            V_VT(&value) = VT_BOOL;
            break;
        case Kind::kError: {
            const SCODE codes[] = {DISP_E_PARAMNOTFOUND, S_OK, E_FAIL,
                                   kestrum::test::runTimeError(102)};
            V_ERROR(&value) = random.among(codes);
            V_VT(&value) = VT_ERROR;
            break;
        }
        case Kind::kNullDispatch:
            V_DISPATCH(&value) = nullptr;
            V_VT(&value) = VT_DISPATCH;
            break;
        case Kind::kNullUnknown:
            V_UNKNOWN(&value) = nullptr;
            V_VT(&value) = VT_UNKNOWN;
            break;
        case Kind::kObject:
            object.AddRef();
            V_DISPATCH(&value) = &object;
            V_VT(&value) = VT_DISPATCH;
            break;
        case Kind::kEmpty:
            break;
        case Kind::kNull:
            V_VT(&value) = VT_NULL;
            break;
        case Kind::kIntArray:
            V_ARRAY(&value) = randomArray(random, VT_I4);
            V_VT(&value) = VT_ARRAY | VT_I4;
            break;
        case Kind::kTextArray:
            V_ARRAY(&value) = randomArray(random, VT_BSTR);
            V_VT(&value) = VT_ARRAY | VT_BSTR;
            break;
        case Kind::kBadType:
        case Kind::kCount:
            V_VT(&value) = VT_VARIANT;  // a VARIANT cannot hold one by value
            break;
    }
}

// kNullReference: a reference without a variable (typed or to a VARIANT), which COM does not
// allow; Invoke refuses it as a type mismatch, as an input and as an output.
enum class Form { kValue, kTypedReference, kVariantReference, kNullReference };

std::vector<unsigned char> bytesOf(const void* data, std::size_t size) {
    const auto* first = static_cast<const unsigned char*>(data);
    return {first, first + size};
}

// The variables of one call and the arguments that hold or refer to them, in parameter order.
class CallArguments {
  public:
    CallArguments() = default;
    CallArguments(const CallArguments&) = delete;
    CallArguments& operator=(const CallArguments&) = delete;
    ~CallArguments() {
        for (VARIANT& variable : variables_) {
            VariantClear(&variable);
        }
    }

    void add(Kind kind, Form form, Random& random, IDispatch& object) {
        VARIANT& variable = variables_.emplace_back();
        VariantInit(&variable);
        makeValue(variable, kind, random, object);
        VARIANT argument = variable;  // a copy of the value; the variable keeps owning it
        if (form == Form::kNullReference) {
            V_VT(&argument) = static_cast<VARTYPE>(V_VT(&variable) | VT_BYREF);
            V_BYREF(&argument) = nullptr;
        } else if (form == Form::kVariantReference ||
                   (form == Form::kTypedReference && V_VT(&variable) == VT_VARIANT)) {
            V_VT(&argument) = VT_VARIANT | VT_BYREF;
            V_VARIANTREF(&argument) = &variable;
        } else if (form == Form::kTypedReference) {
            V_VT(&argument) = static_cast<VARTYPE>(V_VT(&variable) | VT_BYREF);
            V_BYREF(&argument) = V_VT(&variable) == VT_DECIMAL
                                     ? static_cast<void*>(&V_DECIMAL(&variable))
                                     : static_cast<void*>(&V_UI1(&variable));
        }
        arguments_.push_back(argument);
        variableOf_.push_back(variables_.size() - 1);
    }

    // The argument at `position` once more: the same value, or a reference to the same variable.
    void repeat(std::size_t position) {
        arguments_.push_back(arguments_.at(position));
        variableOf_.push_back(variableOf_.at(position));
    }

    std::size_t count() const { return arguments_.size(); }
    const VARIANT& argument(std::size_t position) const { return arguments_[position]; }
    std::size_t variableOf(std::size_t position) const { return variableOf_[position]; }
    const VARIANT& variable(std::size_t index) const { return variables_[index]; }
    std::size_t variableCount() const { return variables_.size(); }

    // rgvarg: the arguments last first.
    std::vector<VARIANT> reversed() const { return {arguments_.rbegin(), arguments_.rend()}; }

    // The bytes of variable `index` and of the string it holds, to find any change.
    std::vector<unsigned char> state(std::size_t index) const {
        const VARIANT& variable = variables_[index];
        std::vector<unsigned char> bytes = bytesOf(&variable, sizeof variable);
        if (V_VT(&variable) == VT_BSTR && V_BSTR(&variable) != nullptr) {
            const std::vector<unsigned char> held =
                bytesOf(V_BSTR(&variable), SysStringByteLen(V_BSTR(&variable)));
            bytes.insert(bytes.end(), held.begin(), held.end());
        }
        return bytes;
    }

  private:
    std::deque<VARIANT> variables_;
    std::vector<VARIANT> arguments_;
    std::vector<std::size_t> variableOf_;
};

enum class Shape { kText, kComparison, kDivision };
using TextMethod = HRESULT (STDMETHODCALLTYPE _Arithm::*)(BSTR*, BSTR*, BSTR*);

struct Member {
    DISPID id;
    Shape shape;
    TextMethod method;  // for kText only
};

constexpr Member kMembers[] = {
    {0x60030000, Shape::kText, &_Arithm::iadd},  {0x60030001, Shape::kText, &_Arithm::isub},
    {0x60030002, Shape::kText, &_Arithm::imult}, {0x60030003, Shape::kDivision, nullptr},
    {0x60030004, Shape::kText, &_Arithm::radd},  {0x60030005, Shape::kText, &_Arithm::rsub},
    {0x60030006, Shape::kText, &_Arithm::rmult}, {0x60030007, Shape::kComparison, nullptr},
};

const Member* findMember(DISPID id) {
    for (const Member& member : kMembers) {
        if (member.id == id) {
            return &member;
        }
    }
    return nullptr;
}

enum Parameter : std::size_t { kA1, kA2, kQuotient, kRemainder, kZeroDivisor };

// A VARIANT that clears itself.
struct Variant {
    Variant() { VariantInit(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value); }
    VARIANT value;
};

bool isNullReference(const VARIANT& argument) {
    return (V_VT(&argument) & VT_BYREF) != 0 && V_BYREF(&argument) == nullptr;
}

// The value an argument holds or refers to (through a VARIANT reference); not for null
// references.
VARIANT* valueOf(const VARIANT& argument) {
    VARIANT* value = const_cast<VARIANT*>(&argument);
    return V_VT(value) == (VT_VARIANT | VT_BYREF) ? V_VARIANTREF(value) : value;
}

// Whether the argument is Null, by value, through a VARIANT reference or by typed reference.
bool holdsNull(const VARIANT& argument) {
    return !isNullReference(argument) &&
           (V_VT(valueOf(argument)) & ~VT_BYREF) == static_cast<VARTYPE>(VT_NULL);
}

// What Invoke reads from an argument as `type` (VT_BSTR or VT_I2): Empty and Null read as
// Empty, anything else converts with the invariant locale. Returns the failure Invoke reports.
HRESULT readArgument(const VARIANT& argument, VARTYPE type, Variant& read) {
    if (isNullReference(argument)) {
        return DISP_E_TYPEMISMATCH;
    }
    VARIANT* value = valueOf(argument);
    const auto held = static_cast<VARTYPE>(V_VT(value) & ~VT_BYREF);
    if (held == VT_EMPTY || held == VT_NULL) {
        return S_OK;
    }
    const HRESULT code = VariantChangeTypeEx(&read.value, value, LOCALE_INVARIANT, 0, type);
    if (code >= 0) {
        return S_OK;
    }
    return code == E_OUTOFMEMORY || code == DISP_E_OVERFLOW ? code : DISP_E_TYPEMISMATCH;
}

BSTR textOf(const Variant& read) {
    return V_VT(&read.value) == VT_BSTR ? V_BSTR(&read.value) : nullptr;
}

// Whether an output argument can take idiv's result: values (not written) and references to
// a variable of the right type or to a VARIANT.
bool takesOutput(const VARIANT& argument, VARTYPE type) {
    const VARTYPE given = V_VT(&argument);
    return ((given & VT_BYREF) == 0 || given == (type | VT_BYREF) ||
            given == (VT_VARIANT | VT_BYREF)) &&
           !isNullReference(argument);
}

// A call as the fuzzer makes it and the outcome it expects.
struct Call {
    DISPID member = 0;
    WORD flags = 0;
    bool otherInterface = false;
    bool withParams = true;
    std::vector<DISPID> names;
    bool withResult = true;
    bool withException = true;
    bool withArgumentError = true;
};

struct Expectation {
    HRESULT code = S_OK;
    std::optional<UINT> argumentError;  // position in rgvarg of the argument that failed
    bool methodRan = false;
    HRESULT methodCode = S_OK;
    Shape shape = Shape::kText;
    std::wstring text;  // iadd and the like
    short order = 0;    // icomp
    // idiv: the values written into the variables that outputs refer to, by variable.
    std::map<std::size_t, std::wstring> texts;
    std::map<std::size_t, short> shorts;
};

// An operand as Invoke reads it: like an output's input, except that Null is no number and
// fails as a type mismatch.
HRESULT readOperand(const VARIANT& argument, Variant& read) {
    return holdsNull(argument) ? DISP_E_TYPEMISMATCH : readArgument(argument, VT_BSTR, read);
}

HRESULT readOperands(const CallArguments& arguments, Variant& a1, Variant& a2,
                     Expectation& expected) {
    const UINT count = static_cast<UINT>(arguments.count());
    HRESULT code = readOperand(arguments.argument(kA1), a1);
    if (code < 0) {
        expected.argumentError = count - 1 - kA1;
        return code;
    }
    code = readOperand(arguments.argument(kA2), a2);
    if (code < 0) {
        expected.argumentError = count - 1 - kA2;
    }
    return code;
}

// The division through the vtable, with its outputs' inputs read as Invoke reads them.
HRESULT expectDivision(_Arithm& arithm, const CallArguments& arguments, BSTR a1, BSTR a2,
                       Expectation& expected) {
    const UINT count = static_cast<UINT>(arguments.count());
    const std::pair<std::size_t, VARTYPE> outputs[] = {
        {kQuotient, VT_BSTR}, {kRemainder, VT_BSTR}, {kZeroDivisor, VT_I2}};
    for (const auto& [position, type] : outputs) {
        if (!takesOutput(arguments.argument(position), type)) {
            expected.argumentError = count - 1 - position;
            return DISP_E_TYPEMISMATCH;
        }
    }
    Variant read[3];
    for (const auto& [position, type] : outputs) {
        const HRESULT code =
            readArgument(arguments.argument(position), type, read[position - kQuotient]);
        if (code < 0) {
            expected.argumentError = count - 1 - position;
            return code;
        }
    }
    BSTR m = SysAllocStringLen(textOf(read[0]), SysStringLen(textOf(read[0])));
    BSTR r = SysAllocStringLen(textOf(read[1]), SysStringLen(textOf(read[1])));
    short er = V_VT(&read[2].value) == VT_I2 ? V_I2(&read[2].value) : 0;
    expected.methodRan = true;
    expected.methodCode = arithm.idiv(&a1, &a2, &m, &r, &er);
    // Written back in this order: a variable that takes two outputs ends with the last.
    for (const std::size_t position : {kQuotient, kRemainder}) {
        const VARTYPE given = V_VT(&arguments.argument(position));
        if ((given & VT_BYREF) != 0) {
            expected.shorts.erase(arguments.variableOf(position));
            expected.texts[arguments.variableOf(position)] = text(position == kQuotient ? m : r);
        }
    }
    if ((V_VT(&arguments.argument(kZeroDivisor)) & VT_BYREF) != 0) {
        expected.texts.erase(arguments.variableOf(kZeroDivisor));
        expected.shorts[arguments.variableOf(kZeroDivisor)] = er;
    }
    SysFreeString(m);
    SysFreeString(r);
    return S_OK;
}

Expectation expect(_Arithm& arithm, const Call& call, const CallArguments& arguments) {
    Expectation expected;
    const Member* member = findMember(call.member);
    if (call.otherInterface) {
        expected.code = DISP_E_UNKNOWNINTERFACE;
    } else if (member == nullptr || (call.flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) {
        expected.code = DISP_E_MEMBERNOTFOUND;
    } else if (!call.withParams) {
        expected.code = E_INVALIDARG;
    } else if (!call.names.empty()) {
        expected.code = DISP_E_NONAMEDARGS;
    } else if (arguments.count() != (member->shape == Shape::kDivision ? 5U : 2U)) {
        expected.code = DISP_E_BADPARAMCOUNT;
    }
    if (expected.code != S_OK) {
        return expected;
    }
    expected.shape = member->shape;
    Variant a1;
    Variant a2;
    expected.code = readOperands(arguments, a1, a2, expected);
    if (expected.code < 0) {
        return expected;
    }
    BSTR first = textOf(a1);
    BSTR second = textOf(a2);
    if (member->shape == Shape::kText) {
        BSTR result = nullptr;
        expected.methodRan = true;
        expected.methodCode = (arithm.*(member->method))(&first, &second, &result);
        expected.text = text(result);
        SysFreeString(result);
    } else if (member->shape == Shape::kComparison) {
        expected.methodRan = true;
        expected.methodCode = arithm.icomp(&first, &second, &expected.order);
    } else {
        expected.code = expectDivision(arithm, arguments, first, second, expected);
    }
    if (expected.methodRan) {
        expected.code = expected.methodCode < 0 ? DISP_E_EXCEPTION : S_OK;
    }
    return expected;
}

bool isDocumented(HRESULT code) {
    const HRESULT documented[] = {S_OK,
                                  DISP_E_EXCEPTION,
                                  DISP_E_MEMBERNOTFOUND,
                                  DISP_E_BADPARAMCOUNT,
                                  DISP_E_NONAMEDARGS,
                                  DISP_E_TYPEMISMATCH,
                                  DISP_E_OVERFLOW,
                                  DISP_E_UNKNOWNINTERFACE,
                                  E_INVALIDARG,
                                  E_OUTOFMEMORY};
    for (const HRESULT known : documented) {
        if (code == known) {
            return true;
        }
    }
    return false;
}

// One operand or output: mostly number texts, otherwise any kind, in any form.
void addArgument(CallArguments& arguments, Random& random, IDispatch& object) {
    Kind kind = Kind::kText;
    if (random.percent(40)) {
        kind = static_cast<Kind>(random.below(static_cast<std::uint32_t>(Kind::kCount)));
    }
    const Form form = random.percent(3) ? Form::kNullReference : static_cast<Form>(random.below(3));
    arguments.add(kind, form, random, object);
}

// idiv's er, mostly a 16-bit variable or Empty.
void addFlagArgument(CallArguments& arguments, Random& random, IDispatch& object) {
    const std::uint32_t choice = random.below(10);
    if (choice < 4) {
        arguments.add(random.percent(70) ? Kind::kI2 : Kind::kEmpty, Form::kVariantReference,
                      random, object);
    } else if (choice < 7) {
        arguments.add(Kind::kI2, Form::kTypedReference, random, object);
    } else {
        addArgument(arguments, random, object);
    }
}

Call randomCall(Random& random, CallArguments& arguments, IDispatch& object) {
    Call call;
    const DISPID strangers[] = {0,          DISPID_UNKNOWN, DISPID_PROPERTYPUT, DISPID_NEWENUM,
                                0x60030008, 0x5FFFFFFF,     0x6003FFFF};
    call.member = random.percent(90) ? kMembers[random.below(8)].id : random.among(strangers);
    const WORD usual[] = {DISPATCH_METHOD | DISPATCH_PROPERTYGET, DISPATCH_METHOD,
                          DISPATCH_PROPERTYGET};
    call.flags = random.percent(80) ? random.among(usual) : static_cast<WORD>(random.below(16));
    call.otherInterface = random.percent(2);
    call.withParams = !random.percent(2);
    call.withResult = !random.percent(20);
    call.withException = !random.percent(20);
    call.withArgumentError = !random.percent(20);

    const Member* member = findMember(call.member);
    const bool division = member != nullptr && member->shape == Shape::kDivision;
    std::size_t count = division ? 5 : 2;
    if (random.percent(10)) {
        count = random.below(7);
    }
    for (std::size_t position = 0; position < count; ++position) {
        if (position == kZeroDivisor && division) {
            addFlagArgument(arguments, random, object);
        } else if (position >= kQuotient && random.percent(15)) {
            arguments.repeat(random.below(static_cast<std::uint32_t>(position)));
        } else {
            addArgument(arguments, random, object);
        }
    }
    if (count > 0 && random.percent(8)) {
        const DISPID names[] = {DISPID_PROPERTYPUT, 0, 1, 4, 0x60030000};
        for (std::size_t index = random.below(static_cast<std::uint32_t>(count)) + 1; index > 0;
             --index) {
            call.names.push_back(random.among(names));
        }
    }
    return call;
}

// How many calls ended with each result code.
using Tally = std::map<HRESULT, unsigned long>;

void checkOutcome(const Call& call, const CallArguments& arguments,
                  const std::vector<VARIANT>& rgvarg, const std::vector<unsigned char>& rgvargBytes,
                  const std::vector<std::vector<unsigned char>>& variableStates,
                  const Expectation& expected, HRESULT code, const VARIANT& result,
                  const EXCEPINFO& exception, UINT argumentError) {
    check(isDocumented(code), "an undocumented result code");
    if (code != expected.code) {
        std::printf("  result 0x%08lX, expected 0x%08lX\n", static_cast<unsigned long>(code),
                    static_cast<unsigned long>(expected.code));
    }
    check(code == expected.code, "the result code");

    if (code == DISP_E_EXCEPTION && call.withException) {
        check(exception.scode == expected.methodCode, "EXCEPINFO: the method's result");
        check((static_cast<ULONG>(exception.scode) & 0xFFFFFF00U) == 0x800A0000U,
              "EXCEPINFO: a run-time error");
        check(exception.bstrSource != nullptr && exception.bstrDescription != nullptr,
              "EXCEPINFO: source and description");
    } else {
        check(exception.scode == 0 && exception.bstrSource == nullptr &&
                  exception.bstrDescription == nullptr,
              "EXCEPINFO untouched without an exception");
    }

    constexpr UINT kUntouched = 0xDEAD;
    const bool argumentFailed = expected.argumentError.has_value() && code == expected.code;
    if (call.withArgumentError) {
        check(argumentError == (argumentFailed ? *expected.argumentError : kUntouched), "puArgErr");
    }

    if (call.withResult) {
        if (code == S_OK && expected.shape == Shape::kText) {
            check(V_VT(&result) == VT_BSTR && text(V_BSTR(&result)) == expected.text,
                  "a string result equal to the vtable's");
        } else if (code == S_OK && expected.shape == Shape::kComparison) {
            check(V_VT(&result) == VT_I2 && V_I2(&result) == expected.order,
                  "a 16-bit result equal to the vtable's");
        } else {
            check(V_VT(&result) == VT_EMPTY, "no result");
        }
    }

    check(bytesOf(rgvarg.data(), rgvarg.size() * sizeof(VARIANT)) == rgvargBytes,
          "rgvarg is unchanged");
    for (std::size_t index = 0; index < arguments.variableCount(); ++index) {
        const VARIANT& variable = arguments.variable(index);
        if (const auto written = expected.texts.find(index);
            expected.methodRan && written != expected.texts.end()) {
            check(V_VT(&variable) == VT_BSTR && text(V_BSTR(&variable)) == written->second,
                  "an output string written back");
        } else if (const auto flag = expected.shorts.find(index);
                   expected.methodRan && flag != expected.shorts.end()) {
            check(V_VT(&variable) == VT_I2 && V_I2(&variable) == flag->second, "er written back");
        } else {
            check(arguments.state(index) == variableStates[index], "a variable is unchanged");
        }
    }
}

void fuzzOnce(IDispatch& dispatch, _Arithm& arithm, Random& random, Tally& tally) {
    CallArguments arguments;
    const Call call = randomCall(random, arguments, dispatch);
    std::vector<std::vector<unsigned char>> variableStates;
    for (std::size_t index = 0; index < arguments.variableCount(); ++index) {
        variableStates.push_back(arguments.state(index));
    }
    const Expectation expected = expect(arithm, call, arguments);

    std::vector<VARIANT> rgvarg = arguments.reversed();
    const std::vector<unsigned char> rgvargBytes =
        bytesOf(rgvarg.data(), rgvarg.size() * sizeof(VARIANT));
    std::vector<DISPID> names = call.names;
    DISPPARAMS params{rgvarg.data(), names.empty() ? nullptr : names.data(),
                      static_cast<UINT>(rgvarg.size()), static_cast<UINT>(names.size())};
    Variant result;
    EXCEPINFO exception{};
    UINT argumentError = 0xDEAD;
    const HRESULT code = dispatch.Invoke(
        call.member, call.otherInterface ? IID_IDispatch : IID_NULL, LOCALE_USER_DEFAULT,
        call.flags, call.withParams ? &params : nullptr, call.withResult ? &result.value : nullptr,
        call.withException ? &exception : nullptr,
        call.withArgumentError ? &argumentError : nullptr);
    ++tally[code];

    checkOutcome(call, arguments, rgvarg, rgvargBytes, variableStates, expected, code, result.value,
                 exception, argumentError);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
}

// The object still computes: one call of each kind through both routes.
void checkStillCorrect(IDispatch& dispatch, _Arithm& arithm) {
    kestrum::test::Bstr a1(L"123456789012345678901234567890");
    kestrum::test::Bstr a2(L"-987654321");
    BSTR product = nullptr;
    check(arithm.imult(&a1.get(), &a2.get(), &product) == S_OK &&
              text(product) == L"-121932631124828532112482853211126352690",
          "imult through the vtable afterwards");
    SysFreeString(product);

    VARIANT operands[2];
    V_VT(&operands[1]) = VT_BSTR;
    V_BSTR(&operands[1]) = a1.get();
    V_VT(&operands[0]) = VT_BSTR;
    V_BSTR(&operands[0]) = a2.get();
    DISPPARAMS params{operands, nullptr, 2, 0};
    Variant sum;
    check(dispatch.Invoke(0x60030000, IID_NULL, 0, DISPATCH_METHOD, &params, &sum.value, nullptr,
                          nullptr) == S_OK &&
              V_VT(&sum.value) == VT_BSTR &&
              text(V_BSTR(&sum.value)) == L"123456789012345678900246913569",
          "iadd through Invoke afterwards");
}

// The memory committed for the process alone (Wine reports no PrivateUsage).
SIZE_T privateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return counters.PagefileUsage;
}

SIZE_T growth(SIZE_T since) {
    const SIZE_T now = privateBytes();
    return now > since ? now - since : 0;
}

// The same calls with long operands many times over, in every argument form and on the paths
// that fail: any string left behind per call adds up to megabytes.
void checkNoLeak(IDispatch& dispatch) {
    const std::wstring digits(10000, L'7');
    const std::wstring letters = L"1a" + digits;
    constexpr DISPID kIadd = 0x60030000;
    constexpr DISPID kIdiv = 0x60030003;
    constexpr DISPID kIcomp = 0x60030007;
    const auto round = [&] {
        for (const Form form : {Form::kValue, Form::kTypedReference, Form::kVariantReference}) {
            for (const DISPID member : {kIadd, kIcomp, kIdiv}) {
                for (const std::wstring* first : {&digits, &letters}) {
                    VARIANT variables[5];
                    for (VARIANT& variable : variables) {
                        VariantInit(&variable);
                        V_VT(&variable) = VT_BSTR;
                        V_BSTR(&variable) = allocate(*first);
                    }
                    VARIANT rgvarg[5];
                    const UINT count = member == kIdiv ? 5 : 2;
                    for (UINT position = 0; position < count; ++position) {
                        VARIANT& variable = variables[position];
                        VARIANT& argument = rgvarg[count - 1 - position];
                        argument = variable;
                        if (form == Form::kTypedReference || position >= 2) {
                            V_VT(&argument) = VT_BSTR | VT_BYREF;
                            V_BSTRREF(&argument) = &V_BSTR(&variable);
                        } else if (form == Form::kVariantReference) {
                            V_VT(&argument) = VT_VARIANT | VT_BYREF;
                            V_VARIANTREF(&argument) = &variable;
                        }
                    }
                    if (member == kIdiv) {
                        VariantClear(&variables[4]);
                        V_VT(&variables[4]) = VT_I2;
                        V_I2(&variables[4]) = 0;
                        V_VT(&rgvarg[0]) = VT_VARIANT | VT_BYREF;
                        V_VARIANTREF(&rgvarg[0]) = &variables[4];
                    }
                    DISPPARAMS params{rgvarg, nullptr, count, 0};
                    Variant result;
                    EXCEPINFO exception{};
                    dispatch.Invoke(member, IID_NULL, 0, DISPATCH_METHOD, &params, &result.value,
                                    &exception, nullptr);
                    SysFreeString(exception.bstrSource);
                    SysFreeString(exception.bstrDescription);
                    for (VARIANT& variable : variables) {
                        VariantClear(&variable);
                    }
                }
            }
        }
    };
    for (int warmUp = 0; warmUp < 50; ++warmUp) {
        round();
    }
    const SIZE_T settled = privateBytes();
    for (int repeat = 0; repeat < 300; ++repeat) {
        round();
    }
    const SIZE_T grown = growth(settled);
    std::printf("memory grew by %zu KiB over 5400 calls with long operands\n",
                static_cast<std::size_t>(grown / 1024));
    check(grown < 1024 * 1024, "no string is left behind");
}

unsigned long argumentOr(int argc, char** argv, int index, unsigned long fallback) {
    return argc > index ? std::strtoul(argv[index], nullptr, 10) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned long calls = argumentOr(argc, argv, 1, kDefaultCalls);
    const unsigned long seed = argumentOr(argc, argv, 2, kDefaultSeed);
    std::printf("dispatch_fuzz: %lu calls, seed %lu\n", calls, seed);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        ComRef<IDispatch> dispatch;
        ComRef<_Arithm> arithm;
        CoCreateInstance(CLSID_Arithm, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                         reinterpret_cast<void**>(dispatch.put()));
        check(dispatch && dispatch->QueryInterface(IID__Arithm,
                                                   reinterpret_cast<void**>(arithm.put())) == S_OK,
              "an Arithm object");
        Random random(static_cast<std::uint32_t>(seed));
        Tally tally;
        SIZE_T settled = 0;
        for (unsigned long index = 0; arithm && index < calls; ++index) {
            const int failuresBefore = kestrum::test::failureCount();
            fuzzOnce(*dispatch.get(), *arithm.get(), random, tally);
            if (kestrum::test::failureCount() != failuresBefore) {
                std::printf("  in call %lu of seed %lu\n", index, seed);
            }
            if (kestrum::test::failureCount() > 20) {
                std::printf("too many failures, stopping\n");
                break;
            }
            if (index == calls / 2) {
                settled = privateBytes();
            }
        }
        if (arithm) {
            // The heap settles over the first thousands of calls; a leak keeps growing.
            const SIZE_T grown = growth(settled);
            std::printf("memory grew by %zu KiB over the second half\n",
                        static_cast<std::size_t>(grown / 1024));
            check(grown < 4 * 1024 * 1024, "memory does not grow with the random calls");
            checkNoLeak(*dispatch.get());
            checkStillCorrect(*dispatch.get(), *arithm.get());
        }
        for (const auto& [code, count] : tally) {
            std::printf("  0x%08lX: %lu calls\n", static_cast<unsigned long>(code), count);
        }
    }
    CoUninitialize();
    return kestrum::test::exitStatus("dispatch_fuzz");
}
