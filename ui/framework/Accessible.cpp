#include "ui/framework/Accessible.h"

#include "platform/Accessibility.h"
#include "ui/framework/WindowImpl.h"

namespace {

// VariantInit is oleaut32's, which the program does not import; an empty variant is all zeros.
void ClearVariant(VARIANT* v) { ZeroMemory(v, sizeof(*v)); }

VARIANT IdVariant(long id)
{
    VARIANT v;
    ClearVariant(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

VARIANT DispatchVariant(IDispatch* object)
{
    VARIANT v;
    ClearVariant(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    return v;
}

VARIANT EmptyVariant()
{
    VARIANT v;
    ClearVariant(&v);
    return v;
}

HRESULT ReturnString(const std::string& text, BSTR* out)
{
    if (text.empty())
        return S_FALSE;
    *out = AccessibleString(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

bool IsToolkitChild(HWND child)
{
    NRWindowImplRoot* object = NRWindowImplRoot::FromHandle(child);
    return object && object->AccessibleSource();
}

}  // namespace

NRAccessible* AccessibleObjectOf(HWND window)
{
    NRWindowImplRoot* object = NRWindowImplRoot::FromHandle(window);
    NRAccessible* accessible = object ? object->AccessibleObject() : nullptr;
    if (accessible)
        accessible->AddRef();
    return accessible;
}

NRAccessible::NRAccessible(HWND window, NRAccessibleSource* source) : m_window(window), m_source(source) {}

void NRAccessible::Disconnect()
{
    m_source = nullptr;
    m_window = nullptr;
}

HRESULT NRAccessible::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIidAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG NRAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }

ULONG NRAccessible::Release()
{
    const LONG left = InterlockedDecrement(&m_references);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT NRAccessible::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = AccessibleTypeInfo() ? 1 : 0;
    return S_OK;
}

HRESULT NRAccessible::GetTypeInfo(UINT index, LCID, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    ITypeInfo* described = AccessibleTypeInfo();
    if (index != 0 || !described)
        return DISP_E_BADINDEX;
    described->AddRef();
    *info = described;
    return S_OK;
}

HRESULT NRAccessible::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!IsEqualIID(iid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    return AccessibleIdsOfNames(names, count, ids);
}

HRESULT NRAccessible::Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                             EXCEPINFO* exception, UINT* argumentError)
{
    if (!IsEqualIID(iid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    // Late-bound callers (scripts) reach the same methods as readers that call IAccessible directly.
    return AccessibleInvoke(this, member, flags, parameters, result, exception, argumentError);
}

int NRAccessible::ChildWindowCount() const
{
    int count = 0;
    for (HWND child = GetWindow(m_window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        count += IsToolkitChild(child) ? 1 : 0;
    return count;
}

HWND NRAccessible::ChildWindow(int index) const
{
    for (HWND child = GetWindow(m_window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsToolkitChild(child) && index-- == 0)
            return child;
    }
    return nullptr;
}

NRAccessible::Target NRAccessible::Resolve(const VARIANT& child) const
{
    if (!m_source)
        return {CO_E_OBJNOTCONNECTED, -1, nullptr};
    if (child.vt != VT_I4)
        return {E_INVALIDARG, -1, nullptr};
    const long id = child.lVal;
    if (id == CHILDID_SELF)
        return {S_OK, -1, nullptr};
    const int items = m_source->AccessibleItemCount();
    if (id >= 1 && id <= items)
        return {S_OK, static_cast<int>(id - 1), nullptr};
    if (id > items && m_source->AccessibleChildWindows()) {
        if (HWND window = ChildWindow(static_cast<int>(id - items - 1))) {
            if (NRAccessible* object = AccessibleObjectOf(window))
                return {S_OK, -1, object};
        }
    }
    return {E_INVALIDARG, -1, nullptr};
}

long NRAccessible::WindowState() const
{
    long state = 0;
    if (!::IsWindowVisible(m_window))
        state |= STATE_SYSTEM_INVISIBLE;
    if (!::IsWindowEnabled(m_window))
        state |= STATE_SYSTEM_UNAVAILABLE;
    return state;
}

HRESULT NRAccessible::get_accParent(IDispatch** parent)
{
    if (!parent)
        return E_POINTER;
    *parent = nullptr;
    if (!m_source)
        return CO_E_OBJNOTCONNECTED;
    // The frame around this client object, as the system describes any window.
    return StandardAccessibleObject(m_window, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
}

HRESULT NRAccessible::get_accChildCount(long* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    if (!m_source)
        return CO_E_OBJNOTCONNECTED;
    *count = m_source->AccessibleItemCount() + (m_source->AccessibleChildWindows() ? ChildWindowCount() : 0);
    return S_OK;
}

HRESULT NRAccessible::get_accChild(VARIANT child, IDispatch** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    const Target target = Resolve(child);
    if (FAILED(target.status))
        return target.status;
    if (!target.child)
        return target.item >= 0 ? S_FALSE : E_INVALIDARG;  // an item is a simple element of this object
    *object = static_cast<IDispatch*>(target.child);       // the reference Resolve took is the caller's
    return S_OK;
}

HRESULT NRAccessible::AnswerString(const VARIANT& child, BSTR* out, std::string (NRAccessibleSource::*self)() const,
                                   std::string (NRAccessibleSource::*item)(int) const,
                                   HRESULT (STDMETHODCALLTYPE NRAccessible::*delegate)(VARIANT, BSTR*))
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    const Target target = Resolve(child);
    if (FAILED(target.status))
        return target.status;
    if (target.child) {
        const HRESULT result = (target.child->*delegate)(IdVariant(CHILDID_SELF), out);
        target.child->Release();
        return result;
    }
    if (target.item >= 0)
        return item ? ReturnString((m_source->*item)(target.item), out) : S_FALSE;
    return ReturnString((m_source->*self)(), out);
}

HRESULT NRAccessible::get_accName(VARIANT child, BSTR* name)
{
    return AnswerString(child, name, &NRAccessibleSource::AccessibleName, &NRAccessibleSource::AccessibleItemName,
                        &NRAccessible::get_accName);
}

HRESULT NRAccessible::get_accValue(VARIANT child, BSTR* value)
{
    return AnswerString(child, value, &NRAccessibleSource::AccessibleValue, nullptr, &NRAccessible::get_accValue);
}

HRESULT NRAccessible::get_accDescription(VARIANT child, BSTR* description)
{
    return AnswerString(child, description, &NRAccessibleSource::AccessibleDescription, nullptr,
                        &NRAccessible::get_accDescription);
}

HRESULT NRAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut)
{
    return AnswerString(child, shortcut, &NRAccessibleSource::AccessibleShortcut, nullptr,
                        &NRAccessible::get_accKeyboardShortcut);
}

HRESULT NRAccessible::get_accDefaultAction(VARIANT child, BSTR* action)
{
    return AnswerString(child, action, &NRAccessibleSource::AccessibleDefaultAction, nullptr,
                        &NRAccessible::get_accDefaultAction);
}

HRESULT NRAccessible::get_accRole(VARIANT child, VARIANT* role)
{
    if (!role)
        return E_POINTER;
    ClearVariant(role);
    const Target target = Resolve(child);
    if (FAILED(target.status))
        return target.status;
    if (target.child) {
        const HRESULT result = target.child->get_accRole(IdVariant(CHILDID_SELF), role);
        target.child->Release();
        return result;
    }
    *role = IdVariant(target.item >= 0 ? m_source->AccessibleItemRole() : m_source->AccessibleRole());
    return S_OK;
}

HRESULT NRAccessible::get_accState(VARIANT child, VARIANT* state)
{
    if (!state)
        return E_POINTER;
    ClearVariant(state);
    const Target target = Resolve(child);
    if (FAILED(target.status))
        return target.status;
    if (target.child) {
        const HRESULT result = target.child->get_accState(IdVariant(CHILDID_SELF), state);
        target.child->Release();
        return result;
    }
    const long own = target.item >= 0 ? m_source->AccessibleItemState(target.item) : m_source->AccessibleState();
    *state = IdVariant(own | WindowState());
    return S_OK;
}

HRESULT NRAccessible::get_accHelp(VARIANT child, BSTR* help)
{
    if (!help)
        return E_POINTER;
    *help = nullptr;
    const Target target = Resolve(child);
    if (target.child)
        target.child->Release();
    return FAILED(target.status) ? target.status : S_FALSE;
}

HRESULT NRAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic)
{
    if (!file || !topic)
        return E_POINTER;
    *file = nullptr;
    *topic = 0;
    const Target target = Resolve(child);
    if (target.child)
        target.child->Release();
    return FAILED(target.status) ? target.status : S_FALSE;
}

HRESULT NRAccessible::get_accFocus(VARIANT* focus)
{
    if (!focus)
        return E_POINTER;
    ClearVariant(focus);
    if (!m_source)
        return CO_E_OBJNOTCONNECTED;
    const HWND focused = ::GetFocus();
    if (focused == m_window || (m_source->AccessibleState() & STATE_SYSTEM_FOCUSED)) {
        const int item = m_source->AccessibleCurrentItem();
        *focus = IdVariant(item >= 0 ? item + 1 : CHILDID_SELF);
        return S_OK;
    }
    // The focus may lie deeper (the list inside the progress pane): the child that holds it answers.
    HWND holder = focused;
    while (holder && ::GetParent(holder) != m_window)
        holder = ::GetParent(holder);
    if (holder && m_source->AccessibleChildWindows()) {
        if (NRAccessible* object = AccessibleObjectOf(holder)) {
            *focus = DispatchVariant(object);
            return S_OK;
        }
    }
    *focus = EmptyVariant();
    return S_FALSE;
}

HRESULT NRAccessible::get_accSelection(VARIANT* selection)
{
    if (!selection)
        return E_POINTER;
    ClearVariant(selection);
    if (!m_source)
        return CO_E_OBJNOTCONNECTED;
    const int item = m_source->AccessibleCurrentItem();
    if (item < 0)
        return S_FALSE;
    *selection = IdVariant(item + 1);
    return S_OK;
}

HRESULT NRAccessible::accSelect(long /*flags*/, VARIANT child)
{
    const Target target = Resolve(child);
    if (target.child)
        target.child->Release();
    return FAILED(target.status) ? target.status : DISP_E_MEMBERNOTFOUND;
}

HRESULT NRAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child)
{
    if (!left || !top || !width || !height)
        return E_POINTER;
    *left = *top = *width = *height = 0;
    const Target target = Resolve(child);
    if (FAILED(target.status))
        return target.status;
    if (target.child) {
        const HRESULT result = target.child->accLocation(left, top, width, height, IdVariant(CHILDID_SELF));
        target.child->Release();
        return result;
    }
    RECT rect = {};
    if (target.item >= 0) {
        if (!m_source->AccessibleItemRect(target.item, rect))
            return S_FALSE;
    } else if (!::GetWindowRect(m_window, &rect)) {
        return E_FAIL;
    }
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
}

HRESULT NRAccessible::accNavigate(long direction, VARIANT start, VARIANT* end)
{
    if (!end)
        return E_POINTER;
    ClearVariant(end);
    const Target target = Resolve(start);
    if (target.child)
        target.child->Release();
    if (FAILED(target.status))
        return target.status;
    long count = 0;
    get_accChildCount(&count);
    long next = 0;
    const long from = start.lVal;
    switch (direction) {
    case NAVDIR_FIRSTCHILD:
        next = from == CHILDID_SELF && count > 0 ? 1 : 0;
        break;
    case NAVDIR_LASTCHILD:
        next = from == CHILDID_SELF && count > 0 ? count : 0;
        break;
    case NAVDIR_NEXT:
    case NAVDIR_DOWN:
        next = from != CHILDID_SELF && from < count ? from + 1 : 0;
        break;
    case NAVDIR_PREVIOUS:
    case NAVDIR_UP:
        next = from > 1 ? from - 1 : 0;
        break;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    if (next == 0)
        return S_FALSE;
    IDispatch* object = nullptr;
    if (get_accChild(IdVariant(next), &object) == S_OK && object)
        *end = DispatchVariant(object);
    else
        *end = IdVariant(next);
    return S_OK;
}

HRESULT NRAccessible::accHitTest(long x, long y, VARIANT* child)
{
    if (!child)
        return E_POINTER;
    ClearVariant(child);
    if (!m_source)
        return CO_E_OBJNOTCONNECTED;
    RECT window = {};
    const POINT point = {x, y};
    if (!::GetWindowRect(m_window, &window) || !::PtInRect(&window, point))
        return S_FALSE;
    if (m_source->AccessibleChildWindows()) {
        POINT client = point;
        ::ScreenToClient(m_window, &client);
        const HWND below = ::ChildWindowFromPointEx(m_window, client, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (below && below != m_window) {
            if (NRAccessible* object = AccessibleObjectOf(below)) {
                *child = DispatchVariant(object);
                return S_OK;
            }
        }
    }
    for (int i = 0; i < m_source->AccessibleItemCount(); ++i) {
        RECT item = {};
        if (m_source->AccessibleItemRect(i, item) && ::PtInRect(&item, point)) {
            *child = IdVariant(i + 1);
            return S_OK;
        }
    }
    *child = IdVariant(CHILDID_SELF);
    return S_OK;
}

HRESULT NRAccessible::accDoDefaultAction(VARIANT child)
{
    const Target target = Resolve(child);
    if (FAILED(target.status))
        return target.status;
    if (target.child) {
        const HRESULT result = target.child->accDoDefaultAction(IdVariant(CHILDID_SELF));
        target.child->Release();
        return result;
    }
    if (target.item >= 0)
        return DISP_E_MEMBERNOTFOUND;
    return m_source->DoAccessibleDefaultAction() ? S_OK : DISP_E_MEMBERNOTFOUND;
}

HRESULT NRAccessible::put_accName(VARIANT, BSTR) { return m_source ? E_NOTIMPL : CO_E_OBJNOTCONNECTED; }

HRESULT NRAccessible::put_accValue(VARIANT, BSTR) { return m_source ? E_NOTIMPL : CO_E_OBJNOTCONNECTED; }
