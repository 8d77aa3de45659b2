// The type library and the other resources of Kestrum.dll, read back as clients read them.
// Argument: the path of Kestrum.dll.
#include <windows.h>

#include <cstring>
#include <string>

#include "check.h"
#include "com_ref.h"
#include "kestrum_idl.h"

using kestrum::com::ComRef;
using kestrum::test::check;
using kestrum::test::checkCode;
using kestrum::test::text;

namespace {

struct MethodShape {
    const wchar_t* name;
    MEMBERID id;
    const wchar_t* parameters[5];  // the named parameters; a retval parameter follows them
    short namedCount;
    VARTYPE retval;  // VT_EMPTY: none
};

const MethodShape kMethods[] = {
    {L"iadd", 0x60030000, {L"a1", L"a2"}, 2, VT_BSTR},
    {L"isub", 0x60030001, {L"a1", L"a2"}, 2, VT_BSTR},
    {L"imult", 0x60030002, {L"a1", L"a2"}, 2, VT_BSTR},
    {L"idiv", 0x60030003, {L"a1", L"a2", L"m", L"r", L"er"}, 5, VT_EMPTY},
    {L"radd", 0x60030004, {L"a1", L"a2"}, 2, VT_BSTR},
    {L"rsub", 0x60030005, {L"a1", L"a2"}, 2, VT_BSTR},
    {L"rmult", 0x60030006, {L"a1", L"a2"}, 2, VT_BSTR},
    {L"icomp", 0x60030007, {L"a1", L"a2"}, 2, VT_I2},
};

VARTYPE pointee(const ELEMDESC& element) {
    const TYPEDESC& type = element.tdesc;
    return type.vt == VT_PTR ? type.lptdesc->vt : VARTYPE{VT_EMPTY};
}

void checkMethod(ITypeInfo& info, UINT index, const MethodShape& shape) {
    FUNCDESC* function = nullptr;
    if (info.GetFuncDesc(index, &function) != S_OK) {
        check(false, "GetFuncDesc");
        return;
    }
    const std::string name(shape.name, shape.name + wcslen(shape.name));
    check(function->memid == shape.id, name + ": dispatch id");
    check(function->elemdescFunc.tdesc.vt == VT_HRESULT, name + ": returns HRESULT");
    const short expectedCount = shape.namedCount + (shape.retval == VT_EMPTY ? 0 : 1);
    check(function->cParams == expectedCount, name + ": parameter count");
    BSTR names[7] = {};
    UINT nameCount = 0;
    info.GetNames(function->memid, names, 7, &nameCount);
    check(text(names[0]) == shape.name, name + ": name");
    for (short p = 0; p < function->cParams && p < expectedCount; ++p) {
        const ELEMDESC& parameter = function->lprgelemdescParam[p];
        const USHORT flags = parameter.paramdesc.wParamFlags;
        if (p < shape.namedCount) {
            check(text(names[p + 1]) == shape.parameters[p], name + ": parameter name");
            check(flags == (PARAMFLAG_FIN | PARAMFLAG_FOUT), name + ": in/out parameter");
            const VARTYPE expected = std::wstring(shape.parameters[p]) == L"er" ? VT_I2 : VT_BSTR;
            check(pointee(parameter) == expected, name + ": parameter type");
        } else {
            check(flags == (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL), name + ": retval parameter");
            check(pointee(parameter) == shape.retval, name + ": retval type");
        }
    }
    for (BSTR held : names) {
        SysFreeString(held);
    }
    info.ReleaseFuncDesc(function);
}

void testInterface(ITypeLib& library) {
    ComRef<ITypeInfo> dispatch;
    checkCode(library.GetTypeInfoOfGuid(IID__Arithm, dispatch.put()), S_OK, "_Arithm present");
    if (!dispatch) {
        return;
    }
    TYPEATTR* attributes = nullptr;
    dispatch->GetTypeAttr(&attributes);
    check(attributes->typekind == TKIND_DISPATCH, "_Arithm is a dispatch interface");
    const WORD flags = TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE;
    check(attributes->wTypeFlags == (flags | TYPEFLAG_FDISPATCHABLE), "_Arithm dispatch flags");
    dispatch->ReleaseTypeAttr(attributes);

    // The vtable side of the dual interface lists the eight methods in slot order.
    HREFTYPE reference = 0;
    ComRef<ITypeInfo> vtable;
    checkCode(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference), S_OK,
              "dual interface");
    checkCode(dispatch->GetRefTypeInfo(reference, vtable.put()), S_OK, "vtable description");
    if (!vtable) {
        return;
    }
    vtable->GetTypeAttr(&attributes);
    check(attributes->typekind == TKIND_INTERFACE, "vtable side is an interface");
    check(attributes->wTypeFlags == (flags | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE),
          "_Arithm vtable flags");
    check(attributes->cFuncs == 8, "eight methods");
    vtable->ReleaseTypeAttr(attributes);
    for (UINT index = 0; index < 8; ++index) {
        checkMethod(*vtable.get(), index, kMethods[index]);
    }
}

void testClass(ITypeLib& library) {
    ComRef<ITypeInfo> coclass;
    checkCode(library.GetTypeInfoOfGuid(CLSID_Arithm, coclass.put()), S_OK, "Arithm present");
    if (!coclass) {
        return;
    }
    TYPEATTR* attributes = nullptr;
    coclass->GetTypeAttr(&attributes);
    check(attributes->typekind == TKIND_COCLASS, "Arithm is a coclass");
    check(attributes->wTypeFlags == TYPEFLAG_FCANCREATE, "Arithm is creatable");
    check(attributes->cImplTypes == 1, "one interface");
    coclass->ReleaseTypeAttr(attributes);
    INT flags = 0;
    coclass->GetImplTypeFlags(0, &flags);
    check(flags == IMPLTYPEFLAG_FDEFAULT, "_Arithm is the default interface");
}

void testTypeLibrary(const wchar_t* path) {
    ComRef<ITypeLib> library;
    checkCode(LoadTypeLibEx(path, REGKIND_NONE, library.put()), S_OK, "LoadTypeLibEx");
    if (!library) {
        return;
    }
    check(library->GetTypeInfoCount() == 2, "two type descriptions");
    TLIBATTR* attributes = nullptr;
    library->GetLibAttr(&attributes);
    check(IsEqualGUID(attributes->guid, LIBID_Kestrum), "library id");
    check(attributes->lcid == 0x0409, "library locale");
    check(attributes->wMajorVerNum == 1 && attributes->wMinorVerNum == 0, "version 1.0");
    library->ReleaseTLibAttr(attributes);
    BSTR name = nullptr;
    library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
    check(text(name) == L"Kestrum", "library name");
    SysFreeString(name);
    testInterface(*library.get());
    testClass(*library.get());
}

void testInterfaceIdResource(HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), L"_IID_ARITHM");
    check(found != nullptr, "_IID_ARITHM 1 present");
    if (found == nullptr) {
        return;
    }
    check(SizeofResource(module, found) == 20, "_IID_ARITHM holds 20 bytes");
    const auto* bytes =
        static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
    DWORD length = 0;
    GUID guid{};
    std::memcpy(&length, bytes, sizeof length);
    std::memcpy(&guid, bytes + sizeof length, sizeof guid);
    check(length == 16, "_IID_ARITHM length 16");
    check(IsEqualGUID(guid, IID__Arithm), "_IID_ARITHM holds the IID of _Arithm");
}

void testVersion(const wchar_t* path) {
    DWORD handle = 0;
    std::string block(GetFileVersionInfoSizeW(path, &handle), '\0');
    check(!block.empty() &&
              GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data()),
          "version resource present");
    void* value = nullptr;
    UINT size = 0;
    if (VerQueryValueW(block.data(), L"\\", &value, &size)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        check(fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0,
              "file version 1.0.0.0");
        check(fixed->dwProductVersionMS == 0x00010000 && fixed->dwProductVersionLS == 0,
              "product version 1.0.0.0");
    }
    check(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &size) && size == 4 &&
              static_cast<const WORD*>(value)[0] == 0x0409 &&
              static_cast<const WORD*>(value)[1] == 1200,
          "translation 0409, code page 1200");
    struct Field {
        const wchar_t* name;
        const wchar_t* value;
    };
    const Field fields[] = {
        {L"FileVersion", L"1.00"},
        {L"ProductVersion", L"1.00"},
        {L"ProductName", L"Kestrum"},
        {L"InternalName", L"Kestrum"},
        {L"OriginalFilename", L"Kestrum.dll"},
        {L"OLESelfRegister", L""},
    };
    for (const Field& field : fields) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + field.name;
        const bool found = VerQueryValueW(block.data(), query.c_str(), &value, &size) != 0;
        const std::wstring actual = found && size > 0 ? static_cast<const wchar_t*>(value) : L"";
        check(found && actual == field.value, "version string of the expected value");
    }
    check(!VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\CompanyName", &value, &size),
          "no fields beyond the listed ones");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::printf("usage: type_library_test PATH-OF-Kestrum.dll\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testTypeLibrary(argv[1]);
    HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    check(module != nullptr, "load as data file");
    if (module != nullptr) {
        testInterfaceIdResource(module);
        FreeLibrary(module);
    }
    testVersion(argv[1]);
    CoUninitialize();
    return kestrum::test::exitStatus("type_library_test");
}
