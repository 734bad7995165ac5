// initialize_test.cpp
#include <QZApplicationInfo.h>
#include <gtest/gtest.h>
TEST(Placeholder, Builds) { QZApplicationInfo info; EXPECT_FALSE(info.GetInitializedStatus()); }
