// The replacement of the ranking file at a game over: when it fails at each of its steps the
// old table stays whole, nothing of the attempt is left in the folder, the player is told and
// the score is kept for the next game over; when it succeeds the new file keeps the old one's
// mode and owner. A huge file is neither read whole at every paint nor replaced.
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "backends/headless/headless.h"
#include "base/data_path.h"
#include "base/game_state.h"
#include "base/locked_write.h"
#include "base/profile_file.h"
#include "base/texts.h"
#include "ranking/ranking_file.h"
#include "tests/robustness/failing_calls.h"
#include "tests/support/scratch_folder.h"

namespace {

std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Bytes this process has read from files so far, as the kernel counts them.
long long bytesRead() {
    std::ifstream io("/proc/self/io");
    std::string name;
    long long value = 0;
    while (io >> name >> value) {
        if (name == "rchar:") return value;
    }
    return -1;
}

std::array<std::string, 5> tableOnDisk() {
    auto& entry = game.rankingText;
    readRanking(entry[0], entry[1], entry[2], entry[3], entry[4]);
    return {entry[0], entry[1], entry[2], entry[3], entry[4]};
}

// The line the player reads about a score kept for the reason of format.
std::string keptScoreLine(const char* format) {
    char line[1024];
    std::snprintf(line, sizeof line, format, "RankingDate.ini", textWhatScore, textWhatScore);
    return line;
}

}  // namespace

TEST(RankingFaults, AFailingStepLeavesTheOldTableAndNothingElse) {
    // Sections around the Easy table, so that a cut or mixed file shows.
    const std::string table =
        "; kept\r\n[NORMAL]\r\n1=777\r\n\r\n[EASY]\r\n1=900\r\n2=800\r\n3=700\r\n[HARD]\r\n1=3\r\n";
    struct Case {
        const char* name;
        FailingCall call;
        int error;
        size_t passBytes;
    };
    const Case cases[] = {
        {"the temporary file cannot be made: no space", FailingCall::open, ENOSPC, 0},
        {"the temporary file cannot be made: read-only file system", FailingCall::open, EROFS, 0},
        {"the disk fills half way through the write", FailingCall::write, ENOSPC, 20},
        {"the write fails at once", FailingCall::write, EIO, 0},
        {"the sync fails", FailingCall::fsync, EIO, 0},
        {"the close reports a lost write", FailingCall::close, EIO, 0},
        {"the rename fails", FailingCall::rename, EIO, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder("faults");
        folder.write("Date/RankingDate.ini", table);
        headlessReset();
        game = GameState{};
        armFailure(c.call, c.error, c.passBytes);
        insertRanking(850);
        disarmFailures();
        EXPECT_EQ(failuresMade(), 1) << "the step did not fail, so this proves nothing";
        EXPECT_EQ(folder.read("Date/RankingDate.ini"), table);
        EXPECT_EQ(namesIn(folder.path() / "Date"),
                  (std::set<std::string>{"RankingDate.ini", "RankingDate.ini.lock"}));
        // Told once, after the result; not again at the next game over.
        EXPECT_TRUE(headlessEvents().empty()) << "nothing is shown before the result box";
        showLockedWriteNotices();
        showLockedWriteNotices();
        ASSERT_EQ(headlessEvents().size(), 1u);
        EXPECT_EQ(headlessEvents()[0].text, keptScoreLine(textKeptNotWrittenFormat));

        // The kept score goes in at the next game over, once the step works again.
        insertRanking(0);
        EXPECT_TRUE(game.keptWrites.empty());
        EXPECT_EQ(tableOnDisk(), (std::array<std::string, 5>{"900", "850", "800", "700", ""}));
    }
}

// An append (the history file's) that fails at any step leaves the file as it was, or not
// there at all when it was missing; one that works adds its bytes at the end.
TEST(RankingFaults, AFailingAppendLeavesTheFileAsItWas) {
    struct Case {
        const char* name;
        FailingCall call;
        int error;
        size_t passBytes;
    };
    const Case cases[] = {
        {"the file cannot be opened", FailingCall::open, EACCES, 0},
        {"the disk fills half way through the write", FailingCall::write, ENOSPC, 3},
        {"the write fails at once", FailingCall::write, EIO, 0},
        {"the sync fails", FailingCall::fsync, EIO, 0},
        {"the close reports a lost write", FailingCall::close, EIO, 0},
    };
    const std::string record = "game 2\r\n";
    for (const Case& c : cases) {
        for (bool existed : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (existed ? ", to a file" : ", to no file"));
            ScratchFolder folder("append");
            if (existed) folder.write("Date/History.txt", "game 1\r\n");
            char path[dataPathSize];
            ASSERT_TRUE(resolveDataPath(path, "\\Date\\History.txt"));
            armFailure(c.call, c.error, c.passBytes, "History.txt");
            EXPECT_FALSE(appendDataFile(path, record.data(), record.size()));
            disarmFailures();
            EXPECT_GE(failuresMade(), 1) << "the step did not fail, so this proves nothing";
            EXPECT_EQ(folder.exists("Date/History.txt"), existed);
            if (existed) {
                EXPECT_EQ(folder.read("Date/History.txt"), "game 1\r\n");
            }
            EXPECT_TRUE(appendDataFile(path, record.data(), record.size()));
            EXPECT_EQ(folder.read("Date/History.txt"), (existed ? "game 1\r\n" : "") + record);
        }
    }
}

TEST(RankingFaults, TheNewTableKeepsTheOldFilesModeAndOwner) {
    // A mask that a fresh file would show: 0666 would come back 0644.
    const mode_t previousMask = ::umask(022);
    // Root may give the file away; anyone else keeps it, and the test checks that it stays.
    const bool root = ::geteuid() == 0;
    for (mode_t mode : {0666, 0640, 0604}) {
        SCOPED_TRACE(mode);
        ScratchFolder folder("mode");
        folder.write("Date/RankingDate.ini", "[EASY]\r\n1=900\r\n");
        const std::string path = (folder.path() / "Date" / "RankingDate.ini").string();
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        const uid_t owner = root ? 65534 : ::getuid();
        const gid_t group = root ? 65534 : ::getgid();
        ASSERT_EQ(::chown(path.c_str(), owner, group), 0);
        headlessReset();
        game = GameState{};
        insertRanking(950);
        struct stat after;
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & 07777, mode);
        EXPECT_EQ(after.st_uid, owner);
        EXPECT_EQ(after.st_gid, group);
        EXPECT_EQ(folder.read("Date/RankingDate.ini"),
                  "[EASY]\r\n1=950\r\n2=900\r\n3=\r\n4=\r\n5=\r\n");
    }
    ::umask(previousMask);
}

TEST(RankingFaults, AHugeFileIsNeitherReadWholeNorReplaced) {
    ScratchFolder folder("huge");
    headlessReset();
    game = GameState{};
    const std::string table = "[EASY]\r\n1=900\r\n2=800\r\n3=700\r\n4=600\r\n5=500\r\n";
    const auto path = folder.path() / "Date" / "RankingDate.ini";
    ASSERT_GE(bytesRead(), 0) << "no /proc/self/io here";

    // Under the limit, with the table first: a paint reads the table, not the other 10 MB.
    folder.write("Date/RankingDate.ini", table + std::string(10 << 20, '#') + "\r\n");
    long long before = bytesRead();
    EXPECT_EQ(tableOnDisk(), (std::array<std::string, 5>{"900", "800", "700", "600", "500"}));
    EXPECT_LT(bytesRead() - before, 1 << 20);

    // A few bytes under the limit: the new score's keys would take it past, so the comment
    // gives way and the file still reads, with the score in it.
    const std::string shortTable = "[EASY]\r\n1=900\r\n";
    const std::string comment(maxProfileFileBytes - 3 - shortTable.size() - 2, ';');
    folder.write("Date/RankingDate.ini", shortTable + comment + "\r\n");
    insertRanking(950);
    EXPECT_TRUE(game.keptWrites.empty());
    EXPECT_LE(std::filesystem::file_size(path), maxProfileFileBytes);
    EXPECT_EQ(tableOnDisk(), (std::array<std::string, 5>{"950", "900", "", "", ""}));
    EXPECT_GE(std::filesystem::file_size(path), maxProfileFileBytes - 64) << "the comment is gone";

    // 2 GB (a sparse file): nothing is read, the entries are empty, the file is kept whole,
    // and the player is told once that the scores cannot be kept.
    folder.write("Date/RankingDate.ini", table);
    std::filesystem::resize_file(path, uintmax_t{2} << 30);
    before = bytesRead();
    EXPECT_EQ(tableOnDisk(), (std::array<std::string, 5>{}));
    EXPECT_LT(bytesRead() - before, 1 << 20);
    insertRanking(950);
    insertRanking(960);
    showLockedWriteNotices();
    EXPECT_EQ(std::filesystem::file_size(path), uintmax_t{2} << 30);
    std::ifstream head(path, std::ios::binary);
    std::string start(table.size(), '\0');
    head.read(start.data(), static_cast<std::streamsize>(start.size()));
    EXPECT_EQ(start, table);
    ASSERT_EQ(headlessEvents().size(), 1u);
    EXPECT_EQ(headlessEvents()[0].text, keptScoreLine(textKeptUnusableFormat));
    EXPECT_EQ(headlessEvents()[0].caption, textErrorCaption);
}
