#include "platform/Accessibility.h"

#include "platform/SystemLibrary.h"

const IID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

namespace {

class AccessibilityFunctions
{
public:
    typedef LRESULT(WINAPI* LresultFromObjectFn)(REFIID, WPARAM, LPUNKNOWN);
    typedef HRESULT(WINAPI* CreateStdAccessibleObjectFn)(HWND, LONG, REFIID, void**);
    typedef BSTR(WINAPI* SysAllocStringLenFn)(const OLECHAR*, UINT);
    typedef HRESULT(WINAPI* LoadTypeLibFn)(LPCOLESTR, ITypeLib**);
    typedef HRESULT(WINAPI* DispGetIDsOfNamesFn)(ITypeInfo*, OLECHAR**, UINT, DISPID*);
    typedef HRESULT(WINAPI* DispInvokeFn)(void*, ITypeInfo*, DISPID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*);

    // Made once and never freed: the libraries stay loaded until the process ends.
    static const AccessibilityFunctions& Get()
    {
        static const AccessibilityFunctions* functions = new AccessibilityFunctions();
        return *functions;
    }

private:
    AccessibilityFunctions() = default;
    NRSystemLibrary m_oleacc{"oleacc.dll"};
    NRSystemLibrary m_oleaut32{"oleaut32.dll"};

public:
    const LresultFromObjectFn lresultFromObject = m_oleacc.Find<LresultFromObjectFn>("LresultFromObject");
    const CreateStdAccessibleObjectFn createStdAccessibleObject =
        m_oleacc.Find<CreateStdAccessibleObjectFn>("CreateStdAccessibleObject");
    const SysAllocStringLenFn sysAllocStringLen = m_oleaut32.Find<SysAllocStringLenFn>("SysAllocStringLen");
    const LoadTypeLibFn loadTypeLib = m_oleaut32.Find<LoadTypeLibFn>("LoadTypeLib");
    const DispGetIDsOfNamesFn dispGetIDsOfNames = m_oleaut32.Find<DispGetIDsOfNamesFn>("DispGetIDsOfNames");
    const DispInvokeFn dispInvoke = m_oleaut32.Find<DispInvokeFn>("DispInvoke");
};

// IAccessible's description in oleacc's own type library, read from oleacc by its full path.
ITypeInfo* LoadAccessibleTypeInfo()
{
    const auto loadTypeLib = AccessibilityFunctions::Get().loadTypeLib;
    const std::string path = SystemLibraryPath("oleacc.dll");
    if (!loadTypeLib || path.empty())
        return nullptr;
    const std::wstring widePath(path.begin(), path.end());
    ITypeLib* library = nullptr;
    if (FAILED(loadTypeLib(widePath.c_str(), &library)) || !library)
        return nullptr;
    ITypeInfo* info = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(kIidAccessible, &info)))
        info = nullptr;
    library->Release();
    return info;
}

}  // namespace

LRESULT AccessibleObjectResult(REFIID iid, WPARAM wParam, IUnknown* object)
{
    const auto lresultFromObject = AccessibilityFunctions::Get().lresultFromObject;
    if (!lresultFromObject || !object)
        return 0;
    const LRESULT result = lresultFromObject(iid, wParam, object);
    // A negative answer is an HRESULT, which the caller takes as failure anyway; 0 lets it fall back.
    return result < 0 ? 0 : result;
}

HRESULT StandardAccessibleObject(HWND hwnd, LONG objectId, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    const auto create = AccessibilityFunctions::Get().createStdAccessibleObject;
    return create ? create(hwnd, objectId, iid, object) : E_NOTIMPL;
}

ITypeInfo* AccessibleTypeInfo()
{
    // Read once and held, as the libraries are, for objects a reader may still call at the end.
    static ITypeInfo* const info = LoadAccessibleTypeInfo();
    return info;
}

HRESULT AccessibleIdsOfNames(OLECHAR** names, UINT count, DISPID* ids)
{
    const auto getIds = AccessibilityFunctions::Get().dispGetIDsOfNames;
    ITypeInfo* info = AccessibleTypeInfo();
    return getIds && info ? getIds(info, names, count, ids) : E_NOTIMPL;
}

HRESULT AccessibleInvoke(IAccessible* object, DISPID member, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                         EXCEPINFO* exception, UINT* argumentError)
{
    const auto invoke = AccessibilityFunctions::Get().dispInvoke;
    ITypeInfo* info = AccessibleTypeInfo();
    return invoke && info ? invoke(object, info, member, flags, parameters, result, exception, argumentError)
                          : E_NOTIMPL;
}

BSTR AccessibleString(const std::string& text)
{
    const auto sysAllocStringLen = AccessibilityFunctions::Get().sysAllocStringLen;
    if (!sysAllocStringLen)
        return nullptr;
    const int length =
        text.empty() ? 0 : MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR result = sysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (result && length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result, length);
    return result;
}

void NotifyAccessibilityEvent(DWORD event, HWND hwnd, LONG objectId, LONG childId)
{
    if (hwnd)
        ::NotifyWinEvent(event, hwnd, objectId, childId);
}
