// Profile files on disk: defaults, integer parsing, and writes that replace the file whole.
#include "base/profile_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/data_path.h"
#include "tests/support/scratch_folder.h"

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    ProfileFileTest() { resolveDataPath(path, "\\date\\Test.ini"); }
    std::string contents() const { return scratch.read("Date/Test.ini"); }

    ScratchFolder scratch;
    char path[dataPathSize];
};

}  // namespace

TEST_F(ProfileFileTest, IntegersParseLikeGetPrivateProfileInt) {
    struct Case {
        const char* line;  // in section POSS, or nothing for a missing key
        int expected;      // with default 77
    };
    const Case cases[] = {
        {"NPosX=100", 100},      {"NPosX=-20", -20},
        {"NPosX=+7", 7},         {"NPosX =  42  ", 42},
        {"NPosX=12abc", 12},     {"NPosX=abc", 0},
        {"NPosX=", 0},  // present but empty: not the default
        {"NPosX=- 5", 0},        {"NPosX=2147483647", 2147483647},
        {"NPosX=4294967297", 1},  // 32 bits wrap as the Windows parser's do
        {"NPosY=5", 77},         {"", 77},
    };
    for (const Case& c : cases) {
        scratch.write("Date/Test.ini", std::string("[POSS]\r\n") + c.line + "\r\n");
        EXPECT_EQ(getProfileInt("POSS", "NPosX", 77, path), c.expected) << c.line;
    }
    std::filesystem::remove(scratch.path() / "Date" / "Test.ini");
    EXPECT_EQ(getProfileInt("POSS", "NPosX", -3, path), -3) << "missing file";
    EXPECT_EQ(getProfileInt("POSS", "NPosX", -3, ""), -3) << "refused path";
}

TEST_F(ProfileFileTest, StringsReadTheValueOrTheDefault) {
    char out[8];
    getProfileString("S", "k", "dflt", out, sizeof out, path);
    EXPECT_STREQ(out, "dflt") << "missing file";
    scratch.write("Date/Test.ini", "[S]\nk=0123456789\n");
    getProfileString("S", "k", "dflt", out, sizeof out, path);
    EXPECT_STREQ(out, "0123456");
    getProfileString("S", "missing", nullptr, out, sizeof out, path);
    EXPECT_STREQ(out, "");
}

TEST_F(ProfileFileTest, WritesCreateEditAndLeaveNoTemporaryFile) {
    const ProfileEntry first[] = {{"1", "120"}, {"2", ""}};
    EXPECT_TRUE(writeProfileStrings("EASY", first, 2, path));
    EXPECT_EQ(contents(), "[EASY]\r\n1=120\r\n2=\r\n");

    const ProfileEntry second[] = {{"2", "90"}, {"3", "80"}};
    EXPECT_TRUE(writeProfileStrings("EASY", second, 2, path));
    EXPECT_EQ(contents(), "[EASY]\r\n1=120\r\n2=90\r\n3=80\r\n");

    const ProfileEntry other[] = {{"1", "5"}};
    EXPECT_TRUE(writeProfileStrings("HARD", other, 1, path));
    EXPECT_EQ(contents(), "[EASY]\r\n1=120\r\n2=90\r\n3=80\r\n[HARD]\r\n1=5\r\n");

    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path() / "Date")) {
        EXPECT_EQ(entry.path().filename(), "Test.ini");
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(ProfileFileTest, AFailedWriteLeavesTheOldFile) {
    const std::string old = "[EASY]\n1=900\n";
    const ProfileEntry entry[] = {{"1", "1000"}};

    scratch.write("Date/Test.ini", old);

    // The rename cannot replace a folder: the temporary file is removed again.
    char folderPath[dataPathSize];
    resolveDataPath(folderPath, "\\Date\\Folder.ini");
    std::filesystem::create_directories(scratch.path() / "Date" / "Folder.ini" / "inside");
    EXPECT_FALSE(writeProfileStrings("EASY", entry, 1, folderPath));
    EXPECT_TRUE(std::filesystem::is_directory(scratch.path() / "Date" / "Folder.ini" / "inside"));
    EXPECT_FALSE(scratch.exists("Date/Folder.ini.tmp"));

    // A file too large to be a profile file is neither read nor replaced.
    std::string huge = old + std::string(17 << 20, 'x');
    scratch.write("Date/Test.ini", huge);
    EXPECT_EQ(getProfileInt("EASY", "1", -1, path), -1);
    EXPECT_FALSE(writeProfileStrings("EASY", entry, 1, path));
    EXPECT_EQ(std::filesystem::file_size(scratch.path() / "Date" / "Test.ini"), huge.size());
    scratch.write("Date/Test.ini", old);

    // No folder to write into, or a path that was refused.
    char nowhere[dataPathSize];
    resolveDataPath(nowhere, "\\Missing\\Test.ini");
    EXPECT_FALSE(writeProfileStrings("EASY", entry, 1, nowhere));
    EXPECT_FALSE(writeProfileStrings("EASY", entry, 1, ""));
    EXPECT_EQ(contents(), old);
}
