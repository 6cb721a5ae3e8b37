#include "ui/dialogs/MessageBox.h"

#include <algorithm>
#include <exception>

#include "platform/Clipboard.h"
#include "platform/Error.h"
#include "ui/framework/AppState.h"
#include "ui/controls/Control.h"
#include "ui/text/DcTextSurface.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/FaceColours.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/HighContrast.h"
#include "ui/theme/Painting.h"
#include "ui/theme/Scale.h"

namespace {

struct ButtonSetUp
{
    const char* caption;
    char accelerator;
    std::vector<int> keys;
};

constexpr int kEnter = 13, kEscape = 27, kSpace = 32, kF10 = 121, kY = 'Y', kN = 'N';

std::vector<ButtonSetUp> ButtonsOfType(int type)
{
    switch (type) {
    case 0:
        return {{"OK - F10", 0, {kF10}}};
    case 1:
        return {{"Ok", 0, {kEnter, kEscape, kSpace}}};
    case 2:
        return {{"Ok", 0, {kEnter}}, {"Cancel", 0, {kEscape}}};
    case 3:
        return {{"Yes", 'Y', {kY}}, {"No", 'N', {kN, kEscape}}};
    case 4:
        return {{"Yes", 'Y', {kY}}, {"No", 'N', {kN}}, {"Cancel", 0, {kEscape}}};
    case 5:
        return {{"User1", 0, {}}};
    case 6:
        return {{"User1", 0, {}}, {"User2", 0, {}}};
    default:
        return {{"User1", 0, {}}, {"User2", 0, {}}, {"User3", 0, {}}};
    }
}

}  // namespace

NRMessageBoxButtons::NRMessageBoxButtons(HWND owner, int type)
    : TNRDialog<NRMessageBoxButtons>(owner, false), m_type(std::max(0, std::min(type, 7)))
{
    const std::vector<ButtonSetUp> buttons = ButtonsOfType(m_type);
    m_buttonCount = static_cast<int>(buttons.size());
    for (int i = 0; i < m_buttonCount; ++i) {
        m_buttons[i].SetCaption(buttons[static_cast<std::size_t>(i)].caption,
                                buttons[static_cast<std::size_t>(i)].accelerator);
        m_keys[i] = buttons[static_cast<std::size_t>(i)].keys;
        DescribeButtonKeys(i);
    }
}

std::string NRMessageBoxButtons::KeyName(int key)
{
    // A letter or digit reads as a standard control's mnemonic does; Alt with it presses the button too.
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return std::string("Alt+") + static_cast<char>(key);
    if (key >= VK_F1 && key <= VK_F24)
        return "F" + std::to_string(key - VK_F1 + 1);
    switch (key) {
    case kEnter:
        return "Enter";
    case kEscape:
        return "Esc";
    case kSpace:
        return "Space";
    default:
        return std::string();
    }
}

void NRMessageBoxButtons::DescribeButtonKeys(int index)
{
    const std::vector<int>& keys = m_keys[index];
    m_buttons[index].SetShortcut(keys.empty() ? std::string() : KeyName(keys.front()));
}

int NRMessageBoxButtons::DefaultButton() const
{
    for (int i = 0; i < m_buttonCount; ++i)
        if (std::find(m_keys[i].begin(), m_keys[i].end(), kEnter) != m_keys[i].end())
            return i;
    return 0;
}

int NRMessageBoxButtons::ButtonForKey(int key) const
{
    for (int i = 0; i < m_buttonCount; ++i)
        if (std::find(m_keys[i].begin(), m_keys[i].end(), key) != m_keys[i].end())
            return i;
    return -1;
}

std::string MessageBoxClipboardText(const std::string& title, const std::string& text,
                                    const std::vector<std::string>& buttons)
{
    // As a standard message box puts itself there: title, text and buttons between rules.
    const std::string rule = "---------------------------\r\n";
    std::string lines;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = text.find('\n', start);
        lines += text.substr(start, end == std::string::npos ? std::string::npos : end - start) + "\r\n";
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    std::string row;
    for (const std::string& button : buttons)
        row += button + "   ";
    return rule + title + "\r\n" + rule + lines + rule + row + "\r\n" + rule;
}

int NRMessageBoxButtons::ResultOfButton(int type, int index)
{
    switch (index) {
    case 0:
        return type <= 2 ? kResultOk : type <= 4 ? kResultYes : kResultUser1;
    case 1:
        return type == 2 ? kResultCancel : type <= 4 ? kResultNo : kResultUser2;
    default:
        return type == 4 ? kResultCancel : kResultUser3;
    }
}

bool NRMessageBoxButtons::SetButtonText(int index, const std::string& text)
{
    if (m_type < 5 || index < 0 || index >= m_buttonCount)
        return false;
    m_buttons[index].SetCaption(text, m_buttons[index].Accelerator());
    return true;
}

bool NRMessageBoxButtons::AddButtonKey(int index, int key)
{
    if (m_type < 5 || index < 0 || index >= m_buttonCount)
        return false;
    m_keys[index].push_back(key);
    m_buttons[index].SetCaption(m_buttons[index].Caption(), static_cast<char>(key));
    DescribeButtonKeys(index);
    return true;
}

void NRMessageBoxButtons::CreateButtons()
{
    std::vector<NRButton*> row;
    for (int i = 0; i < m_buttonCount; ++i) {
        m_buttons[i].Create(Handle(), RECT{0, 0, 0, 0});
        row.push_back(&m_buttons[i]);
    }
    m_focus.SetButtons(row, DefaultButton());
}

SIZE NRMessageBoxButtons::ButtonRowSize() const
{
    const int gap = WindowScale(Handle()).Px(kButtonGap);
    SIZE row = {0, 0};
    for (int i = 0; i < m_buttonCount; ++i) {
        const SIZE size = m_buttons[i].Size();
        row.cx += size.cx + (i ? gap : 0);
        row.cy = std::max(row.cy, size.cy);
    }
    return row;
}

void NRMessageBoxButtons::PlaceButtons(int windowWidth, int windowHeight, SIZE row)
{
    const NRScale scale = WindowScale(Handle());
    int x = (windowWidth - row.cx) / 2;
    const int y = windowHeight - scale.Px(10) - row.cy;
    for (int i = 0; i < m_buttonCount; ++i) {
        const SIZE size = m_buttons[i].Size();
        ::SetWindowPos(m_buttons[i].Handle(), nullptr, x, y, size.cx, row.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        x += size.cx + scale.Px(kButtonGap);
    }
}

bool NRMessageBoxButtons::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_NR_CLICKED: {
        NRControl* sender = NRControl::FromNotification(Handle(), lParam);
        for (int i = 0; i < m_buttonCount && wParam == 0 && sender; ++i) {
            if (sender == &m_buttons[i] && m_buttons[i].Enabled() && ButtonEnabled(i))
                EndDialog(ResultOfButton(m_type, i));
        }
        result = 0;
        return true;
    }
    default:
        return NRPopupDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
    }
}

NRMessageBox::NRMessageBox(HWND owner, const std::string& text, int type)
    : NRMessageBoxButtons(owner, type), m_text(text), m_pane(text, this)
{
}

NRMessageBox::~NRMessageBox() = default;

std::string NRMessageBox::AccessibleName() const
{
    if (!m_title.empty())
        return MarkupPlainText(m_title, true);
    // Untitled, it is named as a standard box is, by the application's title: its owner's, or the
    // main window's; without either, by the message's first line, never the whole message again.
    const NRAppState* state = NRAppState::Current();
    for (const HWND window : {m_owner, state ? state->MainWindow() : nullptr}) {
        char text[260] = {};
        if (window && ::GetWindowTextA(window, text, sizeof(text)) > 0)
            return text;
    }
    const std::string message = AccessibleDescription();
    return message.substr(0, message.find('\n'));
}

void NRMessageBox::CopyToClipboard()
{
    std::vector<std::string> captions;
    for (int i = 0; i < m_buttonCount; ++i)
        captions.push_back(m_buttons[i].Caption());
    std::string text = AccessibleDescription();
    // The pane ends a message that ends with a line break without an empty last line.
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    CopyTextToClipboard(Handle(), MessageBoxClipboardText(AccessibleName(), text, captions));
}

std::string NRMessageBox::AccessibleDescription() const
{
    // The pane's words as drawn; before it exists, the text's own.
    return m_pane.Handle() ? m_pane.PlainText() : MarkupPlainText(m_text);
}

void NRMessageBox::MeasureTitle()
{
    m_titleText.SetSingleLine(true);
    NRWindowDC dc(Handle());
    NRDrawContext context(dc.Get(), Handle());
    // A title with a markup error shows what was parsed before it.
    try {
        m_titleText.Measure(context, m_title);
    } catch (const NRError&) {
    }
    const NRScale scale = WindowScale(Handle());
    const int left = scale.Px(10), top = scale.Px(3);
    m_titleRect = {left, top, m_titleText.MeasuredWidth() + left, m_titleText.MeasuredHeight() + top};
}

void NRMessageBox::OnCreate()
{
    CreateButtons();
    m_pane.Create(Handle(), RECT{0, 0, 0, 0});
    // Readable from outside, as a standard box's text and caption are.
    m_pane.SetWindowText(m_text.c_str());
    SetWindowText(AccessibleName().c_str());
    LayOut();
}

void NRMessageBox::LayOut()
{
    const NRScale scale = WindowScale(Handle());
    const SIZE row = ButtonRowSize();
    const bool titled = !m_title.empty();
    if (titled)
        MeasureTitle();
    const int titleHeight = m_titleRect.bottom - m_titleRect.top;
    const int paneWidth = std::max<int>({row.cx, m_pane.MeasuredWidth(), m_titleText.MeasuredWidth()});
    const int width = paneWidth + scale.Px(20);
    const int height = row.cy + m_pane.MeasuredHeight() + scale.Px(30) + (titled ? titleHeight + scale.Px(6) : 0);
    SizeAndCentre(width, height);
    const RECT client = GetClientRect();
    const int paneTop = titled ? titleHeight + scale.Px(16) : scale.Px(10);
    ::SetWindowPos(m_pane.Handle(), nullptr, scale.Px(10), paneTop, client.right - scale.Px(20),
                   client.bottom - row.cy - paneTop - scale.Px(20), SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceButtons(client.right, client.bottom, row);
}

void NRMessageBox::ScaleChanged()
{
    for (int i = 0; i < m_buttonCount; ++i)
        m_buttons[i].Remeasure();
    m_pane.MeasureText();
    LayOut();
}

void NRMessageBox::PaintBackgroundWithTitle(HDC dc)
{
    NRDrawContext context(dc, Handle());
    const RECT client = GetClientRect();
    const int left = client.left, top = client.top, right = client.right;
    PaintPanelBackground(context, left, top, right, client.bottom);
    const bool active = IsActiveDialog();
    const int bandBottom = top + (m_titleRect.bottom - m_titleRect.top) + context.ScaleY().Px(6);
    // In High Contrast the band is the box's caption, flat in the caption's colour.
    const int caption = CaptionSystemFace(active).fill;
    HorizontalGradient(context, left + 1, top + 1, right - 1, bandBottom,
                       ThemeColour(context, active ? 16 : 20, caption),
                       ThemeColour(context, active ? 13 : 21, caption));
    // The rule under the band, one scaled pixel thick.
    NRBrushHandle rule(CreateSolidBrush(ThemeColour(context, active ? 18 : 12, COLOR_WINDOWTEXT)));
    const RECT line = {left, bandBottom, right, bandBottom + context.ScaleY().Px(1)};
    FillRect(context.Dc(), &line, rule.Get());
}

bool NRMessageBox::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_CREATE) {
        OnCreate();
        result = 0;
        return true;
    }
    if (message == WM_NR_SCALE_CHANGED)
        ScaleChanged();
    if (message == WM_ERASEBKGND && !m_title.empty()) {
        PaintBackgroundWithTitle(reinterpret_cast<HDC>(wParam));
        result = 1;
        return true;
    }
    if (message == WM_PAINT && !m_title.empty()) {
        NRPaintCycle cycle(Handle());
        NRDrawContext context(cycle.Dc(), Handle());
        NRDcTextSurface surface(context, CaptionSystemFace(IsActiveDialog()).text);
        try {
            m_titleText.Layout(surface, m_titleRect.left, m_titleRect.top, m_titleRect.right, m_titleRect.bottom);
        } catch (const std::exception&) {
            // Drawing reads what measuring accepted; nothing is left to report here.
        }
        result = 0;
        return true;
    }
    return NRMessageBoxButtons::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}
