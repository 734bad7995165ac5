// platform_test.cpp
#include "platform/Platform.h"
#include <gtest/gtest.h>
TEST(Placeholder, Builds) { EXPECT_TRUE(qz::platform::exists(".")); }
