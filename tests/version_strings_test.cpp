// version_strings_test.cpp - version strings in their three forms, titles, the copyright
// statement and the registry base paths.
#include <QZApplicationInfo.h>

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

using qztest::EnvGuard;
using qztest::TempTree;

namespace {

class Versions : public QZApplicationInfo {
public:
    Versions(float version, const char* suffix = "build60")
    {
        _applicationVersion = version;
        _buildSuffix = const_cast<char*>(suffix);
    }
    ~Versions() { _buildSuffix = nullptr; }
    Versions(const Versions&) = delete;
    Versions& operator=(const Versions&) = delete;

    std::string of(int type)
    {
        std::unique_ptr<char[]> text(_GetVersionString(static_cast<_VersionStringType>(type)));
        return text.get();
    }
};

class VersionStringTest : public ::testing::Test {
protected:
    void SetUp() override { env.isolate(); }
    EnvGuard env;
};

struct VersionRow {
    float version;
    const char* full;
    const char* display;
    const char* compact;
};

} // namespace

TEST_F(VersionStringTest, ThreeFormsOfFiniteVersions)
{
    const VersionRow rows[] = {
        {10.0f, "10.0build60", "10.0", "100build60"},
        {7.0f, "7.0build60", "7.0", "70build60"},
        {11.0f, "11.0build60", "11.0", "110build60"},
        {10.5f, "10.5build60", "10.5", "105build60"},
        {10.25f, "10.25build60", "10.25", "1025build60"},
        {9.1f, "9.1build60", "9.1", "91build60"},
        {0.0f, "0.0build60", "0.0", "00build60"},
        {-2.5f, "-2.5build60", "-2.5", "-25build60"},
        {123456.7f, "123457build60", "123457", "1234567build60"},
        {1e-7f, "1e-07build60", "1e-07", "9999999build60"}, // single-precision steps
    };
    for (const VersionRow& row : rows) {
        Versions v(row.version);
        EXPECT_EQ(v.of(0), row.full) << row.version;
        EXPECT_EQ(v.of(1), row.display) << row.version;
        EXPECT_EQ(v.of(2), row.compact) << row.version;
    }
}

TEST_F(VersionStringTest, DisplayFormCarriesTheBuildOnlyWhenAskedForByANonZeroNumber)
{
    const std::pair<const char*, const char*> cases[] = {
        {"1", "10.0build60"}, {"-1", "10.0build60"}, {"7x", "10.0build60"},
        {"0", "10.0"},        {"yes", "10.0"},       {"", "10.0"},
    };
    for (const auto& [value, expected] : cases) {
        env.set("QZDISPLAY_BUILD", value);
        Versions v(10.0f);
        EXPECT_EQ(v.of(1), expected) << '"' << value << '"';
        EXPECT_EQ(v.of(0), "10.0build60");
    }
}

TEST_F(VersionStringTest, UnknownTypeHasOnlyTheSuffixAndAnEmptySuffixAddsNothing)
{
    Versions v(10.0f);
    EXPECT_EQ(v.of(3), "build60");
    EXPECT_EQ(v.of(-1), "build60");
    Versions bare(10.5f, "");
    EXPECT_EQ(bare.of(0), "10.5");
    EXPECT_EQ(bare.of(2), "105");
}

// Versions without an integer part of 32 bits are written in the stream's general form
// in every form, rather than converted out of range or multiplied forever.
TEST_F(VersionStringTest, VersionsWithoutAnIntegerPartGetTheGeneralForm)
{
    const std::pair<float, const char*> cases[] = {
        {std::numeric_limits<float>::infinity(), "inf"},
        {-std::numeric_limits<float>::infinity(), "-inf"},
        {2147483648.0f, "2.14748e+09"},
        {-3e9f, "-3e+09"},
        {1e30f, "1e+30"},
    };
    for (const auto& [version, number] : cases) {
        Versions v(version);
        for (int type = 0; type <= 2; ++type)
            EXPECT_EQ(v.of(type), std::string(number) + (type == 1 ? "" : "build60")) << version << " " << type;
    }
    Versions nan(std::numeric_limits<float>::quiet_NaN());
    EXPECT_NE(nan.of(2).find("nan"), std::string::npos);
}

TEST_F(VersionStringTest, LargestIntegralVersionsBelowTheLimitStayIntegers)
{
    Versions v(2147483520.0f); // the largest float below 2^31
    EXPECT_EQ(v.of(0), "2147483520.0build60");
    EXPECT_EQ(v.of(2), "21474835200build60");
}

namespace {

class NoticesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.set("CORVAN_HOME", tree.mkdir("home"));
        exe = tree.touch("home/app.exe");
    }

    EnvGuard env;
    TempTree tree;
    std::string exe;
};

} // namespace

TEST_F(NoticesTest, TitlesShowTheDisplayVersionAndThePatchLevel)
{
    struct Case {
        const char* name;
        float version;
        int patch;
        const char* build;
        const char* noPatch;
        const char* title;
    };
    const Case cases[] = {
        {"Ryndel", 10.0f, 3, nullptr, "Ryndel v10.0", "Ryndel v10.0-003"},
        {"Ryndel", 10.0f, 3, "0", "Ryndel v10.0", "Ryndel v10.0-003"},
        {"Ryndel", 10.0f, 3, "1", "Ryndel v10.0build60", "Ryndel v10.0build60-003"},
        {"Ryndel", 10.5f, 12, nullptr, "Ryndel v10.5", "Ryndel v10.5-012"},
        {"Ryndel", 10.0f, 1234, nullptr, "Ryndel v10.0", "Ryndel v10.0-1234"},
        {"Ryndel", 10.0f, -1, nullptr, "Ryndel v10.0", "Ryndel v10.0--01"},
        {"Obrenn Studio", 9.1f, 0, nullptr, "Obrenn Studio v9.1", "Obrenn Studio v9.1"},
    };
    for (const Case& c : cases) {
        if (c.build)
            env.set("QZDISPLAY_BUILD", c.build);
        else
            env.unset("QZDISPLAY_BUILD");
        QZApplicationInfo info;
        ASSERT_EQ(info.Initialize(c.name, c.version, "s@x", exe.c_str(), c.patch, 2009, 2009), 1);
        EXPECT_STREQ(info.GetApplicationTitleNoPatch(), c.noPatch);
        EXPECT_STREQ(info.GetApplicationTitle(), c.title);
        EXPECT_NE(info.GetApplicationTitle(), info.GetApplicationTitleNoPatch());
    }
}

TEST_F(NoticesTest, TitlesOfAnyLengthComeOutWhole)
{
    for (std::size_t length : {240u, 250u, 251u, 255u, 256u, 5000u}) {
        const std::string name(length, 'N');
        QZApplicationInfo info;
        ASSERT_EQ(info.Initialize(name.c_str(), 10.0f, "s@x", exe.c_str(), 7, 2009, 2009), 1);
        EXPECT_EQ(std::string(info.GetApplicationTitleNoPatch()), name + " v10.0");
        EXPECT_EQ(std::string(info.GetApplicationTitle()), name + " v10.0-007");
    }
}

TEST_F(NoticesTest, RegistryPathsAlwaysCarryTheBuild)
{
    QZApplicationInfo info;
    ASSERT_EQ(info.Initialize("Ryndel", 10.5f, "s@x", exe.c_str(), 0, 2009, 2009), 1);
    EXPECT_STREQ(info.GetSystemBaseRegistryPath(), "SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.5build60");
    EXPECT_STREQ(info.GetUserBaseRegistryPath(), info.GetSystemBaseRegistryPath());
    EXPECT_NE(info.GetUserBaseRegistryPath(), info.GetSystemBaseRegistryPath());
    EXPECT_STREQ(info.GetApplicationTitle(), "Ryndel v10.5");
}

TEST_F(NoticesTest, CopyrightNamesOneOrTwoYearsAndEndsWithAnEmptyLine)
{
    QZApplicationInfo one;
    ASSERT_EQ(one.Initialize("Ryndel", 10.0f, "s@x", exe.c_str(), 0, 2009, 2009), 1);
    const std::string single = one.GetCopyrightStatement();
    EXPECT_EQ(single.rfind("Copyright (c) 2009 Corvan Engineering, Inc.,   ", 0), 0u) << single;

    QZApplicationInfo two;
    ASSERT_EQ(two.Initialize("Ryndel", 10.0f, "s@x", exe.c_str(), 0, 1998, 2009), 1);
    const std::string range = two.GetCopyrightStatement();
    EXPECT_EQ(range.rfind("Copyright (c) 1998-2009 ", 0), 0u) << range;
    ASSERT_GE(range.size(), 2u);
    EXPECT_EQ(range.substr(range.size() - 2), "\n\n");
    EXPECT_EQ(std::count(range.begin(), range.end(), '\n'), 4);
    EXPECT_EQ(range.find('\r'), std::string::npos);
}

TEST_F(NoticesTest, SupportAddressAndConstantsAreAsGiven)
{
    QZApplicationInfo info;
    EXPECT_STREQ(info.GetDisplayVersionInfo(), "10.0build60");
    ASSERT_EQ(info.Initialize("Ryndel", 10.0f, " help@corvan.example ", exe.c_str(), 0, 1, 1), 1);
    EXPECT_STREQ(info.GetSupportEMail(), "mailto: help@corvan.example ");
    EXPECT_STREQ(info.GetDisplayVersionInfo(), "10.0build60");
    EXPECT_STREQ(info.GetProductArchitecture(), qztest::joinSeparator() == '\\' ? "win64" : "linux64");

    QZApplicationInfo empty;
    ASSERT_EQ(empty.Initialize("Ryndel", 10.0f, nullptr, exe.c_str(), 0, 1, 1), 1);
    EXPECT_STREQ(empty.GetSupportEMail(), "mailto:");
}
