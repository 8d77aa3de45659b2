// The DLL loaded directly, as the COM runtime loads it: the exports and their ordinals, the class
// factory, DllCanUnloadNow over the life of factory and object, the type description that the
// objects share, and objects used from several apartment threads at once. Argument: the path of
// Kestrum.dll.
#include <windows.h>

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
using kestrum::test::text;

namespace {

using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

template <typename Function>
Function exported(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void testOrdinals(HMODULE module) {
    const char* names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                           "DllUnregisterServer"};
    for (WORD ordinal = 1; ordinal <= 4; ++ordinal) {
        const auto byOrdinal =
            reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal)));
        const auto byName = reinterpret_cast<void*>(GetProcAddress(module, names[ordinal - 1]));
        check(byName != nullptr && byOrdinal == byName,
              std::string("ordinal ") + std::to_string(ordinal) + " is " + names[ordinal - 1]);
    }
}

void testLifecycle(CanUnloadNow canUnloadNow, GetClassObject getClassObject) {
    checkCode(canUnloadNow(), S_OK, "unloadable before any use");

    ComRef<IClassFactory> factory;
    checkCode(
        getClassObject(IID__Arithm, IID_IClassFactory, reinterpret_cast<void**>(factory.put())),
        CLASS_E_CLASSNOTAVAILABLE, "other class ids are not available");
    check(!factory, "no factory for another class id");
    checkCode(
        getClassObject(CLSID_Arithm, IID_IClassFactory, reinterpret_cast<void**>(factory.put())),
        S_OK, "DllGetClassObject");
    if (!factory) {
        return;
    }
    checkCode(canUnloadNow(), S_FALSE, "factory held");

    ComRef<_Arithm> object;
    checkCode(
        factory->CreateInstance(factory.get(), IID__Arithm, reinterpret_cast<void**>(object.put())),
        CLASS_E_NOAGGREGATION, "no aggregation");
    checkCode(factory->CreateInstance(nullptr, IID__Arithm, reinterpret_cast<void**>(object.put())),
              S_OK, "CreateInstance");
    factory.reset();
    checkCode(canUnloadNow(), S_FALSE, "object alive");
    object.reset();
    checkCode(canUnloadNow(), S_OK, "everything released");

    checkCode(
        getClassObject(CLSID_Arithm, IID_IClassFactory, reinterpret_cast<void**>(factory.put())),
        S_OK, "DllGetClassObject again");
    factory->LockServer(TRUE);
    factory.reset();
    checkCode(canUnloadNow(), S_FALSE, "server locked");
    checkCode(
        getClassObject(CLSID_Arithm, IID_IClassFactory, reinterpret_cast<void**>(factory.put())),
        S_OK, "DllGetClassObject to unlock");
    factory->LockServer(FALSE);
    factory.reset();
    checkCode(canUnloadNow(), S_OK, "lock released");
}

ComRef<IDispatch> createDispatch(GetClassObject getClassObject) {
    ComRef<IClassFactory> factory;
    ComRef<IDispatch> dispatch;
    if (getClassObject(CLSID_Arithm, IID_IClassFactory, reinterpret_cast<void**>(factory.put())) ==
        S_OK) {
        factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(dispatch.put()));
    }
    return dispatch;
}

// The dispatch id that `info` gives the name imult, or DISPID_UNKNOWN.
DISPID imultId(ITypeInfo& info) {
    wchar_t name[] = L"imult";
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    info.GetIDsOfNames(names, 1, &id);
    return id;
}

DISPID imultId(IDispatch& dispatch) {
    wchar_t name[] = L"imult";
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    dispatch.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

// The objects share one type description, which the DLL lets go of once it may be unloaded: a
// description handed out stays the holder's, and objects made afterwards load it again.
void testSharedTypeDescription(CanUnloadNow canUnloadNow, GetClassObject getClassObject) {
    constexpr DISPID kImult = 0x60030002;
    ComRef<IDispatch> first = createDispatch(getClassObject);
    ComRef<IDispatch> second = createDispatch(getClassObject);
    check(first && second, "two objects");
    if (!first || !second) {
        return;
    }
    ComRef<ITypeInfo> held;
    checkCode(first->GetTypeInfo(0, LOCALE_USER_DEFAULT, held.put()), S_OK, "GetTypeInfo");
    check(imultId(*second.get()) == kImult, "the second object names imult");
    first.reset();
    second.reset();
    checkCode(canUnloadNow(), S_OK, "unloadable with a type description held by the client");
    check(held && imultId(*held.get()) == kImult, "the held description outlives the objects");
    held.reset();
    ComRef<IDispatch> later = createDispatch(getClassObject);
    check(later && imultId(*later.get()) == kImult, "a later object loads the description again");
    later.reset();
    checkCode(canUnloadNow(), S_OK, "unloadable at the end");
}

// Each thread is its own apartment with its own object; the products must all be right.
int multiplyInApartment(int seed) {
    int wrong = 0;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        ComRef<_Arithm> arithm;
        if (CoCreateInstance(CLSID_Arithm, nullptr, CLSCTX_INPROC_SERVER, IID__Arithm,
                             reinterpret_cast<void**>(arithm.put())) != S_OK) {
            wrong = 1;
        }
        for (int step = 0; arithm && step < 200; ++step) {
            const int factor = seed * 1000 + step;
            const std::wstring expected = std::to_wstring(static_cast<long long>(factor) * factor);
            Bstr a(std::to_wstring(factor).c_str());
            BSTR product = nullptr;
            if (arithm->imult(&a.get(), &a.get(), &product) != S_OK || text(product) != expected) {
                ++wrong;
            }
            SysFreeString(product);
        }
    }
    CoUninitialize();
    return wrong;
}

void testApartmentThreads() {
    constexpr int kThreads = 4;
    std::vector<int> wrong(kThreads, 0);
    std::vector<std::thread> threads;
    for (int seed = 0; seed < kThreads; ++seed) {
        threads.emplace_back([seed, &wrong] {
            wrong[static_cast<std::size_t>(seed)] = multiplyInApartment(seed + 1);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int count : wrong) {
        check(count == 0, "every product right in every apartment");
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::printf("usage: lifecycle_test PATH-OF-Kestrum.dll\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HMODULE module = LoadLibraryW(argv[1]);
    check(module != nullptr, "LoadLibrary");
    if (module != nullptr) {
        testOrdinals(module);
        testLifecycle(exported<CanUnloadNow>(module, "DllCanUnloadNow"),
                      exported<GetClassObject>(module, "DllGetClassObject"));
        testSharedTypeDescription(exported<CanUnloadNow>(module, "DllCanUnloadNow"),
                                  exported<GetClassObject>(module, "DllGetClassObject"));
    }
    testApartmentThreads();
    CoUninitialize();
    return kestrum::test::exitStatus("lifecycle_test");
}
