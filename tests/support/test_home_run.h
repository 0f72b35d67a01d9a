#pragma once

#include <gtest/gtest.h>

namespace TestHome {

// Where the test data and the built programs are, for an executable run by hand (ctest names them).
void useBuildFoldersUnlessTold();

// A fresh HOME for every test case, and the registered resets after it.
class FreshHomePerTest final : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo &) override { setUp(); }
    void OnTestEnd(const ::testing::TestInfo &) override;
};

} // namespace TestHome

template <class App>
int TestHome::runAll(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    useBuildFoldersUnlessTold();
    setUp(); // the application object reads its environment once, before the first case
    int result = 0;
    {
        App app(argc, argv);
        tearDown();
        ::testing::UnitTest::GetInstance()->listeners().Append(new FreshHomePerTest);
        result = RUN_ALL_TESTS();
    }
    return result;
}
