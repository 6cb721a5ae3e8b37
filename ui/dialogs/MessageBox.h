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
    // Tells button `index` its first key, and every button whether it is the default, for screen
    // readers.
    void DescribeButtonKeys(int index);
    // The button Enter presses when no button has the focus: the one with Enter among its keys,
    // else the first.
    int DefaultButton() const;
    // The button with Escape among its keys; -1: none.
    int EscapeButton() const;
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
