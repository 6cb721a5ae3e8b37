#pragma once
// What a screen reader or UI automation sees of a toolkit window. A window that answers for itself
// gives an NRAccessibleSource (its role, name, state, default action, and simple children such as a
// list's lines); NRAccessible is the IAccessible object built on it, which the window hands out for
// WM_GETOBJECT. The object is reference counted and may be held by a reader for longer than the
// window lives: once the window goes it is disconnected and answers every call with an error.
#include <windows.h>
#include <oleacc.h>

#include <string>

class NRAccessibleSource
{
public:
    virtual long AccessibleRole() const = 0;
    virtual std::string AccessibleName() const = 0;
    virtual std::string AccessibleDescription() const { return std::string(); }
    virtual std::string AccessibleValue() const { return std::string(); }
    // STATE_SYSTEM_... bits beyond invisible and unavailable, which the window itself tells.
    virtual long AccessibleState() const { return 0; }
    virtual std::string AccessibleShortcut() const { return std::string(); }
    virtual std::string AccessibleDefaultAction() const { return std::string(); }
    // Carries out the default action; false when there is none.
    virtual bool DoAccessibleDefaultAction() { return false; }

    // Simple children, ids 1 .. count (a list's lines); the toolkit's child windows follow them.
    virtual int AccessibleItemCount() const { return 0; }
    virtual long AccessibleItemRole() const { return ROLE_SYSTEM_LISTITEM; }
    virtual std::string AccessibleItemName(int /*index*/) const { return std::string(); }
    virtual long AccessibleItemState(int /*index*/) const { return 0; }
    // The item's rectangle on the screen; false when it has none.
    virtual bool AccessibleItemRect(int /*index*/, RECT& /*screen*/) const { return false; }
    // The focused and selected item, or -1.
    virtual int AccessibleCurrentItem() const { return -1; }
    // Whether the window's child windows count as children (not for a window that stands for the
    // list inside it).
    virtual bool AccessibleChildWindows() const { return true; }

protected:
    ~NRAccessibleSource() = default;
};

class NRAccessible final : public IAccessible
{
public:
    // One reference, the caller's.
    NRAccessible(HWND window, NRAccessibleSource* source);
    NRAccessible(const NRAccessible&) = delete;
    NRAccessible& operator=(const NRAccessible&) = delete;

    // The window is gone: from now on every call fails and nothing of it is touched.
    void Disconnect();
    bool Connected() const { return m_source != nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: through oleacc's type information for IAccessible, as the system's own objects answer.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    ~NRAccessible() = default;

    // What a child id names: the object itself, one of its items, or a child window's object.
    struct Target
    {
        HRESULT status;       // S_OK, or the error to answer
        int item;             // -1: not an item
        NRAccessible* child;  // a child window's object, or null
    };
    Target Resolve(const VARIANT& child) const;
    // The toolkit child windows that answer for themselves, in window order.
    int ChildWindowCount() const;
    HWND ChildWindow(int index) const;
    long WindowState() const;
    HRESULT AnswerString(const VARIANT& child, BSTR* out, std::string (NRAccessibleSource::*self)() const,
                         std::string (NRAccessibleSource::*item)(int) const,
                         HRESULT (STDMETHODCALLTYPE NRAccessible::*delegate)(VARIANT, BSTR*));

    LONG m_references = 1;
    HWND m_window;
    NRAccessibleSource* m_source;
};

// The object of a toolkit window that answers for itself (null otherwise), with a reference for the
// caller.
NRAccessible* AccessibleObjectOf(HWND window);
