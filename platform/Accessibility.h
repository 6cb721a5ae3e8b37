#pragma once
// What assistive technology (screen readers, UI automation) asks of Windows for us: oleacc's
// LresultFromObject to hand an IAccessible to a WM_GETOBJECT caller, its standard window object for
// the frame around our own, the BSTR strings IAccessible answers in, and the events that tell a
// reader something changed. oleacc and oleaut32 are not known DLLs: they are loaded by full path
// from the system folder the first time one is needed and stay loaded, since a reader may still
// hold our objects' proxies when the program winds down.
#include <windows.h>
#include <oaidl.h>
#include <oleacc.h>

#include <string>

// IID_IAccessible, {618736E0-3C3D-11CF-810C-00AA00389B71}. The MinGW library's symbol is wrong.
extern const IID kIidAccessible;

// The answer to WM_GETOBJECT for `object`; 0 (the caller then asks the system) when oleacc is missing.
LRESULT AccessibleObjectResult(REFIID iid, WPARAM wParam, IUnknown* object);

// The system's object of `hwnd` for `objectId` (OBJID_WINDOW: the frame around the client object).
HRESULT StandardAccessibleObject(HWND hwnd, LONG objectId, REFIID iid, void** object);

// IAccessible's type information from oleacc's type library, as the system's own objects give it
// to IDispatch callers; null when it cannot be read. Held for the process's life: not to be released.
ITypeInfo* AccessibleTypeInfo();
// IDispatch through that type information: member ids by name, and calls by id on `object`.
// E_NOTIMPL when it cannot be read.
HRESULT AccessibleIdsOfNames(OLECHAR** names, UINT count, DISPID* ids);
HRESULT AccessibleInvoke(IAccessible* object, DISPID member, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                         EXCEPINFO* exception, UINT* argumentError);

// `text` (ANSI code page) as a new BSTR, or null when it cannot be made.
BSTR AccessibleString(const std::string& text);

// NotifyWinEvent: tells readers that `event` happened to `hwnd`'s object (OBJID_CLIENT, ...) child.
void NotifyAccessibilityEvent(DWORD event, HWND hwnd, LONG objectId, LONG childId);
