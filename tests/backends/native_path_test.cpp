// nativePath: resolved data paths as the file services of the backend name them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "backends/native_path.h"
#include "base/data_path.h"
#include "platform/platform.h"
#include "tests/support/scratch_folder.h"

class NativePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(root / "Date" / "Image");
        scratch.write("Date/Words.txt", "x");
    }
    ScratchFolder scratch{"path"};
    const std::filesystem::path& root = scratch.path();
};

TEST_F(NativePathTest, MatchesComponentsWithoutCaseBelowTheWorkingDirectory) {
    char resolved[dataPathSize];
    ASSERT_TRUE(resolveDataPath(resolved, "\\date\\words.TXT"));
    EXPECT_EQ(nativePath(resolved), (root / "Date" / "Words.txt").string());

    // A file that does not exist yet is named as written, inside the folder found.
    ASSERT_TRUE(resolveDataPath(resolved, "\\date\\RankingDate.ini"));
    EXPECT_EQ(nativePath(resolved), (root / "Date" / "RankingDate.ini").string());

    ASSERT_TRUE(resolveDataPath(resolved, "\\Date\\Words.txt"));
    std::FILE* file = openDataFile(resolved, "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::fgetc(file), 'x');
    std::fclose(file);

    // A folder is never opened as a data file; an empty (refused) path opens nothing.
    ASSERT_TRUE(resolveDataPath(resolved, "\\Date\\Image"));
    EXPECT_EQ(openDataFile(resolved, "rb"), nullptr);
    EXPECT_EQ(openDataFile("", "rb"), nullptr);
}
