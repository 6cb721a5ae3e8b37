#include <gtest/gtest.h>

#include "platform/SystemLibrary.h"
#include "ui/dialogs/DropShadow.h"

TEST(DropShadowSupport, InitialisesOnceAndRegistersTheShadowClass)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const bool dwmapiLoadedBefore = GetModuleHandleA("dwmapi.dll") != nullptr;
    ASSERT_TRUE(NRDropShadow::Initialize(instance));
    EXPECT_TRUE(NRDropShadow::Available());
    const bool systemHasDwmapi = GetFileAttributesA(SystemLibraryPath("dwmapi.dll").c_str()) != INVALID_FILE_ATTRIBUTES;
    EXPECT_EQ(systemHasDwmapi, NRDropShadow::DwmIsCompositionEnabledFunction() != nullptr)
        << "found where the system folder has it";
    EXPECT_FALSE(NRDropShadow::Initialize(instance)) << "a second call does nothing";

    WNDCLASSEXA info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetClassInfoExA(instance, "TarnShadowWnd", &info));
    EXPECT_EQ(static_cast<UINT>(CS_HREDRAW | CS_VREDRAW), info.style);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), info.hbrBackground);

    NRDropShadow::Shutdown();
    EXPECT_FALSE(NRDropShadow::Available());
    EXPECT_FALSE(GetClassInfoExA(instance, "TarnShadowWnd", &info)) << "the class goes with it";
    EXPECT_EQ(dwmapiLoadedBefore, GetModuleHandleA("dwmapi.dll") != nullptr) << "and so does its hold on dwmapi";
    EXPECT_TRUE(NRDropShadow::Initialize(instance)) << "and it can be set up again";
    NRDropShadow::Shutdown();
}
