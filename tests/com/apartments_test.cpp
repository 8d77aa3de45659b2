// Kestrum.Arithm used from many apartments at once. The main thread, a single-threaded apartment
// (STA), makes a seeded list of calls of every method through the vtable: the reference. Threads
// in STAs and in the multithreaded apartment (MTA) make the same calls, early and late bound, on
// their own objects; from the MTA, _Arithm reaches them through the type library marshaler, which
// needs the type library registered under the neutral locale. One STA also uses the main thread's
// objects, handed over in a marshaled stream and through the global interface table.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
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

const wchar_t* const kNames[] = {L"iadd", L"isub",  L"imult", L"radd",
                                 L"rsub", L"rmult", L"idiv",  L"icomp"};
using TextMethod = HRESULT (STDMETHODCALLTYPE _Arithm::*)(BSTR*, BSTR*, BSTR*);
const TextMethod kTextMethods[] = {&_Arithm::iadd, &_Arithm::isub, &_Arithm::imult,
                                   &_Arithm::radd, &_Arithm::rsub, &_Arithm::rmult};
enum : std::size_t { kIadd = 0, kIsub = 1, kRadd = 3, kIdiv = 6, kIcomp = 7, kMethodCount = 8 };

struct Call {
    std::size_t method;
    std::wstring a1;
    std::wstring a2;
};

// All a call gives back: its result code, the result text (idiv's m and r), icomp's order or
// idiv's er, and whether a1 and a2 still hold what was passed.
struct Outcome {
    HRESULT code = E_UNEXPECTED;
    std::wstring result;
    short number = 0;
    bool kept = false;
    bool operator==(const Outcome&) const = default;
};

// What fails on any thread, reported by the main thread at the end: check() counts on one thread.
std::mutex failuresLock;
std::vector<std::string> failures;

void expect(bool condition, const std::string& what, HRESULT code) {
    if (!condition) {
        char hex[16];
        std::snprintf(hex, sizeof hex, ": 0x%08lX", static_cast<unsigned long>(code));
        const std::lock_guard lock(failuresLock);
        failures.push_back(what + hex);
    }
}

void expectOk(HRESULT code, const std::string& what) {
    expect(code == S_OK, what, code);
}

// Calls with known outcomes (checked in main), then seeded calls of every method in turn, with
// operands of mostly a few digits, often hundreds or thousands, at times nearly the most allowed; a
// third negative, half with a point for the r methods, some with a letter or 32767 characters long.
std::vector<Call> makeCalls() {
    std::vector<Call> calls = {{kIadd, L"123456789123456789", L"987654321987654321"},
                               {kIdiv, L"100", L"7"},
                               {kIadd, L"1a", L"1"},
                               {kIsub, L"1a", L"1"},
                               {kIcomp, std::wstring(32767, L'1'), L"1"},
                               {kIdiv, L"-98765432109876543210", L"0"}};
    std::mt19937 random(20261214);
    const std::size_t longest[] = {20, 20, 20, 400, 400, 6000, 6000, 65};  // the last from 32700
    for (std::size_t index = 0; index < 44; ++index) {
        const std::size_t method = index % kMethodCount;
        std::wstring operands[2];
        for (std::wstring& value : operands) {
            const std::size_t kind = random() % 8;
            const std::size_t length = (kind == 7 ? 32700 : 1) + random() % longest[kind];
            while (value.size() < length) {
                value.push_back(static_cast<wchar_t>(L'0' + random() % 10));
            }
            if (method >= kRadd && method < kIdiv && random() % 2 == 0) {
                value.insert(random() % (value.size() + 1), 1, L'.');
            }
            if (random() % 3 == 0) {
                value.insert(0, 1, L'-');
            }
        }
        if (index % 7 == 3) {
            operands[index % 2].insert(random() % 2, 1, L'x');
        } else if (index % 11 == 5) {
            operands[index % 2].resize(32767, L'9');
        }
        calls.push_back({method, operands[0], operands[1]});
    }
    return calls;
}

// An object reached early bound and another reached late bound.
struct Client {
    ComRef<_Arithm> early;
    ComRef<IDispatch> late;
};

Client create(const std::string& where) {
    Client client;
    expectOk(CoCreateInstance(CLSID_Arithm, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(client.early.put())),
             where + ": CoCreateInstance for _Arithm");
    expectOk(CoCreateInstance(CLSID_Arithm, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(client.late.put())),
             where + ": CoCreateInstance for IDispatch");
    return client;
}

// Makes `call` through the vtable, or by name through Invoke with typed references as early-bound
// languages pass arguments; a failing method's code then arrives in the EXCEPINFO.
Outcome make(const Client& client, bool late, const Call& call) {
    Bstr a1(call.a1.c_str());
    Bstr a2(call.a2.c_str());
    Bstr m(L"");
    Bstr r(L"");
    Outcome outcome;
    if (late) {
        LPOLESTR name = const_cast<LPOLESTR>(kNames[call.method]);
        DISPID id = DISPID_UNKNOWN;  // not a member: Invoke fails
        client.late->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
        void* const targets[] = {&outcome.number, &r.get(), &m.get(), &a2.get(), &a1.get()};
        VARIANT arguments[5] = {};  // last first
        for (std::size_t index = 0; index < 5; ++index) {
            V_VT(&arguments[index]) =
                static_cast<VARTYPE>((index == 0 ? VT_I2 : VT_BSTR) | VT_BYREF);
            V_BYREF(&arguments[index]) = targets[index];
        }
        const bool idiv = call.method == kIdiv;
        DISPPARAMS parameters{idiv ? arguments : arguments + 3, nullptr, idiv ? 5U : 2U, 0};
        VARIANT value = {};
        EXCEPINFO exception{};
        outcome.code = client.late->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                           &parameters, &value, &exception, nullptr);
        if (outcome.code == DISP_E_EXCEPTION) {
            outcome.code = exception.scode;
        }
        if (V_VT(&value) == VT_I2) {
            outcome.number = V_I2(&value);
        }
        outcome.result = V_VT(&value) == VT_BSTR ? text(V_BSTR(&value)) : L"";
        VariantClear(&value);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    } else if (call.method == kIdiv) {
        outcome.code =
            client.early->idiv(&a1.get(), &a2.get(), &m.get(), &r.get(), &outcome.number);
    } else if (call.method == kIcomp) {
        outcome.code = client.early->icomp(&a1.get(), &a2.get(), &outcome.number);
    } else {
        BSTR result = nullptr;
        outcome.code =
            (client.early.get()->*kTextMethods[call.method])(&a1.get(), &a2.get(), &result);
        outcome.result = text(result);
        SysFreeString(result);
    }
    if (call.method == kIdiv) {
        outcome.result = text(m.get()) + L" " + text(r.get());
    }
    outcome.kept = text(a1.get()) == call.a1 && text(a2.get()) == call.a2;
    return outcome;
}

// The list three times from call `first` on, early and late bound; a call that differs from the
// reference is a failure.
void runCalls(const Client& client, const std::vector<Call>& calls,
              const std::vector<Outcome>& reference, std::size_t first, const std::string& where) {
    for (std::size_t step = 0; step < 3 * calls.size(); ++step) {
        const std::size_t index = (first + step) % calls.size();
        for (const bool late : {false, true}) {
            if (late ? client.late.get() != nullptr : client.early.get() != nullptr) {
                const Outcome outcome = make(client, late, calls[index]);
                expect(outcome == reference[index],
                       where + ": call " + std::to_string(index) + (late ? " late" : " early"),
                       outcome.code);
            }
        }
    }
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        const std::vector<Call> calls = makeCalls();
        const Client client = create("main thread");
        std::vector<Outcome> reference;
        for (const Call& call : calls) {
            reference.push_back(client.early ? make(client, false, call) : Outcome{});
        }
        check(reference[0] == Outcome{S_OK, L"1111111111111111110", 0, true}, "reference: iadd");
        check(reference[1] == Outcome{S_OK, L"14 2", 0, true}, "reference: idiv 100 7");
        checkCode(reference[2].code, runTimeError(102), "reference: iadd of a letter");
        checkCode(reference[3].code, runTimeError(103), "reference: isub of a letter");
        checkCode(reference[4].code, runTimeError(6), "reference: a too long operand");
        check(reference[5].code == S_OK && reference[5].number == 1, "reference: idiv by 0");
        check(std::all_of(reference.begin(), reference.end(), [](auto& o) { return o.kept; }),
              "reference: a1 and a2 kept");
        // Thread 0 also uses the main thread's objects: _Arithm from a stream, IDispatch from the
        // global interface table.
        IStream* stream = nullptr;
        expectOk(CoMarshalInterThreadInterfaceInStream(IID__Arithm, client.early.get(), &stream),
                 "CoMarshalInterThreadInterfaceInStream");
        ComRef<IGlobalInterfaceTable> table;
        expectOk(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(table.put())),
                 "the global interface table");
        DWORD cookie = 0;
        expectOk(table->RegisterInterfaceInGlobal(client.late.get(), IID_IDispatch, &cookie),
                 "RegisterInterfaceInGlobal");
        HANDLE handedBack = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        // Half the threads in STAs, half in the MTA, each from its own place in the list.
        std::vector<std::thread> threads;
        for (std::size_t number = 0; number < 16; ++number) {
            threads.emplace_back([&, number] {
                const bool sta = number % 2 == 0;
                const std::string where = (sta ? "STA " : "MTA ") + std::to_string(number);
                expectOk(
                    CoInitializeEx(nullptr, sta ? COINIT_APARTMENTTHREADED : COINIT_MULTITHREADED),
                    where + ": CoInitializeEx");
                runCalls(create(where), calls, reference, number * 3, where);
                if (number == 0) {
                    Client handed;
                    expectOk(
                        CoGetInterfaceAndReleaseStream(stream, IID_PPV_ARGS(handed.early.put())),
                        "CoGetInterfaceAndReleaseStream");
                    expectOk(table->GetInterfaceFromGlobal(cookie, IID_PPV_ARGS(handed.late.put())),
                             "GetInterfaceFromGlobal");
                    runCalls(handed, calls, reference, 1, "handed over");
                    handed = Client{};
                    SetEvent(handedBack);
                }
                CoUninitialize();
            });
        }
        // Pumps messages, and so serves thread 0's calls, until it is done with the objects.
        DWORD signaled = 0;
        CoWaitForMultipleHandles(0, INFINITE, 1, &handedBack, &signaled);
        for (std::thread& thread : threads) {
            thread.join();
        }
        CloseHandle(handedBack);
        expectOk(table->RevokeInterfaceFromGlobal(cookie), "RevokeInterfaceFromGlobal");
    }
    CoUninitialize();
    for (std::size_t index = 0; index < std::min<std::size_t>(failures.size(), 20); ++index) {
        std::printf("  %s\n", failures[index].c_str());
    }
    check(failures.empty(), std::to_string(failures.size()) + " failures in the apartments");
    return kestrum::test::exitStatus("apartments_test");
}
