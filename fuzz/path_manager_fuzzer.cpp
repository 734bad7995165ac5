// path_manager_fuzzer.cpp - QZ_PathManager over fuzzed QZ_CONFIG_PATH and HOME: the
// configuration list, the blanking of duplicates, the accessors, GetFilePath into a
// guarded 1024-byte buffer, ReadFromAll in a fuzzed order, copies and assignments; every
// answer is checked against a model of the configuration places.
//
// Input: a selector byte, then QZ_CONFIG_PATH, HOME and a file name as lines ('@' stands
// for the root of the fuzzer's tree), then the step count and the read order as bytes.
#include <QZ_PathManager.h>

#include "FuzzInput.h"
#include "FuzzTree.h"

#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kDirectorySize = 1024;

struct Records {
    QZApplicationInfo elsewhere; // started in its own working directory
    QZApplicationInfo inPlace;   // started in the executable's directory
};

int initialize(QZApplicationInfo& info, const std::string& exe)
{
    return info.Initialize("Ryndel", 10.0f, "support@example.com", exe.c_str(), 0, 2008, 2009);
}

const Records& records()
{
    static const Records* made = [] {
        const qzfuzz::Tree& tree = qzfuzz::Tree::instance();
        const std::string exe = tree.touch("home/bin/app");
        tree.touch("home/bin/a.ini");
        tree.touch("home/bin/p.ini");
        tree.touch("c1/a.ini");
        tree.touch("c1/c.ini");
        tree.touch("c2/c.ini");
        tree.touch("user/u.ini");
        tree.touch("user/a.ini");
        tree.touch("work/w.ini");
        tree.mkdir("c2/dir.ini");
        qzfuzz::isolateEnvironment(tree);
        ::setenv("CORVAN_HOME", tree.path("home").c_str(), 1);

        auto* records = new Records;
        const std::string start = qzfuzz::currentDirectory();
        QZ_FUZZ_CHECK(::chdir(tree.mkdir("work").c_str()) == 0);
        QZ_FUZZ_CHECK(initialize(records->elsewhere, exe) == 1);
        QZ_FUZZ_CHECK(::chdir(tree.path("home/bin").c_str()) == 0);
        QZ_FUZZ_CHECK(initialize(records->inPlace, exe) == 1);
        QZ_FUZZ_CHECK(::chdir(start.c_str()) == 0);
        return records;
    }();
    return *made;
}

// The configuration places as the path manager must see them.
struct Model {
    std::string production;
    std::vector<std::string> config;
    std::string home;
    std::string cwd;
};

std::vector<std::string> configPieces(std::string_view list)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while ((start = list.find_first_not_of(",;:", start)) != std::string_view::npos) {
        std::size_t end = list.find_first_of(",;:", start);
        if (end == std::string_view::npos)
            end = list.size();
        if (list[start] != '.')
            pieces.emplace_back(list.substr(start, end - start));
        start = end;
    }
    return pieces;
}

// A place keeps its text unless a place later in the read order (production directory,
// configuration directories, home, current directory) has the same text.
void blankDuplicates(Model& model)
{
    std::vector<std::string*> order{&model.production};
    for (std::string& entry : model.config)
        order.push_back(&entry);
    order.push_back(&model.home);
    order.push_back(&model.cwd);
    std::vector<std::string> original;
    for (const std::string* place : order)
        original.push_back(*place);
    for (std::size_t i = 0; i < order.size(); ++i)
        for (std::size_t j = i + 1; j < order.size() && !original[i].empty(); ++j)
            if (original[i] == original[j]) {
                order[i]->clear();
                break;
            }
}

bool fileIn(const std::string& directory, const char* fileName)
{
    return !directory.empty() && qzfuzz::statSucceeds(directory + "/" + (fileName ? fileName : ""));
}

// What GetFilePath answers, and what it leaves in the caller's buffer.
std::pair<bool, std::string> expectedSearch(const Model& model, const char* fileName, int count)
{
    auto fits = [](const std::string& text) { return text.size() < kDirectorySize ? text : std::string(); };
    std::string directory;
    for (int step = 0; step < count; ++step) {
        directory.clear();
        if (step == 0)
            directory = fits(model.cwd);
        else if (step == 1)
            directory = fits(model.home);
        else if (step == 2)
            for (const std::string& entry : model.config) {
                if (entry.empty() || entry.size() >= kDirectorySize)
                    continue;
                directory = entry;
                if (fileIn(directory, fileName))
                    break;
            }
        else if (step == 3)
            directory = fits(model.production);
        if (fileIn(directory, fileName))
            return {true, directory};
    }
    return {false, directory};
}

class RecordingManager : public QZ_PathManager {
public:
    using QZ_PathManager::QZ_PathManager;

    int ReadFile(char* directory, char* data) override
    {
        QZ_FUZZ_CHECK(directory != nullptr);
        QZ_FUZZ_CHECK(data == expectedData);
        read.emplace_back(directory);
        return 1;
    }

    char* expectedData = nullptr;
    std::vector<std::string> read;
};

void checkPlaces(QZ_PathManager& manager, const Model& model, const QZApplicationInfo& info)
{
    QZ_FUZZ_CHECK(manager.GetQZApplicationInfo() == &info);
    QZ_FUZZ_CHECK(model.production == manager.GetProductionInstallationDir());
    QZ_FUZZ_CHECK(model.home == manager.GetUserHome());
    QZ_FUZZ_CHECK(model.cwd == manager.GetCWD());
    QZ_FUZZ_CHECK(std::strcmp(manager.GetDirectoryString(), "/") == 0);
    const int count = manager.GetNumQZConfigPathArray();
    QZ_FUZZ_CHECK(count == static_cast<int>(model.config.size()));
    for (int i = 0; i < count; ++i) {
        const char* item = manager.GetQZConfigPathItem(i);
        QZ_FUZZ_CHECK(item != nullptr && model.config[i] == item);
    }
    QZ_FUZZ_CHECK(manager.GetQZConfigPathItem(-1) == nullptr);
    QZ_FUZZ_CHECK(manager.GetQZConfigPathItem(count) == nullptr);
}

void checkSearch(QZ_PathManager& manager, const Model& model, char* fileName, int count)
{
    const auto [found, directory] = expectedSearch(model, fileName, count);

    // Exactly 1024 bytes on the heap, so that a sanitizer sees a write past them ...
    const std::unique_ptr<char[]> exact(new char[kDirectorySize]);
    std::strcpy(exact.get(), "untouched");
    const bool answer = manager.GetFilePath(fileName, exact.get(), count);
    QZ_FUZZ_CHECK(answer == found);
    QZ_FUZZ_CHECK(count < 1 ? std::strcmp(exact.get(), "untouched") == 0 : directory == exact.get());

    // ... and guard bytes after them, so that a build without one sees it too.
    std::vector<char> guarded(kDirectorySize + 64, '\x5a');
    QZ_FUZZ_CHECK(manager.GetFilePath(fileName, guarded.data(), count) == found);
    for (std::size_t i = kDirectorySize; i < guarded.size(); ++i)
        QZ_FUZZ_CHECK(guarded[i] == '\x5a');

    for (const std::string* place : {&model.cwd, &model.home, &model.production})
        QZ_FUZZ_CHECK(manager.FindFilePath(const_cast<char*>(place->c_str()), fileName) == fileIn(*place, fileName));
}

void checkReading(RecordingManager& manager, const Model& model, const int* order)
{
    static const int kDefault[4] = {1, 2, 3, 4};
    std::vector<std::string> expected;
    for (int i = 0; i < 4; ++i)
        switch ((order ? order : kDefault)[i]) {
        case 1:
            expected.push_back(model.production);
            break;
        case 2:
            expected.insert(expected.end(), model.config.begin(), model.config.end());
            break;
        case 3:
            expected.push_back(model.home);
            break;
        case 4:
            expected.push_back(model.cwd);
            break;
        }
    char data[] = "caller's data";
    manager.expectedData = data;
    manager.read.clear();
    manager.ReadFromAll(data, const_cast<int*>(order));
    QZ_FUZZ_CHECK(manager.read == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Records& made = records();
    const qzfuzz::Tree& tree = qzfuzz::Tree::instance();
    qzfuzz::Input input(data, size);

    const std::uint8_t selector = input.byte();
    QZApplicationInfo& info = const_cast<QZApplicationInfo&>(selector & 1 ? made.inPlace : made.elsewhere);
    static constexpr int kKeepDuplicates[] = {0, 1, 256, -1};
    const int keepDuplicates = kKeepDuplicates[selector >> 1 & 3];
    const bool configSet = !(selector & 0x08);
    const bool homeSet = !(selector & 0x10);
    const bool nullFileName = selector & 0x20;

    const std::string configPath = qzfuzz::asCString(tree.expand(input.field('\n')));
    const std::string home = qzfuzz::asCString(tree.expand(input.field('\n')));
    std::string fileName = qzfuzz::asCString(input.field('\n'));
    const int count = static_cast<int>(input.byte() % 8) - 1;
    int order[4];
    for (int& code : order)
        code = static_cast<int>(input.byte() % 7) - 1;
    const bool defaultOrder = input.flag();

    qzfuzz::setVariable("QZ_CONFIG_PATH", configSet ? std::optional<std::string>(configPath) : std::nullopt);
    qzfuzz::setVariable("HOME", homeSet ? std::optional<std::string>(home) : std::nullopt);

    Model model;
    model.production = info.GetExecutableDir();
    model.config = configSet ? configPieces(configPath) : std::vector<std::string>();
    model.home = homeSet ? home : std::string();
    model.cwd = info.GetCurrentWorkingDir();
    if (keepDuplicates == 0)
        blankDuplicates(model);

    auto manager = std::make_unique<RecordingManager>(&info, keepDuplicates);
    QZ_FUZZ_CHECK(std::string(configSet ? configPath : "") == manager->GetQZConfigPath());
    checkPlaces(*manager, model, info);
    char* name = nullFileName ? nullptr : fileName.data();
    checkSearch(*manager, model, name, count);
    checkReading(*manager, model, defaultOrder ? nullptr : order);
    QZ_FUZZ_CHECK(manager->FindFileWithDirectory(const_cast<char*>(configPath.c_str())) ==
                  (!configPath.empty() && qzfuzz::statSucceeds(configPath)));

    // Copies and assignments share every buffer, and may be destroyed in either order.
    auto copy = std::make_unique<RecordingManager>(*manager);
    QZ_FUZZ_CHECK(copy->GetUserHome() == manager->GetUserHome());
    QZ_FUZZ_CHECK(copy->GetQZConfigPathItem(0) == manager->GetQZConfigPathItem(0));
    auto assigned = std::make_unique<RecordingManager>(&info, 1);
    *assigned = *manager;
    QZ_FUZZ_CHECK(assigned->GetCWD() == manager->GetCWD());
    if (selector & 0x40)
        manager.reset();
    checkPlaces(*copy, model, info);
    checkReading(*assigned, model, order);
    copy.reset();
    if (manager)
        checkSearch(*manager, model, name, 4);
    checkSearch(*assigned, model, name, 4);
    return 0;
}
