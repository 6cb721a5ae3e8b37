#pragma once
// The process-wide objects of the installer, built during static initialisation in a fixed order.
#include "app/NoxSetupWnd.h"

extern NoxSetupWnd g_mainWnd;
