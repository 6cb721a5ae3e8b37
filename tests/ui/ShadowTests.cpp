// The drop shadow: its image as plain arithmetic, and the shadow window following its owner.
#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "ui/dialogs/DropShadow.h"
#include "ui/dialogs/ShadowImage.h"

using namespace testing_support;

namespace {

int Alpha(std::uint32_t pixel) { return static_cast<int>(pixel >> 24); }

}  // namespace

TEST(ShadowImage, TheKernelFadesOverSixPixelsWithTheDefaults)
{
    const NRShadowStyle style;
    const std::vector<std::uint32_t> kernel = ShadowKernel(style);
    ASSERT_EQ(11u * 11u, kernel.size());
    std::vector<int> alongAxis;
    for (int dx = 0; dx <= 5; ++dx)
        alongAxis.push_back(Alpha(kernel[5 * 11 + 5 + dx]));
    EXPECT_EQ((std::vector<int>{150, 125, 100, 75, 50, 25}), alongAxis);
    EXPECT_EQ(0, Alpha(kernel[0])) << "a corner is beyond the radius";

    NRShadowStyle red;
    red.colour = RGB(255, 0, 0);
    EXPECT_EQ(0x96960000u, ShadowKernel(red)[5 * 11 + 5]) << "premultiplied: alpha 150, red 150";
}

TEST(ShadowImage, IsTransparentOverTheOwnerAndFadesBesideIt)
{
    const NRShadowStyle style;
    std::vector<std::uint32_t> pixels(200 * 100, 0);
    MakeShadowImage(RectangleSpans(200, 100), 200, style, pixels.data());
    const auto at = [&](int x, int y) { return Alpha(pixels[static_cast<std::size_t>(y * 200 + x)]); };
    // The shadow lies 5 pixels right of and below the owner: its pixels over the owner are clear.
    for (int y = 0; y < 95; ++y)
        for (int x = 0; x < 195; ++x)
            ASSERT_EQ(0, at(x, y)) << x << "," << y;
    // What shows beside it is the soft edge, fading outwards.
    EXPECT_EQ((std::vector<int>{125, 100, 75, 50, 25}),
              (std::vector<int>{at(195, 50), at(196, 50), at(197, 50), at(198, 50), at(199, 50)}));
    EXPECT_EQ((std::vector<int>{125, 25}), (std::vector<int>{at(100, 95), at(100, 99)}));
    EXPECT_EQ(0, at(199, 0)) << "the corner towards the light stays clear";
    EXPECT_EQ(0, at(199, 99)) << "and the far corner is round";
}

TEST(ShadowImage, AShapedOwnerCastsAShapedShadow)
{
    HRGN ellipse = CreateEllipticRgn(0, 0, 200, 100);
    const std::vector<NRSpan> rows = RegionSpans(ellipse, 200, 100);
    DeleteObject(ellipse);
    ASSERT_EQ(100u, rows.size());
    EXPECT_GT(rows[0].start, 50) << "the top row of an ellipse is short";
    EXPECT_LT(rows[50].start, 5);

    std::vector<std::uint32_t> pixels(200 * 100, 0);
    MakeShadowImage(rows, 200, NRShadowStyle(), pixels.data());
    EXPECT_EQ(0u, pixels[90 * 200 + 199]) << "no shadow at a corner the ellipse leaves out";
    EXPECT_GT(Alpha(pixels[98 * 200 + 100]), 0) << "below the ellipse's bottom";
    EXPECT_EQ(0, Alpha(pixels[50 * 200 + 100])) << "under the owner";
}

static bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

RECT Rect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

}  // namespace

TEST(DropShadow, FollowsItsOwnerInPlaceAndSizeAndHidesWhenItIsMinimised)
{
    ASSERT_TRUE(NRDropShadow::Initialize(GetModuleHandleA(nullptr)));
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_MINIMIZEBOX, 100, 100, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    {
        NRDropShadow shadow;
        shadow.Create(owner);
        ASSERT_TRUE(shadow.Created());
        EXPECT_EQ((RECT{105, 105, 305, 205}), Rect(shadow.ShadowWindow()));
        EXPECT_TRUE(IsWindowVisible(shadow.ShadowWindow()));

        EXPECT_FALSE(shadow.SetSize(21));
        EXPECT_TRUE(shadow.SetSize(2));
        EXPECT_EQ((RECT{103, 103, 307, 207}), Rect(shadow.ShadowWindow()));

        SetWindowPos(owner, nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        EXPECT_EQ((RECT{53, 63, 257, 167}), Rect(shadow.ShadowWindow()));

        ShowWindow(owner, SW_MINIMIZE);
        EXPECT_FALSE(IsWindowVisible(shadow.ShadowWindow()));
        ShowWindow(owner, SW_RESTORE);
        EXPECT_TRUE(IsWindowVisible(shadow.ShadowWindow()));
        EXPECT_TRUE(shadow.ShadowVisible());

        DestroyWindow(owner);
        EXPECT_FALSE(IsWindow(shadow.ShadowWindow())) << "goes with its owner";
    }
    NRDropShadow::Shutdown();
}
