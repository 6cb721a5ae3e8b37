#pragma once
// The installer as an assistive tool sees it, through oleacc as a screen reader asks: the client
// object of a window, its children, their names, roles, states, keys and default actions, a
// printout of the whole tree, and a record of the events the installer raises.
#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct ScopedComApartment
{
    ScopedComApartment() { CoInitialize(nullptr); }
    ~ScopedComApartment() { CoUninitialize(); }
};

// One element of the tree: an object, or a simple child of it (childId > 0). Holds a reference.
class Accessible
{
public:
    Accessible() = default;
    Accessible(IAccessible* object, long childId);  // takes a reference of its own

    // The client object of `window` (AccessibleObjectFromWindow, OBJID_CLIENT); empty on failure.
    static Accessible OfWindow(HWND window);
    // What an event names, resolved as a reader resolves it (AccessibleObjectFromEvent); empty on
    // failure.
    static Accessible OfEvent(HWND window, LONG objectId, LONG childId);

    explicit operator bool() const { return m_object != nullptr; }
    IAccessible* Object() const { return m_object.get(); }
    long ChildId() const { return m_childId; }

    long Role() const;  // 0 when it cannot be read
    std::string RoleText() const;
    std::string Name() const;
    std::string Description() const;
    std::string Value() const;
    std::string Shortcut() const;
    std::string DefaultAction() const;
    long State() const;
    // The HRESULT of get_accName, for objects that should answer with an error.
    HRESULT NameStatus() const;
    std::vector<Accessible> Children() const;
    // The element one up (get_accParent; a simple child's is its object); empty at the top.
    Accessible Parent() const;
    // The child that has the focus, as get_accFocus names it (itself for CHILDID_SELF); empty when
    // nothing of it has.
    Accessible Focus() const;
    // The first visible descendant (depth first, this one included) with `role` and, when given, `name`.
    Accessible Find(long role, const std::string& name = std::string()) const;
    HRESULT DoDefaultAction() const;
    // Where it is on the screen; empty when it cannot say.
    RECT Location() const;
    // The child id of the simple child of this object at `point` on the screen (0: the object itself,
    // -1: nothing of it there).
    long ChildAt(POINT point) const;

private:
    std::shared_ptr<IAccessible> m_object;
    long m_childId = CHILDID_SELF;
};

std::vector<std::string> Names(const std::vector<Accessible>& elements);

// The tree below `element` as a reader walks it, one element a line, indented by depth: role, name
// in quotes, then value, description (when it is not the name), shortcut and notable states.
// Invisible elements are left out.
std::string ScreenReaderView(const Accessible& element, int depth = 0);

// The accessibility events every process raises while the object lives (delivered while this
// thread pumps its messages), counted for one of them: made before that process starts, it misses
// none of its events.
class WinEventRecorder
{
public:
    struct Event
    {
        DWORD process;
        DWORD event;
        std::string windowClass;
        LONG objectId;
        LONG childId;
        HWND hwnd;
    };
    WinEventRecorder();
    ~WinEventRecorder();
    WinEventRecorder(const WinEventRecorder&) = delete;
    WinEventRecorder& operator=(const WinEventRecorder&) = delete;

    // The process whose events Count counts.
    void Follow(DWORD pid) { m_followed = pid; }
    const std::vector<Event>& Events() const { return m_events; }
    // How many of `event` came from a window of class `windowClass` ("" for any), for the client
    // area's child `childId` (any when none is given).
    int Count(DWORD event, const std::string& windowClass = std::string(), LONG childId = kAnyChild) const;
    static constexpr LONG kAnyChild = -1000;
    // The object of the followed process's latest focus event, resolved now; empty when there was
    // none or it is gone.
    Accessible LastFocus() const;

private:
    static void CALLBACK Callback(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG objectId, LONG childId, DWORD thread,
                                  DWORD time);
    HWINEVENTHOOK m_hook = nullptr;
    std::vector<Event> m_events;
    std::map<DWORD, DWORD> m_threadProcesses;  // thread id -> process id, as first resolved
    DWORD m_followed = 0;
};

}  // namespace testing_support
