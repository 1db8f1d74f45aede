#include "config/configuration_manager.h"

#include "base/thread.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <vector>

TEST(MachineId, IsTheMachineGuidAndStable) {
    auto config = ConfigurationManager::GetInstance();
    const std::string id = config->GetMachineId();
    ASSERT_EQ(id.size(), 36u);
    for (size_t i = 0; i < id.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            EXPECT_EQ(id[i], '-');
        } else {
            EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(id[i]))) << id;
        }
    }
    EXPECT_EQ(config->GetMachineId(), id);
}

TEST(SessionId, IsFourteenDigitsOfLocalTimeFixedForTheRun) {
    auto config = ConfigurationManager::GetInstance();
    std::vector<std::string> seen(8);
    std::vector<std::unique_ptr<Thread>> threads;
    for (size_t i = 0; i < seen.size(); ++i) {
        threads.push_back(std::make_unique<Thread>(
            [&seen, i] { seen[i] = ConfigurationManager::GetInstance()->GetSessionId(); }));
    }
    for (auto& thread : threads) ASSERT_TRUE(thread->Started() && thread->Wait());
    const std::string id = seen[0];
    ASSERT_EQ(id.size(), 14u);
    for (char c : id) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)));
    for (const auto& other : seen) EXPECT_EQ(other, id);

    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(id.substr(0, 4), std::to_string(now.wYear));
    Sleep(1100);
    EXPECT_EQ(config->GetSessionId(), id);
}
