#include <gtest/gtest.h>

#include <filesystem>

#include "RuntimeData.h"

namespace {

namespace fs = std::filesystem;

// The two layouts the viewer runs from, the build tree and an install
// prefix, and the variable that names a folder of its own.
TEST(RuntimeData, FoundBesideTheExecutableOrInThePrefixDataFolder)
{
    const fs::path root = fs::path(testing::TempDir()) / "runtime-data";
    fs::remove_all(root);
    for (const char* folder : {"build/QM", "prefix/bin", "prefix/share/quillmoor/QM", "elsewhere/QM", "empty"})
        fs::create_directories(root / folder);
    const std::string elsewhere = root / "elsewhere", empty = root / "empty";

    const struct {
        const char* name;
        const char* override;
        fs::path executableDirectory;
        std::optional<fs::path> found;
    } cases[] = {
        {"build tree", nullptr, root / "build", root / "build"},
        {"install prefix", nullptr, root / "prefix/bin", root / "prefix/share/quillmoor"},
        {"empty variable", "", root / "build", root / "build"},
        {"variable", elsewhere.c_str(), root / "build", root / "elsewhere"},
        // A wrong variable is reported, not passed over for the build tree.
        {"wrong variable", empty.c_str(), root / "build", std::nullopt},
        {"neither", nullptr, root / "empty", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto found = qm::findRuntimeData(qm::runtimeDataCandidates(c.override, c.executableDirectory));
        EXPECT_EQ(found, c.found) << c.name;
    }
}

}  // namespace
