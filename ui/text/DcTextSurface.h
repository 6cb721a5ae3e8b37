#pragma once
// The rich-text engine's surface on Windows: a drawing context's normal font. While the surface
// lives, that font is selected; drawing sets a transparent background and top-left alignment. All
// of it is put back when the surface goes. In High Contrast all text is one system colour, that of
// the text of what it is drawn on: colour codes change nothing.
#include <windows.h>

#include "ui/text/RichText.h"

class NRDrawContext;

class NRDcTextSurface : public NRTextSurface
{
public:
    // `contrastText`: the system colour (COLOR_...) text takes in High Contrast.
    explicit NRDcTextSurface(const NRDrawContext& context, int contrastText = COLOR_WINDOWTEXT);
    ~NRDcTextSurface();
    NRDcTextSurface(const NRDcTextSurface&) = delete;
    NRDcTextSurface& operator=(const NRDcTextSurface&) = delete;

    int LineHeight() const override;
    int TextWidth(const char* text, std::size_t length) override;
    NRColour DefaultTextColour() const override;
    NRColour LetterColour(int index) const override;
    void BeginDrawing() override;
    void SetTextColour(NRColour colour) override;
    void DrawText(int x, int y, const char* text, std::size_t length) override;

private:
    const NRDrawContext& m_context;
    HDC m_dc;
    bool m_contrast;
    COLORREF m_contrastText;
    HGDIOBJ m_previousFont = nullptr;
    bool m_drawing = false;
    int m_previousBkMode = 0;
    UINT m_previousAlign = 0;
    COLORREF m_previousColour = 0;
};
