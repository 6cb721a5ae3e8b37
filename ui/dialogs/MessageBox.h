#pragma once
// NRMessageBox: the box through which the installer asks and reports. Its message shows in a
// scrolling rich-text pane above a row of up to three buttons, which keys can press:
//
//   type  button 1                    button 2                   button 3
//   0     "OK - F10", F10
//   1     "Ok", Enter, Escape, space
//   2     "Ok", Enter                 "Cancel", Escape
//   3     "Yes", Y                    "No", N, Escape
//   4     "Yes", Y                    "No", N                    "Cancel", Escape
//   5-7   "User1" .. "User3": captions and keys set by the caller
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/controls/Button.h"
#include "ui/controls/ScrollableRichText.h"
#include "ui/dialogs/Dialog.h"
#include "ui/text/RichText.h"

class NRMessageBoxButtons : public TNRDialog<NRMessageBoxButtons>
{
public:
    static constexpr int kMaxButtons = 3;
    static constexpr int kButtonGap = 10;

    NRMessageBoxButtons(HWND owner, int type);

    int Type() const { return m_type; }
    int ButtonCount() const { return m_buttonCount; }
    // For types 5 to 7 and an existing button only: false otherwise.
    bool SetButtonText(int index, const std::string& text);
    // The key also becomes the button's accelerator.
    bool AddButtonKey(int index, int key);
    virtual bool ButtonEnabled(int index) const { return index >= 0 && index < m_buttonCount; }

    // What pressing a button ends the run with.
    static int ResultOfButton(int type, int index);
    // A key as a screen reader names it: "Alt+Y", "Enter", "Esc", "F10"; empty for others.
    static std::string KeyName(int key);

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    // Tells button `index` its first key, for screen readers.
    void DescribeButtonKeys(int index);
    // The button the box opens with, and Enter presses while no button has the focus: the one with
    // Enter among its keys, else the first.
    int DefaultButton() const;
    // The first button with `key` among its keys; -1: none.
    int ButtonForKey(int key) const override;
    // Creates the buttons.
    void CreateButtons();
    // The size of the buttons' row, as measured.
    SIZE ButtonRowSize() const;
    void PlaceButtons(int windowWidth, int windowHeight, SIZE row);

    int m_type;
    int m_buttonCount;
    NRButton m_buttons[kMaxButtons];
    std::vector<int> m_keys[kMaxButtons];
};

// What Ctrl+C puts on the clipboard, as a standard message box does: the title, the text's lines
// and the button captions, each part between lines of dashes, with CR LF line ends.
std::string MessageBoxClipboardText(const std::string& title, const std::string& text,
                                    const std::vector<std::string>& buttons);

class NRMessageBox : public NRMessageBoxButtons
{
public:
    NRMessageBox(HWND owner, const std::string& text, int type);
    // Out of line, in the file built without the dead-store pass (see CMakeLists.txt).
    ~NRMessageBox() override;

    // A title (rich-text markup, one line) in a band above the message; set before the box runs.
    void SetTitle(const std::string& title) { m_title = title; }
    // Where the title is drawn; empty without a title.
    RECT TitleRect() const { return m_titleRect; }

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    NRScrollableRichText& Pane() { return m_pane; }

    // A reader hears the title, or without one the application's, as the box's name (also its window
    // text); the message as its description.
    std::string AccessibleName() const override;
    std::string AccessibleDescription() const override;

protected:
    // Ctrl+C: the box's name, its message and its buttons, as text.
    void CopyToClipboard() override;

private:
    void OnCreate();
    // Sizes the box for its text, title and buttons, centres it and places its parts.
    void LayOut();
    // Measures the box's parts again at the screen's new scale and lays it out anew.
    void ScaleChanged();
    void MeasureTitle();
    // The panel, with the title band over its top when there is a title.
    void PaintBackgroundWithTitle(HDC dc);

    std::string m_text;
    std::string m_title;
    NRRichText m_titleText;
    RECT m_titleRect = {0, 0, 0, 0};
    NRScrollableRichText m_pane;
};
