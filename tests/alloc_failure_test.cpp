// alloc_failure_test.cpp - every allocation fails in turn: in Initialize (installation and
// sandbox, both catalogues, registry and documents-folder reads), in copies and assignments
// of records and tables, and in the path manager. Each time the allocator's exception must
// reach the caller, nothing may leak, the current directory must be back, and the record
// must still initialize.
//
// The program replaces the global allocation functions. Only allocations made while a
// test has armed them are counted and may fail, so GoogleTest's own stay out of it.
#include <QZApplicationInfo.h>
#include <QZ_PathManager.h>

#include "support/TestRegistry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <string>

namespace {

struct AllocationState {
    bool armed = false;
    long long failAt = 0; // which armed allocation fails; 0 for none
    long long seen = 0;   // armed allocations so far
    bool failedThrowing = false;
    bool failedNothrow = false;
    long long live = 0; // armed allocations not yet released
};
AllocationState g_state;

// In front of every block: where the block begins, and whether it counts.
struct alignas(std::max_align_t) Header {
    void* base;
    bool counted;
};

void* allocate(std::size_t size, std::size_t alignment, bool nothrow) noexcept
{
    if (g_state.armed && ++g_state.seen == g_state.failAt) {
        (nothrow ? g_state.failedNothrow : g_state.failedThrowing) = true;
        return nullptr;
    }
    if (alignment < alignof(Header))
        alignment = alignof(Header);
    void* base = std::malloc(size + sizeof(Header) + alignment);
    if (!base)
        return nullptr;
    auto address = reinterpret_cast<std::uintptr_t>(base) + sizeof(Header);
    address = (address + alignment - 1) / alignment * alignment;
    auto* header = reinterpret_cast<Header*>(address) - 1;
    header->base = base;
    header->counted = g_state.armed;
    if (g_state.armed)
        ++g_state.live;
    return reinterpret_cast<void*>(address);
}

void release(void* block) noexcept
{
    if (!block)
        return;
    const Header* header = static_cast<Header*>(block) - 1;
    if (header->counted)
        --g_state.live;
    std::free(header->base);
}

void* allocateOrThrow(std::size_t size, std::size_t alignment)
{
    if (void* block = allocate(size, alignment, false))
        return block;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) { return allocateOrThrow(size, alignof(std::max_align_t)); }
void* operator new[](std::size_t size) { return allocateOrThrow(size, alignof(std::max_align_t)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size, alignof(std::max_align_t), true);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size, alignof(std::max_align_t), true);
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return allocate(size, static_cast<std::size_t>(alignment), true);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return allocate(size, static_cast<std::size_t>(alignment), true);
}

// GCC cannot see that the operator new above is the one that pairs with these.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete(void* block, std::align_val_t) noexcept { release(block); }
void operator delete[](void* block, std::align_val_t) noexcept { release(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { release(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { release(block); }
#pragma GCC diagnostic pop

namespace {

using qztest::EnvGuard;
using qztest::TempTree;
using PathDictionary = QZApplicationInfo::PathDictionary;

// Allocations fail only while one of these lives.
class Armed {
public:
    Armed() { g_state.armed = true; }
    ~Armed() { g_state.armed = false; }
    Armed(const Armed&) = delete;
    Armed& operator=(const Armed&) = delete;
};

std::string dumpOf(QZApplicationInfo& info)
{
    const std::unique_ptr<char[]> dump(info.DumpPaths());
    return dump.get();
}

// Runs body with the n-th armed allocation failing, for n = 1, 2, ..., until a run
// completes with no failure injected. body arms around the calls under test, catches
// std::bad_alloc and says whether it did; everything it made must be gone when it
// returns. Returns the number of allocations of the complete run.
template <typename Body>
long long failEachAllocation(Body body)
{
    for (long long n = 1;; ++n) {
        const long long liveBefore = g_state.live;
        g_state = AllocationState{false, n, 0, false, false, liveBefore};
        const bool threw = body();
        const AllocationState after = g_state;
        g_state.failAt = 0;

        // A failure of a throwing allocation must reach the caller as std::bad_alloc.
        EXPECT_EQ(threw, after.failedThrowing) << "allocation " << n;
        EXPECT_EQ(after.live, liveBefore) << "allocation " << n << " failing leaks";
        if (::testing::Test::HasFailure())
            return -1;
        if (!after.failedThrowing && !after.failedNothrow)
            return n - 1;
    }
}

class AllocationFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.set("PATH", tree.mkdir("nowhere"));
        // A documents folder read from its file: a failure while reading it must not
        // pass for the end of the file.
        env.set("HOME", tree.mkdir("user"));
        env.set("XDG_CONFIG_HOME", tree.mkdir("user/.config"));
        tree.touch("user/.config/user-dirs.dirs",
                   "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                   "XDG_DOCUMENTS_DIR=\"$HOME/My Documents\"\n");
    }

    // Initializes a record again and again with each allocation failing in turn, and
    // checks each time that the record is left destroyable and initializable.
    void failEachAllocationOfInitialize(const char* executable, float version)
    {
        // One complete run first: it is the answer that every later run must give, and
        // it makes the one-time allocations of the run-time library before counting.
        std::string expected;
        {
            QZApplicationInfo reference;
            ASSERT_EQ(reference.Initialize("Ryndel", version, "support@example.com", executable, 3, 2008, 2009), 1);
            expected = dumpOf(reference);
        }
        ASSERT_EQ(expected.compare(0, 8, "77 keys\n"), 0);

        const std::string startDir = qztest::currentDirectory();
        const long long allocations = failEachAllocation([&] {
            bool threw = false;
            QZApplicationInfo info;
            {
                Armed armed;
                try {
                    info.Initialize("Ryndel", version, "support@example.com", executable, 3, 2008, 2009);
                } catch (const std::bad_alloc&) {
                    threw = true;
                }
            }
            EXPECT_EQ(qztest::currentDirectory(), startDir);
            if (threw) {
                EXPECT_FALSE(info.GetInitializedStatus());
                EXPECT_EQ(info.GetSpecifiedPath("qz_bindir"), nullptr);
                // What the failed call left is let go by the next one, which starts afresh.
                EXPECT_EQ(info.Initialize("Ryndel", version, "support@example.com", executable, 3, 2008, 2009), 1);
            }
            EXPECT_EQ(dumpOf(info), expected);
            return threw;
        });
        std::cout << "Initialize made " << allocations << " allocations\n";
        EXPECT_GT(allocations, 0);
    }

    EnvGuard env;
    TempTree tree;
};

TEST_F(AllocationFailureTest, InitializeInAnInstallationFoundThroughTheRegistryAndPath)
{
    tree.touch("inst/bin/ryndel");
    tree.touch("rtl/ry10.dll");
    qztest::TestRegistry registry(env, tree, "SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.0build60");
    registry.setString("", "CORVAN_HOME", tree.path("inst"));
    registry.setString("", "DISPLAY", ":7");
    registry.setString("", "QZ_MSG_HELP", tree.path("help"));
    env.set("PATH", tree.mkdir("nowhere") + qztest::searchPathDelimiter() + tree.path("inst/bin"));
    env.set("CORVAN_ARCH", "x86_64");
    env.set("RY_DLL_PATH", tree.path("rtl"));
    env.set("QZFL_HOME", tree.mkdir("fl"));
    env.set("QZDISPLAY_BUILD", "1");
    env.chdir(tree.mkdir("work"));

    failEachAllocationOfInitialize("ryndel", 10.0f);
}

TEST_F(AllocationFailureTest, InitializeInASandboxFoundByTheUpwardWalk)
{
    tree.mkdir("sandbox/qzcommon");
    tree.mkdir("sandbox/dn/framework/backbone/base");
    tree.touch("sandbox/qz/bin/linux64/ryndel");
    // The registry is read, and answers only CORVAN_ARCH.
    qztest::TestRegistry registry(env, tree, "SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.5build60");
    registry.setString("", "CORVAN_ARCH", "x86_64");
    env.chdir(tree.path("sandbox"));

    // A version with a fraction takes the stream formatting path of the version strings.
    failEachAllocationOfInitialize("qz/bin/linux64/ryndel", 10.5f);
}

class InitializedAllocationFailureTest : public AllocationFailureTest {
protected:
    void SetUp() override
    {
        AllocationFailureTest::SetUp();
        env.set("CORVAN_HOME", tree.mkdir("inst"));
        exe = tree.touch("inst/bin/ryndel");
        env.chdir(tree.mkdir("work"));
        ASSERT_EQ(info.Initialize("Ryndel", 10.0f, "support@example.com", exe.c_str(), 0, 2008, 2009), 1);
        expected = dumpOf(info);
    }

    std::string exe;
    QZApplicationInfo info;
    std::string expected;
};

TEST_F(InitializedAllocationFailureTest, CopiesAndAssignmentsOfRecordsAndTables)
{
    const long long allocations = failEachAllocation([&] {
        bool threw = false;
        std::ostrstream stream;
        stream << "a value written to a stream" << std::ends;
        {
            Armed armed;
            try {
                QZApplicationInfo copy(info);
                QZApplicationInfo assigned;
                assigned = copy;
                QZApplicationInfo reassigned(assigned);
                reassigned = QZApplicationInfo();
                std::unique_ptr<char[]> feature(copy.GetFeatureName());
                std::unique_ptr<char[]> dump(assigned.DumpPaths());

                // Tables that grow while they share their storage with a copy.
                PathDictionary table(2, 1);
                for (const char* key : {"a", "b", "c", "d", "e"})
                    table.Append(key, "value");
                PathDictionary shared(table);
                shared.Append("f", "grows the shared table");
                PathDictionary empty(0, 0);
                empty = shared;
                empty.Enroll("g", &stream);
                empty.Enroll("h", "text");
                std::unique_ptr<char[]> tableDump(empty.DumpPaths());
            } catch (const std::bad_alloc&) {
                threw = true;
            }
        }
        // The original is untouched, whatever failed.
        EXPECT_EQ(dumpOf(info), expected);
        return threw;
    });
    EXPECT_GT(allocations, 0);
}

TEST_F(InitializedAllocationFailureTest, PathManagerConstructionAndSearch)
{
    const char delimiter = qztest::searchPathDelimiter();
    const std::string config = tree.mkdir("c1") + delimiter + tree.mkdir("c2") + delimiter + "./skipped" +
                               delimiter + tree.path("c1") + delimiter + tree.mkdir("c3");
    tree.touch("c3/app.ini");
    env.set("QZ_CONFIG_PATH", config);
    env.set("HOME", tree.path("work"));

    for (int keepDuplicates : {0, 1}) {
        const long long allocations = failEachAllocation([&] {
            bool threw = false;
            std::unique_ptr<QZ_PathManager> manager;
            bool found = false;
            char directory[1024] = "";
            {
                Armed armed;
                try {
                    manager = std::make_unique<QZ_PathManager>(&info, keepDuplicates);
                    QZ_PathManager copy(*manager);
                    found = copy.GetFilePath(const_cast<char*>("app.ini"), directory, 4);
                } catch (const std::bad_alloc&) {
                    threw = true;
                }
            }
            if (!threw) {
                EXPECT_EQ(manager->GetNumQZConfigPathArray(), 4);
                EXPECT_EQ(std::string(manager->GetQZConfigPathItem(0)), keepDuplicates ? tree.path("c1") : "");
                EXPECT_TRUE(found);
                EXPECT_EQ(std::string(directory), tree.path("c3"));
            }
            return threw;
        });
        EXPECT_GT(allocations, 0) << "keepDuplicates " << keepDuplicates;
    }
}

} // namespace
