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
};

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
