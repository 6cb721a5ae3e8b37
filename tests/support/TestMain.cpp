// The main of every test executable: the window framework's module is set up as start-up would.
#include <gtest/gtest.h>

#include "ui/framework/AppModule.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    g_module.Init(GetModuleHandleA(nullptr));
    const int result = RUN_ALL_TESTS();
    g_module.Term();
    return result;
}
