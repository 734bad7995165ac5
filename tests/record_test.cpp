// record_test.cpp - the record before and after Initialize: accessors, lookups, the
// feature name, and copies that share every buffer.
#include <QZApplicationInfo.h>

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using qztest::EnvGuard;
using qztest::TempTree;

namespace {

using Accessor = char* (QZApplicationInfo::*)() const;
const Accessor kTextAccessors[] = {
    &QZApplicationInfo::GetCorvanHome,           &QZApplicationInfo::GetApplicationTitleNoPatch,
    &QZApplicationInfo::GetApplicationTitle,     &QZApplicationInfo::GetCopyrightStatement,
    &QZApplicationInfo::GetCurrentWorkingDir,
    &QZApplicationInfo::GetExecutableDir,        &QZApplicationInfo::GetExecutablePath,
    &QZApplicationInfo::GetSystemBaseRegistryPath, &QZApplicationInfo::GetUserBaseRegistryPath,
    &QZApplicationInfo::GetApplicationName,      &QZApplicationInfo::GetProductArchitecture,
    &QZApplicationInfo::GetSupportEMail,
};

std::string feature(const QZApplicationInfo& info)
{
    std::unique_ptr<char[]> name(info.GetFeatureName());
    return name.get();
}

class RecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.set("CORVAN_HOME", tree.mkdir("home"));
        exe = tree.touch("home/bin/app.exe");
    }

    EnvGuard env;
    TempTree tree;
    std::string exe;
};

} // namespace

TEST_F(RecordTest, NewRecordAnswersNothingButTheDisplayVersion)
{
    env.set("QZ_TEST_VAR", "set");
    QZApplicationInfo info;
    for (Accessor accessor : kTextAccessors)
        EXPECT_EQ((info.*accessor)(), nullptr);
    EXPECT_STREQ(info.GetDisplayVersionInfo(), "10.0build60");
    EXPECT_EQ(info.GetArchitecture(), nullptr);
    EXPECT_EQ(info.GetXDisplayName(), nullptr);
    EXPECT_EQ(info.GetApplicationVersion(), 0.0f);
    EXPECT_FALSE(info.GetInitializedStatus());
    EXPECT_EQ(info.GetSpecifiedPath("qz_bindir"), nullptr);
    EXPECT_EQ(feature(info), "");
    std::unique_ptr<char[]> dump(info.DumpPaths());
    EXPECT_STREQ(dump.get(), "0 keys\n=======================\n=======================\n");
}

TEST_F(RecordTest, FeatureNameDropsBlanksOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Obrenn Studio", "ObrennStudio"}, {"A B  C", "ABC"}, {" lead\ttab ", "lead\ttab"}, {"Plain", "Plain"}};
    for (const auto& [name, expected] : cases) {
        QZApplicationInfo info;
        ASSERT_EQ(info.Initialize(name, 10.0f, "", exe.c_str(), 0, 1, 1), 1);
        EXPECT_EQ(feature(info), expected);
        std::unique_ptr<char[]> copy(info.GetFeatureName());
        EXPECT_NE(copy.get(), info.GetApplicationName());
    }
}

TEST_F(RecordTest, InitializedRecordSetsEveryRequiredField)
{
    QZApplicationInfo info;
    ASSERT_EQ(info.Initialize("Ryndel", 10.0f, "s@x", exe.c_str(), 0, 1, 1), 1);
    EXPECT_TRUE(info.GetInitializedStatus());
    for (Accessor accessor : kTextAccessors)
        EXPECT_NE((info.*accessor)(), nullptr);
    EXPECT_EQ(std::string(info.GetCorvanHome()).find('\\'), std::string::npos);
    EXPECT_EQ(info.GetApplicationVersion(), 10.0f);
}

TEST_F(RecordTest, LookupsAreGatedByInitialization)
{
    QZApplicationInfo info;
    env.unset("CORVAN_HOME");
    ASSERT_EQ(info.Initialize("Ryndel", 10.0f, "", exe.c_str(), 0, 1, 1), 0);
    EXPECT_EQ(info.GetSpecifiedPath(""), nullptr);
    EXPECT_EQ(info.GetSpecifiedPath(nullptr), nullptr);
}

TEST_F(RecordTest, AssignmentSharesEveryBufferAndBothRecordsCanBeDestroyed)
{
    auto source = std::make_unique<QZApplicationInfo>();
    ASSERT_EQ(source->Initialize("Ryndel", 10.0f, "s@x", exe.c_str(), 2, 1, 1), 1);
    auto target = std::make_unique<QZApplicationInfo>();
    ASSERT_EQ(target->Initialize("Other", 9.0f, "t@x", exe.c_str(), 0, 1, 1), 1);
    *target = *source;
    for (Accessor accessor : kTextAccessors)
        EXPECT_EQ(((*target).*accessor)(), ((*source).*accessor)());
    EXPECT_EQ(target->GetSpecifiedPath("qz_bindir"), source->GetSpecifiedPath("qz_bindir"));

    const std::string title = source->GetApplicationTitle();
    source.reset();
    EXPECT_EQ(target->GetApplicationTitle(), title);
    QZApplicationInfo copy(*target);
    target.reset();
    EXPECT_EQ(copy.GetApplicationTitle(), title);
    EXPECT_TRUE(copy.GetInitializedStatus());
    const QZApplicationInfo& alias = copy;
    copy = alias;
    EXPECT_EQ(copy.GetApplicationTitle(), title);
}
