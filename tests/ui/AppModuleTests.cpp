#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <vector>

#include "ui/framework/AppModule.h"
#include "ui/framework/MessageLoop.h"

TEST(AppModule, TouchesNothingBeforeInitAndAnswersNothingAfterTerm)
{
    // Made over a known pattern: entering its lock before Init would change the lock's bytes.
    alignas(NRAppModule) unsigned char storage[sizeof(NRAppModule)];
    std::memset(storage, 0xFF, sizeof(storage));
    auto* module = new (storage) NRAppModule;
    const std::vector<unsigned char> fresh(storage, storage + sizeof(storage));

    NRMessageLoop loop;
    int windowObject = 0;
    const auto expectInert = [&](const char* when) {
        EXPECT_FALSE(module->AddMessageLoop(&loop)) << when;
        EXPECT_FALSE(module->RemoveMessageLoop()) << when;
        EXPECT_EQ(nullptr, module->GetMessageLoop()) << when;
        EXPECT_FALSE(module->AddCreatingWindow(&windowObject)) << when;
        EXPECT_EQ(nullptr, module->TakeCreatingWindow()) << when;
    };
    expectInert("before Init");
    EXPECT_EQ(fresh, std::vector<unsigned char>(storage, storage + sizeof(storage))) << "touched before Init";

    ASSERT_TRUE(module->Init(GetModuleHandleA(nullptr)));
    EXPECT_TRUE(module->AddMessageLoop(&loop));
    EXPECT_EQ(&loop, module->GetMessageLoop());
    EXPECT_TRUE(module->AddCreatingWindow(&windowObject));
    module->Term();

    expectInert("after Term");
    module->~NRAppModule();
}
