// shadow_bench
// One drop-shadow rebuild (the image and UpdateLayeredWindow) for a 640 x 480 owner, and the image
// alone, against the floor of touching every pixel of a 32-bit DIB of that size once (a plain fill).
// Means of 50 runs.
#include <windows.h>

#include <cstdint>
#include <cstdio>

#include <vector>

#include "BenchClock.h"
#include "ui/dialogs/DropShadow.h"
#include "ui/dialogs/ShadowImage.h"

namespace {


}  // namespace

int main()
{
    constexpr int kRuns = 50, kWidth = 640, kHeight = 480;
    if (!NRDropShadow::Initialize(GetModuleHandleA(nullptr)))
        return 1;
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, kWidth, kHeight, nullptr, nullptr,
                                 nullptr, nullptr);
    NRDropShadow shadow;
    shadow.Create(owner);
    double start = NowMs();
    for (int i = 0; i < kRuns; ++i)
        shadow.Update(owner);
    const double rebuild = (NowMs() - start) / kRuns;

    std::vector<std::uint32_t> image(static_cast<std::size_t>(kWidth) * kHeight);
    start = NowMs();
    for (int i = 0; i < kRuns; ++i) {
        std::fill(image.begin(), image.end(), 0u);
        MakeShadowImage(RectangleSpans(kWidth, kHeight), kWidth, shadow.Style(), image.data());
    }
    const double imageOnly = (NowMs() - start) / kRuns;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    start = NowMs();
    for (int i = 0; i < kRuns; ++i) {
        auto* pixels = static_cast<volatile std::uint32_t*>(bits);
        for (int p = 0; p < kWidth * kHeight; ++p)
            pixels[p] = 0x96000000u + static_cast<std::uint32_t>(i);
    }
    const double fill = (NowMs() - start) / kRuns;
    DeleteObject(bitmap);
    DestroyWindow(owner);
    NRDropShadow::Shutdown();
    std::printf("rebuild: %.3f %.3f\n", rebuild, fill);
    std::printf("image: %.3f %.3f\n", imageOnly, fill);
    return 0;
}
