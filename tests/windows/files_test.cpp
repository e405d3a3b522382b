// The Windows file services through the game's own path resolution, in folders whose names
// are code page 932 (one of them with 0x5C as a trail byte).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "base/data_path.h"
#include "platform/platform.h"

namespace {

// A fresh folder under the working directory, made the working directory for the test.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t previous[MAX_PATH];
        ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
        previous_ = previous;
        root_ = previous_ + L"\\files_test_\u30BD\u30D5\u30C8";  // ソフト
        removeTree(root_);
        ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((root_ + L"\\Date").c_str(), nullptr));
        ASSERT_TRUE(SetCurrentDirectoryW(root_.c_str()));
    }
    void TearDown() override {
        SetCurrentDirectoryW(previous_.c_str());
        removeTree(root_);
    }

    static void removeTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring path = folder + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    removeTree(path);
                } else {
                    DeleteFileW(path.c_str());
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }

    static std::string resolved(const char* relative) {
        char path[dataPathSize];
        EXPECT_TRUE(resolveDataPath(path, relative)) << relative;
        return path;
    }

    static bool writeFile(const char* relative, const std::string& contents) {
        std::FILE* file = openDataFile(resolved(relative).c_str(), "wb");
        if (!file) return false;
        bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
        return std::fclose(file) == 0 && written;
    }

    // The names in Date, in byte order, each followed by a space.
    std::wstring namesInDate() const {
        std::set<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((root_ + L"\\Date\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = found.cFileName;
                if (name != L"." && name != L"..") names.insert(name);
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        std::wstring listed;
        for (const std::wstring& name : names) listed += name + L" ";
        return listed;
    }

    static std::string readFile(const char* relative) {
        std::FILE* file = openDataFile(resolved(relative).c_str(), "rb");
        if (!file) return "<missing>";
        std::string contents;
        char buffer[256];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, n);
        std::fclose(file);
        return contents;
    }

    std::wstring previous_;
    std::wstring root_;
};

}  // namespace

TEST_F(FilesTest, WorkingDirectoryIsCodePage932) {
    char buffer[1024];
    ASSERT_TRUE(currentDirectory(buffer, sizeof buffer));
    const std::string name = "\\files_test_\x83\x5C\x83t\x83g";
    std::string directory = buffer;
    ASSERT_GE(directory.size(), name.size());
    EXPECT_EQ(directory.substr(directory.size() - name.size()), name);

    // Too small a buffer is a failure with nothing in it, never a cut path.
    char small[8] = "stale";
    EXPECT_FALSE(currentDirectory(small, sizeof small));
    EXPECT_EQ(small[0], '\0');
}

TEST_F(FilesTest, WritesReadsAndReplaces) {
    // Binary mode both ways: CR LF and 0x1A come back as written.
    const std::string contents = "[EASY]\r\n\x83\x5C\x83t\x83g,sofuto\r\n\x1A tail";
    ASSERT_TRUE(writeFile("\\Date\\RankingDate.ini", contents));
    EXPECT_EQ(readFile("\\Date\\RankingDate.ini"), contents);
    EXPECT_EQ(readFile("\\date\\rankingdate.ini"), contents);  // names ignore case here

    // A replacement leaves the one file, whatever stands under a fixed temporary name.
    ASSERT_TRUE(CreateDirectoryW((root_ + L"\\Date\\RankingDate.ini.tmp").c_str(), nullptr));
    const std::string table = "new table";
    EXPECT_TRUE(
        replaceDataFile(resolved("\\date\\RankingDate.ini").c_str(), table.data(), table.size()));
    EXPECT_EQ(readFile("\\Date\\RankingDate.ini"), table);
    EXPECT_EQ(namesInDate(), L"RankingDate.ini RankingDate.ini.tmp ");

    // No folder to write into, a folder in the file's place, or a path that was refused.
    EXPECT_FALSE(replaceDataFile(resolved("\\Missing\\RankingDate.ini").c_str(), "x", 1));
    EXPECT_FALSE(replaceDataFile(resolved("\\Date\\RankingDate.ini.tmp").c_str(), "x", 1));
    EXPECT_FALSE(replaceDataFile("", "x", 1));
    EXPECT_EQ(namesInDate(), L"RankingDate.ini RankingDate.ini.tmp ");
}

TEST_F(FilesTest, TheLockKeepsOutASecondHolderAndClearsDebris) {
    const std::string path = resolved("\\Date\\RankingDate.ini");
    // A temporary file a killed writer left, and a file that only looks like one.
    ASSERT_TRUE(writeFile("\\Date\\RankingDate.ini.0badf00d.tmp", "half a table"));
    ASSERT_TRUE(writeFile("\\Date\\RankingDate.ini.notmine.tmp", "kept"));
    LockAttempt attempt;
    FileLock held = lockDataFile(path.c_str(), 0, attempt);
    ASSERT_NE(held, nullptr);
    EXPECT_FALSE(attempt.lockFileRefused);
    EXPECT_EQ(namesInDate(), L"RankingDate.ini.lock RankingDate.ini.notmine.tmp ");
    // A second holder (another copy of the game) hears that it is held, after its wait.
    EXPECT_EQ(lockDataFile(path.c_str(), 50, attempt), nullptr);
    EXPECT_TRUE(attempt.busy);
    unlockDataFile(held);
    FileLock again = lockDataFile(path.c_str(), 0, attempt);
    EXPECT_NE(again, nullptr);
    unlockDataFile(again);
    unlockDataFile(nullptr);
    EXPECT_EQ(lockDataFile("", 0, attempt), nullptr);
    EXPECT_FALSE(attempt.busy);

    // A folder under the lock file's name is named as in the way; the folder's mutex serves.
    ASSERT_TRUE(DeleteFileW((root_ + L"\\Date\\RankingDate.ini.lock").c_str()));
    ASSERT_TRUE(CreateDirectoryW((root_ + L"\\Date\\RankingDate.ini.lock").c_str(), nullptr));
    FileLock byMutex = lockDataFile(path.c_str(), 0, attempt);
    EXPECT_NE(byMutex, nullptr);
    EXPECT_TRUE(attempt.lockFileRefused);
    unlockDataFile(byMutex);
}

TEST_F(FilesTest, AppendsToRegularFilesOnly) {
    const std::string path = resolved("\\Date\\History.txt");
    EXPECT_TRUE(appendDataFile(path.c_str(), "one\r\n", 5));
    EXPECT_TRUE(appendDataFile(path.c_str(), "two\r\n", 5));
    EXPECT_EQ(readFile("\\Date\\History.txt"), "one\r\ntwo\r\n");
    EXPECT_FALSE(appendDataFile(resolved("\\Date").c_str(), "x", 1));
    EXPECT_FALSE(appendDataFile(resolved("\\Missing\\History.txt").c_str(), "x", 1));
}

TEST_F(FilesTest, Utf8BecomesCodePage932) {
    struct Case {
        std::string utf8;
        std::string cp932;
    };
    const Case cases[] = {
        {"neko,\xE3\x81\xAD\xE3\x81\x93", "neko,\x82\xCB\x82\xB1"},  // ねこ
        {"\xE3\x82\xBD\xEF\xBD\xB1", "\x83\x5C\xB1"},                // ソ, half-width ｱ
        {"\xC3\xA9|\xF0\x9F\x98\x80|\xE2\x82\xAC", "?|?|?"},         // é, an emoji, €
    };
    for (const Case& c : cases) {
        char out[64];
        size_t length = cp932FromUtf8(c.utf8.data(), c.utf8.size(), out);
        EXPECT_EQ(std::string(out, length), c.cp932) << c.utf8;
    }
}

TEST_F(FilesTest, OnlyRegularFilesOpen) {
    EXPECT_EQ(openDataFile(resolved("\\Date").c_str(), "rb"), nullptr);
    EXPECT_EQ(openDataFile(resolved("\\Date\\Words.txt").c_str(), "rb"), nullptr);
    EXPECT_EQ(openDataFile("", "rb"), nullptr);
    // A data file inside a folder whose name ends in the trail byte 0x5C.
    ASSERT_TRUE(CreateDirectoryW((root_ + L"\\Date\\\u30BD").c_str(), nullptr));
    ASSERT_TRUE(writeFile("\\Date\\\x83\x5C\\Words.txt", "[EASY]\r\n"));
    EXPECT_EQ(readFile("\\Date\\\x83\x5C\\Words.txt"), "[EASY]\r\n");
    DWORD attributes = GetFileAttributesW((root_ + L"\\Date\\\u30BD\\Words.txt").c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
}
