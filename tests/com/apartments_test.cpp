// Kestrum.Arithm used from many apartments at once. The main thread, a single-threaded apartment
// (STA), makes a seeded list of calls of every method through the vtable: the reference outcomes.
// Then threads in STAs of their own and in the multithreaded apartment (MTA) make the same calls,
// early and late bound, each from another place in the list, on objects of their own, and must
// get the same outcomes. Objects created from the MTA live in the STA that COM hosts them in and
// are reached through proxies: _Arithm through the type library marshaler, which needs the type
// library registered under the neutral locale, IDispatch through the standard one. Last, objects
// of the main thread serve another STA, handed over in a marshaled stream and through the global
// interface table, while the main thread pumps messages.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "check.h"
#include "com_ref.h"
#include "kestrum_idl.h"

using kestrum::com::ComRef;
using kestrum::test::Bstr;
using kestrum::test::check;
using kestrum::test::checkCode;
using kestrum::test::runTimeError;
using kestrum::test::text;

namespace {

using TextMethod = HRESULT (STDMETHODCALLTYPE _Arithm::*)(BSTR*, BSTR*, BSTR*);

struct Method {
    const char* name;
    const wchar_t* wideName;
    TextMethod call;  // null for idiv and icomp
    bool fraction;    // operands may have a point
};
const Method kMethods[] = {
    {"iadd", L"iadd", &_Arithm::iadd, false},    {"isub", L"isub", &_Arithm::isub, false},
    {"imult", L"imult", &_Arithm::imult, false}, {"radd", L"radd", &_Arithm::radd, true},
    {"rsub", L"rsub", &_Arithm::rsub, true},     {"rmult", L"rmult", &_Arithm::rmult, true},
    {"idiv", L"idiv", nullptr, false},           {"icomp", L"icomp", nullptr, false},
};
constexpr std::size_t kMethodCount = std::size(kMethods);
constexpr std::size_t kIadd = 0;
constexpr std::size_t kIsub = 1;
constexpr std::size_t kIdiv = 6;
constexpr std::size_t kIcomp = 7;
constexpr std::size_t kThreads = 16;
constexpr std::size_t kRounds = 3;  // of the list on each thread

struct Call {
    std::size_t method;
    std::wstring a1;
    std::wstring a2;
};

// All a call gives back: its result code, the result text or idiv's quotient, idiv's remainder,
// icomp's order or idiv's er, the error's source and description, and whether a1 and a2 still
// hold what was passed.
struct Outcome {
    HRESULT code = S_OK;
    std::wstring result;
    std::wstring remainder;
    short number = 0;
    std::wstring error;
    bool operandsKept = false;
    bool operator==(const Outcome&) const = default;
};

std::string hex(HRESULT code) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(code));
    return buffer;
}

std::string narrow(const std::wstring& value) {
    std::string result;
    for (const wchar_t unit : value.substr(0, 60)) {
        result.push_back(unit < 128 ? static_cast<char>(unit) : '?');
    }
    return result;
}

// The first part of `actual` that differs from `expected`, for the failure message.
std::string difference(const Outcome& actual, const Outcome& expected) {
    if (actual.code != expected.code) {
        return hex(actual.code) + ", expected " + hex(expected.code);
    }
    if (actual.result != expected.result || actual.remainder != expected.remainder ||
        actual.number != expected.number) {
        return "result " + narrow(actual.result) + " " + narrow(actual.remainder) + " " +
               std::to_string(actual.number);
    }
    if (actual.error != expected.error) {
        return "error \"" + narrow(actual.error) + "\", expected \"" + narrow(expected.error) +
               "\"";
    }
    return "a1 or a2 changed";
}

// What fails on one thread, reported by the main thread once that thread has ended: check()
// counts on one thread only.
class Failures {
  public:
    explicit Failures(std::string where) : where_(std::move(where)) {}

    void expect(bool condition, const std::string& what) {
        if (!condition) {
            lines_.push_back(what);
        }
    }
    void expectCode(HRESULT actual, HRESULT expected, const std::string& what) {
        expect(actual == expected, what + ": " + hex(actual) + ", expected " + hex(expected));
    }
    void report() const {
        for (std::size_t index = 0; index < std::min<std::size_t>(lines_.size(), 8); ++index) {
            std::printf("  %s: %s\n", where_.c_str(), lines_[index].c_str());
        }
        check(lines_.empty(), where_ + ": " + std::to_string(lines_.size()) + " failures");
    }

  private:
    std::string where_;
    std::vector<std::string> lines_;
};

std::wstring digits(std::mt19937& random, std::size_t count) {
    std::wstring value(count, L'0');
    for (wchar_t& digit : value) {
        digit = static_cast<wchar_t>(L'0' + random() % 10);
    }
    return value;
}

// Mostly a few digits, often hundreds or thousands, at times near the longest text an operand
// may be; a third negative, and for the r methods half with a point.
std::wstring operand(std::mt19937& random, bool fraction) {
    static const std::size_t kLengths[][2] = {{1, 20},      {1, 20},       {1, 20},
                                              {20, 400},    {20, 400},     {1000, 6000},
                                              {1000, 6000}, {32700, 32765}};
    const std::size_t* range = kLengths[random() % std::size(kLengths)];
    std::wstring value = digits(random, range[0] + random() % (range[1] - range[0]));
    if (fraction && random() % 2 == 0) {
        value.insert(random() % (value.size() + 1), 1, L'.');
    }
    if (random() % 3 == 0) {
        value.insert(0, 1, L'-');
    }
    return value;
}

// Four calls with known outcomes (checkReference) and a division by zero, then seeded calls of
// every method in turn, some with a letter in an operand or an operand one character too long.
std::vector<Call> makeCalls() {
    std::vector<Call> calls = {
        {kIadd, L"123456789123456789", L"987654321987654321"},
        {kIdiv, L"100", L"7"},
        {kIsub, L"1a", L"1"},
        {kIcomp, std::wstring(32767, L'1'), L"1"},
        {kIdiv, L"-98765432109876543210", L"0"},
    };
    std::mt19937 random(20261214);
    for (std::size_t index = 0; index < 44; ++index) {
        const std::size_t method = index % kMethodCount;
        std::wstring a1 = operand(random, kMethods[method].fraction);
        std::wstring a2 = operand(random, kMethods[method].fraction);
        if (index % 7 == 3) {
            (index % 2 == 0 ? a1 : a2).insert(random() % 3, 1, L'x');
        } else if (index % 11 == 5) {
            (index % 2 == 0 ? a1 : a2) = digits(random, 32767);
        }
        calls.push_back({method, std::move(a1), std::move(a2)});
    }
    return calls;
}

// Reads, and so clears, the thread's error information.
std::wstring errorText() {
    ComRef<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) {
        return L"";
    }
    BSTR source = nullptr;
    BSTR description = nullptr;
    info->GetSource(&source);
    info->GetDescription(&description);
    std::wstring value = text(source) + L": " + text(description);
    SysFreeString(source);
    SysFreeString(description);
    return value;
}

Outcome callEarly(_Arithm& arithm, const Call& call) {
    Bstr a1(call.a1.c_str());
    Bstr a2(call.a2.c_str());
    Outcome outcome;
    if (call.method == kIdiv) {
        Bstr m(L"");
        Bstr r(L"");
        outcome.code = arithm.idiv(&a1.get(), &a2.get(), &m.get(), &r.get(), &outcome.number);
        outcome.result = text(m.get());
        outcome.remainder = text(r.get());
    } else if (call.method == kIcomp) {
        outcome.code = arithm.icomp(&a1.get(), &a2.get(), &outcome.number);
    } else {
        BSTR result = nullptr;
        outcome.code = (arithm.*kMethods[call.method].call)(&a1.get(), &a2.get(), &result);
        outcome.result = text(result);
        SysFreeString(result);
    }
    outcome.error = errorText();
    outcome.operandsKept = text(a1.get()) == call.a1 && text(a2.get()) == call.a2;
    return outcome;
}

// Through Invoke, every argument a typed reference as early-bound languages pass them; a failing
// method's code arrives in the EXCEPINFO.
Outcome callLate(IDispatch& dispatch, const DISPID (&ids)[kMethodCount], const Call& call) {
    Bstr a1(call.a1.c_str());
    Bstr a2(call.a2.c_str());
    Bstr m(L"");
    Bstr r(L"");
    short er = 0;
    void* const targets[] = {&a1.get(), &a2.get(), &m.get(), &r.get(), &er};
    const VARTYPE types[] = {VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR, VT_I2};
    const UINT count = call.method == kIdiv ? 5 : 2;
    VARIANT arguments[5];
    for (UINT index = 0; index < count; ++index) {
        VARIANT& argument = arguments[count - 1 - index];  // last first
        VariantInit(&argument);
        V_VT(&argument) = static_cast<VARTYPE>(types[index] | VT_BYREF);
        V_BYREF(&argument) = targets[index];
    }
    DISPPARAMS parameters{arguments, nullptr, count, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    Outcome outcome;
    outcome.code = dispatch.Invoke(ids[call.method], IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                   &parameters, &result, &exception, nullptr);
    if (outcome.code == DISP_E_EXCEPTION) {
        outcome.code = exception.scode;
        outcome.error = text(exception.bstrSource) + L": " + text(exception.bstrDescription);
    }
    if (call.method == kIdiv) {
        outcome.result = text(m.get());
        outcome.remainder = text(r.get());
        outcome.number = er;
    } else if (V_VT(&result) == VT_I2 && call.method == kIcomp) {
        outcome.number = V_I2(&result);
    } else if (V_VT(&result) == VT_BSTR && call.method != kIcomp) {
        outcome.result = text(V_BSTR(&result));
    } else if (V_VT(&result) != VT_EMPTY) {
        outcome.result = L"<result of type " + std::to_wstring(V_VT(&result)) + L">";
    }
    outcome.operandsKept = text(a1.get()) == call.a1 && text(a2.get()) == call.a2;
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return outcome;
}

// One object reached early bound and one late bound (possibly the same object).
struct Client {
    ComRef<_Arithm> early;
    ComRef<IDispatch> late;
    DISPID ids[kMethodCount] = {};
};

void findNames(Client& client, Failures& failures) {
    for (std::size_t index = 0; index < kMethodCount && client.late; ++index) {
        LPOLESTR name = const_cast<LPOLESTR>(kMethods[index].wideName);
        failures.expectCode(
            client.late->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &client.ids[index]),
            S_OK, std::string("GetIDsOfNames ") + kMethods[index].name);
    }
}

Client createClient(Failures& failures) {
    Client client;
    failures.expectCode(CoCreateInstance(CLSID_Arithm, nullptr, CLSCTX_INPROC_SERVER, IID__Arithm,
                                         reinterpret_cast<void**>(client.early.put())),
                        S_OK, "CoCreateInstance for _Arithm");
    failures.expectCode(CoCreateInstance(CLSID_Arithm, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                         reinterpret_cast<void**>(client.late.put())),
                        S_OK, "CoCreateInstance for IDispatch");
    findNames(client, failures);
    return client;
}

// The client of an object handed over from another apartment: both interfaces through
// QueryInterface on its proxy.
Client clientOf(IUnknown* object, Failures& failures) {
    Client client;
    if (object != nullptr) {
        failures.expectCode(
            object->QueryInterface(IID__Arithm, reinterpret_cast<void**>(client.early.put())), S_OK,
            "QueryInterface for _Arithm");
        failures.expectCode(
            object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(client.late.put())),
            S_OK, "QueryInterface for IDispatch");
        findNames(client, failures);
    }
    return client;
}

// Every call of the list from `first` on and round again, early and late bound, against the
// reference. Returns the number of calls made.
// Wine's COM channel does not carry error objects from one apartment to another as Windows does:
// after an early-bound call through a proxy the error information may be missing, never wrong.
std::size_t runCalls(const Client& client, const std::vector<Call>& calls,
                     const std::vector<Outcome>& reference, std::size_t first, bool proxied,
                     Failures& failures) {
    std::size_t made = 0;
    for (std::size_t step = 0; step < calls.size(); ++step) {
        const std::size_t index = (first + step) % calls.size();
        const std::string what = "call " + std::to_string(index) + " (" +
                                 kMethods[calls[index].method].name + ") bound ";
        const Outcome& expected = reference[index];
        if (client.early) {
            Outcome outcome = callEarly(*client.early.get(), calls[index]);
            if (proxied && outcome.error.empty()) {
                outcome.error = expected.error;
            }
            failures.expect(outcome == expected, what + "early: " + difference(outcome, expected));
            ++made;
        }
        if (client.late) {
            const Outcome outcome = callLate(*client.late.get(), client.ids, calls[index]);
            failures.expect(outcome == expected, what + "late: " + difference(outcome, expected));
            ++made;
        }
    }
    return made;
}

// The reference is right where the answer is known, and holds the error information.
void checkReference(const std::vector<Outcome>& reference) {
    check(reference[0].code == S_OK && reference[0].result == L"1111111111111111110",
          "reference: iadd");
    check(reference[1].code == S_OK && reference[1].result == L"14" &&
              reference[1].remainder == L"2" && reference[1].number == 0,
          "reference: idiv 100 7");
    checkCode(reference[2].code, runTimeError(103), "reference: isub of a letter");
    check(reference[2].error.starts_with(L"Kestrum.Arithm: "), "reference: error information");
    checkCode(reference[3].code, runTimeError(6), "reference: a too long operand");
    check(std::all_of(reference.begin(), reference.end(),
                      [](const Outcome& outcome) { return outcome.operandsKept; }),
          "reference: a1 and a2 kept");
}

// The reference from this thread alone, through the vtable; then the list again, early and
// late bound, must give it once more.
std::vector<Outcome> testMainThread(const std::vector<Call>& calls) {
    const ULONGLONG start = GetTickCount64();
    Failures failures("main thread");
    const Client client = createClient(failures);
    std::vector<Outcome> reference;
    for (const Call& call : calls) {
        reference.push_back(client.early ? callEarly(*client.early.get(), call) : Outcome{});
    }
    checkReference(reference);
    const std::size_t made = calls.size() + runCalls(client, calls, reference, 0, false, failures);
    failures.report();
    std::printf("main thread: %zu calls in %llu ms\n", made, GetTickCount64() - start);
    return reference;
}

// Threads in STAs and in the MTA by turns, at the same time, each with objects of its own, going
// through the list from different places.
void testThreads(const std::vector<Call>& calls, const std::vector<Outcome>& reference) {
    const ULONGLONG start = GetTickCount64();
    std::vector<Failures> failures;
    std::vector<std::size_t> made(kThreads, 0);
    for (std::size_t number = 0; number < kThreads; ++number) {
        failures.emplace_back((number % 2 == 0 ? "STA thread " : "MTA thread ") +
                              std::to_string(number));
    }
    std::vector<std::thread> threads;
    for (std::size_t number = 0; number < kThreads; ++number) {
        threads.emplace_back([&, number] {
            const auto model = number % 2 == 0 ? COINIT_APARTMENTTHREADED : COINIT_MULTITHREADED;
            failures[number].expectCode(CoInitializeEx(nullptr, model), S_OK, "CoInitializeEx");
            {
                const Client client = createClient(failures[number]);
                for (std::size_t round = 0; round < kRounds; ++round) {
                    made[number] += runCalls(client, calls, reference,
                                             number * calls.size() / kThreads + round * 5,
                                             model == COINIT_MULTITHREADED, failures[number]);
                }
            }
            CoUninitialize();
        });
    }
    std::size_t total = 0;
    for (std::size_t number = 0; number < kThreads; ++number) {
        threads[number].join();
        failures[number].report();
        total += made[number];
    }
    std::printf("%zu threads, half STA, half MTA: %zu calls in %llu ms\n", kThreads, total,
                GetTickCount64() - start);
}

// Serves the calls other apartments make into this one until `done` is set.
void pumpMessagesUntil(HANDLE done) {
    while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// Two objects of this thread used from another STA: the one created for _Arithm handed over in
// a marshaled stream, the one created for IDispatch through the global interface table.
void testHandedOver(const std::vector<Call>& calls, const std::vector<Outcome>& reference) {
    const ULONGLONG start = GetTickCount64();
    Failures owner("owner STA");
    const Client objects = createClient(owner);
    IStream* stream = nullptr;
    owner.expectCode(
        CoMarshalInterThreadInterfaceInStream(IID__Arithm, objects.early.get(), &stream), S_OK,
        "CoMarshalInterThreadInterfaceInStream");
    ComRef<IGlobalInterfaceTable> table;
    owner.expectCode(
        CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                         IID_IGlobalInterfaceTable, reinterpret_cast<void**>(table.put())),
        S_OK, "the global interface table");
    DWORD cookie = 0;
    if (table && objects.late) {
        owner.expectCode(
            table->RegisterInterfaceInGlobal(objects.late.get(), IID_IDispatch, &cookie), S_OK,
            "RegisterInterfaceInGlobal");
    }
    Failures user("user STA");
    std::size_t made = 0;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread thread([&] {
        user.expectCode(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK, "CoInitializeEx");
        {
            ComRef<_Arithm> fromStream;
            user.expectCode(CoGetInterfaceAndReleaseStream(
                                stream, IID__Arithm, reinterpret_cast<void**>(fromStream.put())),
                            S_OK, "CoGetInterfaceAndReleaseStream");
            ComRef<IDispatch> fromTable;
            if (cookie != 0) {
                user.expectCode(
                    table->GetInterfaceFromGlobal(cookie, IID_IDispatch,
                                                  reinterpret_cast<void**>(fromTable.put())),
                    S_OK, "GetInterfaceFromGlobal");
            }
            made += runCalls(clientOf(fromStream.get(), user), calls, reference, 1, true, user);
            made += runCalls(clientOf(fromTable.get(), user), calls, reference, 2, true, user);
        }
        CoUninitialize();
        SetEvent(done);
    });
    pumpMessagesUntil(done);
    thread.join();
    CloseHandle(done);
    if (cookie != 0) {
        owner.expectCode(table->RevokeInterfaceFromGlobal(cookie), S_OK,
                         "RevokeInterfaceFromGlobal");
    }
    owner.report();
    user.report();
    std::printf("objects of one STA used from another: %zu calls in %llu ms\n", made,
                GetTickCount64() - start);
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::vector<Call> calls = makeCalls();
    const std::vector<Outcome> reference = testMainThread(calls);
    testThreads(calls, reference);
    testHandedOver(calls, reference);
    CoUninitialize();
    return kestrum::test::exitStatus("apartments_test");
}
