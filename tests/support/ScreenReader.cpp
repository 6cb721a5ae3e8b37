#include "ScreenReader.h"

namespace testing_support {

namespace {

const IID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

VARIANT Id(long id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::string Narrow(BSTR text)
{
    if (!text)
        return std::string();
    const int length =
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(SysStringLen(text)), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(length), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(SysStringLen(text)), &result[0], length, nullptr,
                            nullptr);
    SysFreeString(text);
    return result;
}

template <class Getter>
std::string ReadString(IAccessible* object, long childId, Getter getter)
{
    if (!object)
        return std::string();
    BSTR text = nullptr;
    return SUCCEEDED((object->*getter)(Id(childId), &text)) ? Narrow(text) : std::string();
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '\n' ? std::string("\\n") : c == '\r' ? std::string() : std::string(1, c);
    return quoted + "\"";
}

WinEventRecorder* g_recorder = nullptr;

}  // namespace

// Windows Vista's; the headers of the XP-level build leave it out.
extern "C" DWORD WINAPI GetProcessIdOfThread(HANDLE thread);

namespace {

}  // namespace

Accessible::Accessible(IAccessible* object, long childId) : m_childId(childId)
{
    if (object) {
        object->AddRef();
        m_object.reset(object, [](IAccessible* held) { held->Release(); });
    }
}

std::vector<std::string> Names(const std::vector<Accessible>& elements)
{
    std::vector<std::string> names;
    for (const Accessible& element : elements)
        names.push_back(element.Name());
    return names;
}

Accessible Accessible::OfWindow(HWND window)
{
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                          reinterpret_cast<void**>(&object))) ||
        !object)
        return Accessible();
    Accessible result(object, CHILDID_SELF);
    object->Release();
    return result;
}

Accessible Accessible::OfEvent(HWND window, LONG objectId, LONG childId)
{
    IAccessible* object = nullptr;
    VARIANT child;
    VariantInit(&child);
    if (FAILED(AccessibleObjectFromEvent(window, static_cast<DWORD>(objectId), static_cast<DWORD>(childId), &object,
                                         &child)) ||
        !object)
        return Accessible();
    Accessible result(object, child.vt == VT_I4 ? child.lVal : CHILDID_SELF);
    object->Release();
    VariantClear(&child);
    return result;
}

long Accessible::Role() const
{
    VARIANT role;
    VariantInit(&role);
    if (!m_object || FAILED(m_object->get_accRole(Id(m_childId), &role)) || role.vt != VT_I4)
        return 0;
    return role.lVal;
}

std::string Accessible::RoleText() const
{
    char text[64] = {};
    GetRoleTextA(static_cast<DWORD>(Role()), text, sizeof(text));
    return text;
}

std::string Accessible::Name() const { return ReadString(m_object.get(), m_childId, &IAccessible::get_accName); }
std::string Accessible::Description() const
{
    return ReadString(m_object.get(), m_childId, &IAccessible::get_accDescription);
}
std::string Accessible::Value() const { return ReadString(m_object.get(), m_childId, &IAccessible::get_accValue); }
std::string Accessible::Shortcut() const
{
    return ReadString(m_object.get(), m_childId, &IAccessible::get_accKeyboardShortcut);
}
std::string Accessible::DefaultAction() const
{
    return ReadString(m_object.get(), m_childId, &IAccessible::get_accDefaultAction);
}

long Accessible::State() const
{
    VARIANT state;
    VariantInit(&state);
    if (!m_object || FAILED(m_object->get_accState(Id(m_childId), &state)) || state.vt != VT_I4)
        return 0;
    return state.lVal;
}

HRESULT Accessible::NameStatus() const
{
    BSTR name = nullptr;
    const HRESULT result = m_object ? m_object->get_accName(Id(m_childId), &name) : E_POINTER;
    if (name)
        SysFreeString(name);
    return result;
}

namespace {

// The IAccessible behind a dispatch interface, as an element of its own.
Accessible OfDispatch(IDispatch* dispatch)
{
    IAccessible* object = nullptr;
    if (!dispatch || FAILED(dispatch->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&object))) || !object)
        return Accessible();
    Accessible result(object, CHILDID_SELF);
    object->Release();
    return result;
}

}  // namespace

Accessible Accessible::Parent() const
{
    if (!m_object)
        return Accessible();
    if (m_childId != CHILDID_SELF)
        return Accessible(m_object.get(), CHILDID_SELF);
    IDispatch* dispatch = nullptr;
    if (m_object->get_accParent(&dispatch) != S_OK || !dispatch)
        return Accessible();
    Accessible parent = OfDispatch(dispatch);
    dispatch->Release();
    return parent;
}

Accessible Accessible::Focus() const
{
    VARIANT focus;
    VariantInit(&focus);
    if (!m_object || m_childId != CHILDID_SELF || m_object->get_accFocus(&focus) != S_OK)
        return Accessible();
    Accessible result;
    if (focus.vt == VT_I4)
        result = Accessible(m_object.get(), focus.lVal);
    else if (focus.vt == VT_DISPATCH)
        result = OfDispatch(focus.pdispVal);
    VariantClear(&focus);
    return result;
}

std::vector<Accessible> Accessible::Children() const
{
    std::vector<Accessible> children;
    long count = 0;
    if (!m_object || m_childId != CHILDID_SELF || FAILED(m_object->get_accChildCount(&count)))
        return children;
    for (long id = 1; id <= count; ++id) {
        IDispatch* dispatch = nullptr;
        const HRESULT got = m_object->get_accChild(Id(id), &dispatch);
        IAccessible* child = nullptr;
        if (got == S_OK && dispatch &&
            SUCCEEDED(dispatch->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&child)))) {
            children.emplace_back(child, CHILDID_SELF);
            child->Release();
        } else if (got == S_FALSE) {
            children.emplace_back(m_object.get(), id);
        }
        if (dispatch)
            dispatch->Release();
    }
    return children;
}

Accessible Accessible::Find(long role, const std::string& name) const
{
    if (State() & STATE_SYSTEM_INVISIBLE)
        return Accessible();
    if (Role() == role && (name.empty() || Name() == name))
        return *this;
    for (const Accessible& child : Children()) {
        if (Accessible found = child.Find(role, name))
            return found;
    }
    return Accessible();
}

HRESULT Accessible::DoDefaultAction() const
{
    return m_object ? m_object->accDoDefaultAction(Id(m_childId)) : E_POINTER;
}

RECT Accessible::Location() const
{
    long left = 0, top = 0, width = 0, height = 0;
    if (!m_object || m_object->accLocation(&left, &top, &width, &height, Id(m_childId)) != S_OK)
        return RECT{};
    return RECT{left, top, left + width, top + height};
}

long Accessible::ChildAt(POINT point) const
{
    VARIANT hit;
    VariantInit(&hit);
    if (!m_object || m_object->accHitTest(point.x, point.y, &hit) != S_OK || hit.vt != VT_I4) {
        VariantClear(&hit);
        return -1;
    }
    return hit.lVal;
}

std::string ScreenReaderView(const Accessible& element, int depth)
{
    const long state = element.State();
    if (!element || (state & STATE_SYSTEM_INVISIBLE))
        return std::string();
    const std::string name = element.Name();
    std::string line = std::string(static_cast<size_t>(depth) * 2, ' ') + element.RoleText() + " " + Quoted(name);
    if (!element.Value().empty())
        line += " value " + Quoted(element.Value());
    const std::string description = element.Description();
    if (!description.empty() && description != name)
        line += " description " + Quoted(description);
    if (!element.Shortcut().empty())
        line += " shortcut " + element.Shortcut();
    const struct
    {
        long bit;
        const char* text;
    } notable[] = {{STATE_SYSTEM_FOCUSED, "focused"},
                   {STATE_SYSTEM_SELECTED, "selected"},
                   {STATE_SYSTEM_DEFAULT, "default"},
                   {STATE_SYSTEM_UNAVAILABLE, "unavailable"}};
    for (const auto& n : notable)
        if (state & n.bit)
            line += std::string(" [") + n.text + "]";
    std::string view = line + "\n";
    for (const Accessible& child : element.Children())
        view += ScreenReaderView(child, depth + 1);
    return view;
}

WinEventRecorder::WinEventRecorder()
{
    g_recorder = this;
    m_hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, Callback, 0, 0, WINEVENT_OUTOFCONTEXT);
}

WinEventRecorder::~WinEventRecorder()
{
    if (m_hook)
        UnhookWinEvent(m_hook);
    g_recorder = nullptr;
}

void CALLBACK WinEventRecorder::Callback(HWINEVENTHOOK /*hook*/, DWORD event, HWND hwnd, LONG objectId, LONG childId,
                                         DWORD thread, DWORD /*time*/)
{
    if (!g_recorder)
        return;
    char name[64] = {};
    if (hwnd)
        GetClassNameA(hwnd, name, sizeof(name));
    // The window may be gone (a dialog's end), and by the time the event is delivered here, its
    // process too: a thread seen before is known by what it was then.
    DWORD process = 0;
    if (HANDLE raiser = OpenThread(THREAD_QUERY_INFORMATION, FALSE, thread)) {
        process = GetProcessIdOfThread(raiser);
        CloseHandle(raiser);
        g_recorder->m_threadProcesses[thread] = process;
    } else if (g_recorder->m_threadProcesses.count(thread)) {
        process = g_recorder->m_threadProcesses[thread];
    }
    g_recorder->m_events.push_back(Event{process, event, name, objectId, childId, hwnd});
}

int WinEventRecorder::Count(DWORD event, const std::string& windowClass, LONG childId) const
{
    int count = 0;
    for (const Event& e : m_events) {
        const bool child = childId == kAnyChild || (e.objectId == OBJID_CLIENT && e.childId == childId);
        count += e.process == m_followed && e.event == event && (windowClass.empty() || e.windowClass == windowClass) &&
                         child
                     ? 1
                     : 0;
    }
    return count;
}

}  // namespace testing_support

namespace testing_support {

Accessible WinEventRecorder::LastFocus() const
{
    for (auto e = m_events.rbegin(); e != m_events.rend(); ++e)
        if (e->process == m_followed && e->event == EVENT_OBJECT_FOCUS)
            return Accessible::OfEvent(e->hwnd, e->objectId, e->childId);
    return Accessible();
}

}  // namespace testing_support
