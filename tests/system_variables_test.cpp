// system_variables_test.cpp - system variables: the environment first, then the
// machine-wide settings below the registry base key, with every limit and the gate.
#include <QZApplicationInfo.h>

#include "support/TestRegistry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using qztest::EnvGuard;
using qztest::TempTree;
using qztest::TestRegistry;

namespace {

class SysVarProbe : public QZApplicationInfo {
public:
    std::string lookUp(const char* name, unsigned int size = 1024) const
    {
        std::string buffer(size == 0 ? 1 : size, '#');
        _GetSysVar(name, buffer.data(), size);
        return buffer.c_str();
    }
};

// Each test reads below the base key of its own version, so that tests that run at the
// same time under one registry never see each other's values.
class SystemVariableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.set("CORVAN_HOME", tree.mkdir("home"));
        exe = tree.touch("home/app.exe");
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        version = 50.0f + static_cast<float>(std::hash<std::string>{}(test->name()) % 400) / 4.0f;
        QZApplicationInfo versionOnly;
        ASSERT_EQ(versionOnly.Initialize("Probe", version, "", exe.c_str(), 0, 1, 1), 1);
        base = versionOnly.GetSystemBaseRegistryPath();
        registry = std::make_unique<TestRegistry>(env, tree, base);
    }

    void initialize(SysVarProbe& info)
    {
        ASSERT_EQ(info.Initialize("Probe", version, "", exe.c_str(), 0, 1, 1), 1);
        ASSERT_EQ(base, info.GetSystemBaseRegistryPath());
    }

    EnvGuard env;
    TempTree tree;
    std::string exe;
    float version = 0;
    std::string base;
    std::unique_ptr<TestRegistry> registry;
};

} // namespace

TEST_F(SystemVariableTest, EnvironmentWinsOverTheRegistry)
{
    registry->setString("", "QZ_TEST_VAR", "from-registry");
    env.set("QZ_TEST_VAR", "from-environment");
    SysVarProbe info;
    initialize(info);
    EXPECT_EQ(info.lookUp("QZ_TEST_VAR"), "from-environment");
    env.unset("QZ_TEST_VAR");
    EXPECT_EQ(info.lookUp("QZ_TEST_VAR"), "from-registry");
}

TEST_F(SystemVariableTest, EmptyEnvironmentValueCountsAsAbsent)
{
    if (!qztest::canHoldEmptyVariables())
        GTEST_SKIP() << "this system cannot hold a variable set to the empty text";
    registry->setString("", "QZ_TEST_VAR", "from-registry");
    env.set("QZ_TEST_VAR", "");
    SysVarProbe info;
    initialize(info);
    EXPECT_EQ(info.lookUp("QZ_TEST_VAR"), "from-registry");
}

TEST_F(SystemVariableTest, ValuesThatDoNotFitAreIgnoredNotCut)
{
    registry->setString("", "QZ_TEST_VAR", "12345");
    env.set("QZ_TEST_VAR", "1234567890");
    SysVarProbe info;
    initialize(info);
    EXPECT_EQ(info.lookUp("QZ_TEST_VAR", 11), "1234567890");
    // Too long in the environment: the registry's shorter value is taken.
    EXPECT_EQ(info.lookUp("QZ_TEST_VAR", 10), "12345");
    EXPECT_EQ(info.lookUp("QZ_TEST_VAR", 6), "12345");
    // Too long in both.
    EXPECT_EQ(info.lookUp("QZ_TEST_VAR", 5), "");
    EXPECT_EQ(info.lookUp("QZ_TEST_VAR", 1), "");
}

TEST_F(SystemVariableTest, RegistryDataBeyondTheReadRoomIsUnreadable)
{
    registry->setString("", "FITS", std::string(1022, 'a'));
    registry->setString("", "TOO_LONG", std::string(1023, 'a'));
    SysVarProbe info;
    initialize(info);
    EXPECT_EQ(info.lookUp("FITS", 4096), std::string(1022, 'a'));
    EXPECT_EQ(info.lookUp("TOO_LONG", 4096), "");
}

TEST_F(SystemVariableTest, BackslashesInTheNameAddressSubkeysAndTheDefaultValue)
{
    registry->setString("Display\\Colors", "Background", "navy");
    registry->setString("Display", "", "default-of-display");
    registry->setString("Display", "Colors", "a value, not the key");
    SysVarProbe info;
    initialize(info);
    EXPECT_EQ(info.lookUp("Display\\Colors\\Background"), "navy");
    EXPECT_EQ(info.lookUp("Display\\"), "default-of-display");
    EXPECT_EQ(info.lookUp("Display\\Colors"), "a value, not the key");
    EXPECT_EQ(info.lookUp("display\\colors\\BACKGROUND"), "navy");
    EXPECT_EQ(info.lookUp("Display\\Missing"), "");
    EXPECT_EQ(info.lookUp("Nowhere\\Background"), "");
}

TEST_F(SystemVariableTest, NonTextValuesAreTheirBytesUpToTheFirstNul)
{
    registry->setDword("", "WORD", 0x00636261u);
    registry->setBinary("", "BYTES", std::string("xy\0z", 4));
    registry->setBinary("", "UNTERMINATED", "abc");
    registry->setDword("", "ZERO", 0);
    SysVarProbe info;
    initialize(info);
    EXPECT_EQ(info.lookUp("WORD"), "abc");
    EXPECT_EQ(info.lookUp("BYTES"), "xy");
    EXPECT_EQ(info.lookUp("UNTERMINATED"), "abc");
    EXPECT_EQ(info.lookUp("ZERO"), "");
}

TEST_F(SystemVariableTest, HomeArchitectureAndDisplayComeFromTheRegistryToo)
{
    const std::string home = tree.mkdir("registry-home");
    registry->setString("", "CORVAN_HOME", home + std::string(1, qztest::joinSeparator()));
    registry->setString("", "CORVAN_ARCH", "amd64");
    registry->setString("", "DISPLAY", "host:1");
    env.unset("CORVAN_HOME");
    QZApplicationInfo info;
    ASSERT_EQ(info.Initialize("Probe", version, "", exe.c_str(), 0, 1, 1), 1);
    std::string expected = home;
    for (char& c : expected)
        if (c == '\\')
            c = '/';
    EXPECT_STREQ(info.GetCorvanHome(), expected.c_str());
    EXPECT_STREQ(info.GetArchitecture(), "amd64");
    EXPECT_STREQ(info.GetXDisplayName(), "host:1");
}

TEST_F(SystemVariableTest, PublicLookupAnswersOnlyAfterInitializeAndForRoomOfOneByteOrMore)
{
    env.set("QZ_TEST_VAR", "value");
    QZApplicationInfo info;
    char value[16];
    std::memset(value, 'x', sizeof value);
    info.GetSysVar("QZ_TEST_VAR", value, sizeof value);
    EXPECT_STREQ(value, "");

    ASSERT_EQ(info.Initialize("Probe", version, "", exe.c_str(), 0, 1, 1), 1);
    std::memset(value, 'x', sizeof value);
    info.GetSysVar("QZ_TEST_VAR", value, 0);
    EXPECT_EQ(value[0], '\0');
    EXPECT_EQ(value[1], 'x');
    info.GetSysVar("QZ_TEST_VAR", value, sizeof value);
    EXPECT_STREQ(value, "value");
    info.GetSysVar(nullptr, value, sizeof value);
    EXPECT_STREQ(value, "");
    info.GetSysVar("QZ_TEST_VAR", nullptr, sizeof value);
}

TEST_F(SystemVariableTest, LongNamesAreServed)
{
    const std::string name(2000, 'N');
    env.set(name, "long");
    SysVarProbe info;
    initialize(info);
    EXPECT_EQ(info.lookUp(name.c_str()), "long");
    EXPECT_EQ(info.lookUp((std::string(3000, 'K') + "\\x").c_str()), "");
}
