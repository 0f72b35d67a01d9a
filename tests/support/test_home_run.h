#pragma once

#include <gtest/gtest.h>

template <class App>
int TestHome::runAll(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setUp();
    int result = 0;
    {
        App app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    tearDown();
    return result;
}
