#pragma once
// The framed child window that holds a list box with its contents. NRListContainer is the one the
// installer uses for its progress lines: one column of rich-text lines, the newest current.
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/framework/WindowImpl.h"
#include "ui/lists/ListBox.h"
#include "ui/lists/ListBoxContents.h"

class NRListContainerBase : public NRWindowImpl<NRListContainerBase>, public NRAccessibleSource
{
public:
    static constexpr int kInset = 5;

    explicit NRListContainerBase(int columnCount = 1) : m_contents(columnCount) {}

    static NRWndClassInfo& GetWndClassInfo();

    NRListBoxContents& Contents() { return m_contents; }
    const NRListBoxContents& Contents() const { return m_contents; }
    NRListBox& ListBox() { return m_listBox; }

    // A reader meets the list once: the container is a plain, unnamed client area around the list
    // box, which is the list, named by the container's window text.
    NRAccessibleSource* AccessibleSource() override { return this; }
    long AccessibleRole() const override { return ROLE_SYSTEM_CLIENT; }
    std::string AccessibleName() const override { return std::string(); }

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void EraseBackground(HDC dc);

    NRListBoxContents m_contents;
    NRListBox m_listBox;
};

class NRListContainer : public NRListContainerBase
{
public:
    NRListContainer() : NRListContainerBase(1) {}

    // Adds one line: the formatted text with every line feed removed becomes a new item at the end,
    // which becomes current, and the list is redrawn at once.
    void AddLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AddText(const std::string& text);
    // Every line in order, each followed by a line feed. True when that is not empty.
    bool ReadAllText(std::string& text) const;

private:
    static constexpr std::int32_t kColumnWidths[1] = {180};
};
