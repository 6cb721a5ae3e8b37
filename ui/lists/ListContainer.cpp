#include "ui/lists/ListContainer.h"

#include <algorithm>
#include <cstdarg>
#include <memory>

#include "platform/Text.h"
#include "ui/controls/Control.h"
#include "ui/framework/AppState.h"
#include "ui/lists/RichTextListItem.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/HighContrast.h"
#include "ui/theme/Painting.h"
#include "ui/theme/Scale.h"

namespace {

constexpr int kBackground = 5;
constexpr int kActiveFrame = 15;
constexpr int kInactiveFrame = 12;

}  // namespace

NRWndClassInfo& NRListContainerBase::GetWndClassInfo()
{
    static NRWndClassInfo info = {nullptr, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                  reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), IDC_ARROW, 0};
    return info;
}

bool NRListContainerBase::ProcessWindowMessage(HWND /*hwnd*/, UINT message, WPARAM wParam, LPARAM lParam,
                                               LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_CREATE:
        m_listBox.Create(Handle(), RECT{0, 0, 0, 0}, GetWindowText().c_str(),
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
        m_listBox.AttachContents(&m_contents);
        return true;
    case WM_SIZE:
        if (LOWORD(lParam) > 0 && HIWORD(lParam) > 0) {
            const int inset = WindowScale(Handle()).Px(kInset);
            ::SetWindowPos(m_listBox.Handle(), nullptr, inset, inset, LOWORD(lParam) - 2 * inset,
                           HIWORD(lParam) - 2 * inset, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return true;
    case WM_ERASEBKGND:
        EraseBackground(reinterpret_cast<HDC>(wParam));
        result = 1;
        return true;
    case WM_SETFOCUS:
        ::SetFocus(m_listBox.Handle());
        return true;
    case WM_NR_FOCUS_REQUEST:
        if (NRControl::FromNotification(Handle(), lParam) == &m_listBox)
            ::SetFocus(m_listBox.Handle());
        return true;
    default:
        return false;
    }
}

void NRListContainerBase::EraseBackground(HDC dc)
{
    NRDrawContext context(dc, Handle());
    const RECT client = GetClientRect();
    SetBkColor(dc, ThemeColour(context, kBackground, COLOR_WINDOW));
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    const NRAppState* state = NRAppState::Current();
    const bool active = !state || (state->ApplicationActive() && state->OpenDialogs().empty());
    NRBrushHandle frame(
        CreateSolidBrush(ThemeColour(context, active ? kActiveFrame : kInactiveFrame, COLOR_WINDOWTEXT)));
    FrameScaled(context, client, frame.Get());
}

constexpr std::int32_t NRListContainer::kColumnWidths[1];

void NRListContainer::AddLine(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = FormatTextV(format, args);
    va_end(args);
    AddText(text);
}

void NRListContainer::AddText(const std::string& text)
{
    std::string line = text;
    line.erase(std::remove(line.begin(), line.end(), '\n'), line.end());
    // The newest line becomes current while the user follows the newest; one who moved back through
    // the lines keeps their place, on the screen and in a reader's review.
    const NRListBoxItem* current = Contents().Current();
    const bool followingNewest = !current || current == Contents().Last();
    Contents().AddToEnd(std::make_unique<NRRichTextListItem>(&Contents(), line, 1, kColumnWidths));
    if (followingNewest)
        ListBox().ShowLastItem();
    else
        ListBox().ItemsChanged();
    if (ListBox().Handle()) {
        ::RedrawWindow(ListBox().Handle(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ListBox().Accessible().NotifyItemAdded(Contents().Count() - 1, followingNewest);
    }
}

bool NRListContainer::ReadAllText(std::string& text) const
{
    text.clear();
    for (int index = 0; index < Contents().Count(); ++index) {
        text += static_cast<const NRTextListItemBase*>(Contents().At(index))->Text();
        text += '\n';
    }
    return !text.empty();
}
