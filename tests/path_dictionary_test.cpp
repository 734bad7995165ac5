// path_dictionary_test.cpp - the ordered key/path table: growth, lookup, dump, sharing.
#include <QZApplicationInfo.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using PathDictionary = QZApplicationInfo::PathDictionary;

namespace {

// Reads the protected fields, as a derived class of the record's users may.
class InspectableDictionary : public PathDictionary {
public:
    using PathDictionary::PathDictionary;
    int capacity() const { return _capacity; }
    int count() const { return _count; }
};

std::string dump(PathDictionary& table)
{
    std::unique_ptr<char[]> text(table.DumpPaths());
    return text.get();
}

} // namespace

TEST(PathDictionary, GrowsByItsStepAndKeepsEveryPointer)
{
    InspectableDictionary table;
    std::vector<const char*> values;
    for (int i = 0; i < 40; ++i) {
        const std::string key = "k" + std::to_string(i);
        table.Append(key.c_str(), ("v" + std::to_string(i)).c_str());
        values.push_back(table.GetPath(key.c_str()));
    }
    EXPECT_EQ(table.capacity(), 40);
    table.Append("k40", "v40");
    EXPECT_EQ(table.capacity(), 60);
    EXPECT_EQ(table.count(), 41);
    for (int i = 0; i < 40; ++i) {
        const std::string key = "k" + std::to_string(i);
        EXPECT_EQ(table.GetPath(key.c_str()), values[i]) << key;
        EXPECT_EQ(std::string(values[i]), "v" + std::to_string(i));
    }
    for (int i = 41; i < 61; ++i)
        table.Append(("k" + std::to_string(i)).c_str(), "x");
    EXPECT_EQ(table.capacity(), 80);
}

TEST(PathDictionary, ZeroCapacityAndZeroGrowthStillTakeEntries)
{
    InspectableDictionary table(0, 0);
    table.Append("a", "1");
    table.Append("b", "2");
    EXPECT_EQ(table.count(), 2);
    EXPECT_STREQ(table.GetPath("b"), "2");
}

TEST(PathDictionary, DuplicateKeysAreStoredAndTheFirstIsFound)
{
    InspectableDictionary table;
    table.Append("key", "first");
    std::ostrstream second;
    second << "second" << std::ends;
    EXPECT_STREQ(table.Enroll("key", &second), "first");
    EXPECT_EQ(table.count(), 2);
    EXPECT_EQ(dump(table), "2 keys\n=======================\nkey : first\nkey : second\n"
                           "=======================\n");
}

TEST(PathDictionary, LookupIsExactAndCaseSensitive)
{
    PathDictionary table;
    table.Append("qz_rootdir", "C:/x");
    EXPECT_EQ(table.GetPath("qz_root"), nullptr);
    EXPECT_EQ(table.GetPath("QZ_ROOTDIR"), nullptr);
    EXPECT_EQ(table.GetPath("qz_rootdir "), nullptr);
    EXPECT_EQ(table.GetPath(nullptr), nullptr);
    EXPECT_STREQ(table.GetPath("qz_rootdir"), "C:/x");
}

TEST(PathDictionary, EmptyTableFindsNothingAndDumpsTwoRules)
{
    PathDictionary table;
    EXPECT_EQ(table.GetPath(""), nullptr);
    EXPECT_EQ(dump(table), "0 keys\n=======================\n=======================\n");
}

TEST(PathDictionary, EmptyValueIsKeptAsEmptyTextAndDumpedAfterTheColon)
{
    PathDictionary table;
    table.Append("qz_rootdir", "C:/x");
    table.Append("empty", "");
    table.Append("qz_bindir", "C:/x/bin");
    ASSERT_NE(table.GetPath("empty"), nullptr);
    EXPECT_STREQ(table.GetPath("empty"), "");
    EXPECT_EQ(dump(table), "3 keys\n=======================\nqz_rootdir : C:/x\nempty : \n"
                           "qz_bindir : C:/x/bin\n=======================\n");
}

TEST(PathDictionary, EnrollTakesStreamsAndFinishedTexts)
{
    PathDictionary table;
    {
        std::ostrstream text;
        text << "C:/x" << "/bin" << std::ends;
        EXPECT_STREQ(table.Enroll("bin", &text), "C:/x/bin");
    }
    EXPECT_STREQ(table.Enroll("lib", "C:/x/lib"), "C:/x/lib");
    // A stream that nobody ended with a NUL is not read past its text.
    std::ostrstream unterminated;
    unterminated << "abc";
    EXPECT_STREQ(table.Enroll("raw", &unterminated), "abc");
    EXPECT_STREQ(table.Enroll("null", static_cast<std::ostrstream*>(nullptr)), "");
}

TEST(PathDictionary, NullTextsCountAsEmpty)
{
    PathDictionary table;
    table.Append(nullptr, nullptr);
    EXPECT_STREQ(table.GetPath(""), "");
}

TEST(PathDictionary, CopiesShareEntriesAndOutliveEachOther)
{
    auto original = std::make_unique<PathDictionary>();
    original->Append("a", "1");
    const char* value = original->GetPath("a");
    PathDictionary copy;
    copy.Append("old", "gone");
    copy = *original;
    EXPECT_EQ(copy.GetPath("a"), value);
    EXPECT_EQ(copy.GetPath("old"), nullptr);
    original.reset();
    EXPECT_STREQ(copy.GetPath("a"), "1");

    PathDictionary constructed(copy);
    EXPECT_EQ(constructed.GetPath("a"), copy.GetPath("a"));
}

TEST(PathDictionary, GrowingOneOfTwoSharingTablesLeavesTheOtherReadable)
{
    PathDictionary first(1, 1);
    first.Append("a", "1");
    PathDictionary second;
    second = first;
    for (int i = 0; i < 10; ++i)
        first.Append("k", "v");
    EXPECT_STREQ(second.GetPath("a"), "1");
    EXPECT_STREQ(first.GetPath("a"), "1");
}
