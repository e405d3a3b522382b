// The ranking file under a process killed at random moments of its writes, a process slow
// inside its write, a lock held all along, and a file or folder that cannot be written.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "backends/headless/headless.h"
#include "base/data_path.h"
#include "base/game_state.h"
#include "base/locked_write.h"
#include "base/texts.h"
#include "platform/platform.h"
#include "ranking/ranking_file.h"
#include "tests/support/scratch_folder.h"

namespace {

using Table = std::array<std::string, 5>;

// Lines every replacement must carry over byte for byte; the Easy table is added after them.
const std::string otherSections =
    "; Keyfall ranking\r\n[NORMAL]\r\n1=777\r\n2=5\r\n\r\n[HARD]\r\n1=3\r\n";

Table tableOnDisk() {
    game = GameState{};
    auto& text = game.rankingText;
    readRanking(text[0], text[1], text[2], text[3], text[4]);
    return {text[0], text[1], text[2], text[3], text[4]};
}

// The Easy table after the scores 1, 2, ..., n were entered in turn.
Table tableAfter(long n) {
    Table table;
    for (long k = 0; k < 5; ++k) table[k] = n - k > 0 ? std::to_string(n - k) : "";
    return table;
}

std::string shown(const Table& table) {
    std::string text;
    for (const std::string& entry : table) text += "[" + entry + "]";
    return text;
}

// Reads what the writer said, until the text holds until or the stream ends (5 s at most).
bool readUntil(int fd, std::string& said, const std::string& until) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (until.empty() || said.find(until) == std::string::npos) {
        pollfd ready = {fd, POLLIN, 0};
        if (std::chrono::steady_clock::now() > deadline || ::poll(&ready, 1, 100) < 0) {
            return false;
        }
        if (!(ready.revents & (POLLIN | POLLHUP))) continue;
        char chunk[4096];
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got <= 0) return until.empty();
        said.append(chunk, static_cast<size_t>(got));
    }
    return true;
}

// The number on the last line that begins with word, or -1.
long lastNumber(const std::string& said, const std::string& word) {
    size_t at = said.rfind(word + " ");
    return at == std::string::npos ? -1 : std::atol(said.c_str() + at + word.size() + 1);
}

struct Writer {
    pid_t pid;
    int output;
};

Writer startWriter(const char* count, const char* slowMs = nullptr) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) std::abort();
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        ::execl(KEYFALL_RANKING_WRITER, KEYFALL_RANKING_WRITER, count, slowMs, nullptr);
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    return {pid, pipeEnds[0]};
}

}  // namespace

// Each run of the writer is killed at a random moment after it is ready. Whatever the moment,
// the file reads as the table before the entry in progress or the table after it.
TEST(CrashSafeRanking, AKillAtAnyMomentLeavesTheTableBeforeOrAfterTheEntry) {
    ScratchFolder folder;
    folder.write("Date/RankingDate.ini", otherSections);
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    // The kill comes at a random moment within this bound. A sanitizer build on a busy machine
    // can take longer than the first bound for one entry, so the bound grows while kills find
    // no entry done, and kills still land after some entries.
    int delayBoundUs = 12000;

    constexpr int kills = 250;
    long entered = 0;  // the score of the last entry known to be complete
    int killedInsideAnEntry = 0;
    int killedAfterTheRename = 0;  // inside an entry, with the new table already in place
    for (int kill = 0; kill < kills; ++kill) {
        Writer writer = startWriter(nullptr);
        std::string said;
        ASSERT_TRUE(readUntil(writer.output, said, "ready\n")) << "the writer did not start";
        std::uniform_int_distribution<int> delayUs(0, delayBoundUs);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(writer.pid, SIGKILL);
        int status = 0;
        ::waitpid(writer.pid, &status, 0);
        readUntil(writer.output, said, "");
        ::close(writer.output);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended before it was killed";

        const long begun = lastNumber(said, "begin");
        const long done = lastNumber(said, "done");
        if (done < 0) delayBoundUs = std::min(delayBoundUs * 5 / 4, 500000);
        const Table table = tableOnDisk();
        const std::string file = folder.read("Date/RankingDate.ini");
        ASSERT_EQ(file.compare(0, otherSections.size(), otherSections), 0)
            << "kill " << kill << ": the other sections were not kept:\n"
            << file;
        if (begun > done) {
            // Killed inside the entry of score begun: either table, nothing in between.
            ++killedInsideAnEntry;
            ASSERT_TRUE(table == tableAfter(begun - 1) || table == tableAfter(begun))
                << "kill " << kill << " inside entry " << begun << ": " << shown(table);
            entered = table == tableAfter(begun) ? begun : begun - 1;
            killedAfterTheRename += entered == begun;
        } else {
            if (done > 0) entered = done;
            ASSERT_EQ(table, tableAfter(entered)) << "kill " << kill << " between entries";
        }
    }
    // The writer spends nearly all its time inside entries; most kills must land there, or
    // this test would prove little.
    EXPECT_GE(killedInsideAnEntry, kills / 2);
    EXPECT_GE(entered, 20);

    // A clean run after all that goes on from the table and leaves no temporary file behind.
    Writer writer = startWriter("3");
    std::string said;
    EXPECT_TRUE(readUntil(writer.output, said, ""));
    ::close(writer.output);
    int status = 0;
    ::waitpid(writer.pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(tableOnDisk(), tableAfter(entered + 3));
    // Those the killed runs left are removed by the first run that takes the lock.
    for (const auto& entry : std::filesystem::directory_iterator(folder.path() / "Date")) {
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    }
    std::printf(
        "%d kills, %d inside an entry (%d of them after the new table was in place), %ld "
        "scores entered\n",
        kills, killedInsideAnEntry, killedAfterTheRename, entered + 3);
}

namespace {

std::vector<std::string> boxTexts() {
    std::vector<std::string> texts;
    for (const HeadlessEvent& event : headlessEvents()) {
        if (event.kind == HeadlessEventKind::messageBox) texts.push_back(event.text);
    }
    return texts;
}

std::string scoreLine(const char* format) {
    char line[1024];
    std::snprintf(line, sizeof line, format, "RankingDate.ini", textWhatScore, textWhatScore);
    return line;
}

}  // namespace

// Another copy of the game slow inside its replacement, its lock held past the seconds an
// older game waited before it wrote without it: the score of the game that ends meanwhile
// waits, the window going on, and goes in after the other's. Neither is lost, nothing is said.
TEST(CrashSafeRanking, AWriterSlowPastSecondsLosesNoScore) {
    ScratchFolder folder;
    folder.write("Date/RankingDate.ini", otherSections);
    headlessReset();
    game = GameState{};
    headlessCreateWindow(windowProcedure);
    Writer writer = startWriter("1", "4000");
    std::string said;
    ASSERT_TRUE(readUntil(writer.output, said, "renaming\n")) << "the writer did not get there";
    insertRanking(50);
    EXPECT_TRUE(headlessTimerRunning(3)) << "the score waits for the lock";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!game.keptWrites.empty() && std::chrono::steady_clock::now() < deadline) {
        headlessAdvance(200);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_FALSE(headlessTimerRunning(3));
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_TRUE(readUntil(writer.output, said, ""));
    ::close(writer.output);
    int status = 0;
    ::waitpid(writer.pid, &status, 0);
    EXPECT_NE(said.find("done 1"), std::string::npos) << said;
    headlessSend(msgClose, 0, 0);
    EXPECT_EQ(tableOnDisk(), (Table{"50", "1", "", "", ""}));
}

// A lock another copy holds all along: after a minute the player hears that the score is not
// saved, and it goes in at the next game over. At the window's close a lock let go during
// the last wait is in time; one held throughout loses the score, and the player hears so.
TEST(CrashSafeRanking, ALockHeldAllAlongIsToldOfAndTheScoreKept) {
    ScratchFolder folder;
    folder.write("Date/RankingDate.ini", "[EASY]\r\n1=900\r\n");
    headlessReset();
    game = GameState{};
    headlessCreateWindow(windowProcedure);
    char path[dataPathSize];
    ASSERT_TRUE(resolveRankingPath(path));
    // flock keeps out another open of the file, in this process as in another.
    LockAttempt attempt;
    FileLock other = lockDataFile(path, 0, attempt);
    ASSERT_NE(other, nullptr);
    insertRanking(850);
    headlessAdvance(59000);
    EXPECT_TRUE(boxTexts().empty()) << "told before the minute is up";
    headlessAdvance(2000);
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{scoreLine(textKeptBusyFormat)}));
    EXPECT_FALSE(headlessTimerRunning(3));
    unlockDataFile(other);
    insertRanking(0);
    EXPECT_TRUE(game.keptWrites.empty());

    other = lockDataFile(path, 0, attempt);
    insertRanking(860);
    std::thread letGo([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        unlockDataFile(other);
    });
    flushLockedWrites();
    letGo.join();
    EXPECT_TRUE(game.keptWrites.empty());

    headlessClearEvents();
    other = lockDataFile(path, 0, attempt);
    insertRanking(870);
    headlessSend(msgClose, 0, 0);
    unlockDataFile(other);
    char lost[512];
    std::snprintf(lost, sizeof lost, textLostAtCloseFormat, "RankingDate.ini", textWhatScore);
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{lost}));
    EXPECT_EQ(tableOnDisk(), (Table{"900", "860", "850", "", ""}));
}

namespace {

constexpr uid_t nobody = 65534;

// Enters a score that beats every entry, in a child process; as an unprivileged user when
// asked (root writes whatever the permission bits say). Returns false when the user cannot
// be changed.
bool enterScoreInChild(bool unprivileged) {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (unprivileged && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) {
                ::_exit(77);
            }
            // The scratch folder may lie below a folder that user cannot enter.
            char cwd[4096];
            if (!::getcwd(cwd, sizeof cwd) || ::access(cwd, R_OK | X_OK) != 0) ::_exit(77);
        }
        game = GameState{};
        insertRanking(100000);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return !(WIFEXITED(status) && WEXITSTATUS(status) == 77);
}

}  // namespace

// A file or folder that cannot be written keeps the table as it was; the score is kept and
// the player told (RankingFaults checks the telling).
TEST(CrashSafeRanking, AFileOrFolderThatCannotBeWrittenKeepsTheTable) {
    const std::string table = "[EASY]\r\n1=900\r\n2=800\r\n";
    struct Case {
        const char* name;
        bool unprivileged;  // the permission bits must count
        std::function<void(const std::filesystem::path& date)> prepare;
        bool changes;
    };
    const Case cases[] = {
        // The temporary file's name is a new one every time: nothing planted can stop it.
        {"a folder under the name of a fixed temporary file", false,
         [](const auto& date) { std::filesystem::create_directory(date / "RankingDate.ini.tmp"); },
         true},
        {"a read-only file in a writable folder", true,
         [](const auto& date) {
             ::chmod(date.c_str(), 0777);
             ::chmod((date / "RankingDate.ini").c_str(), 0444);
         },
         false},
        {"a read-only folder", true,
         [](const auto& date) {
             ::chmod((date / "RankingDate.ini").c_str(), 0666);
             ::chmod(date.c_str(), 0555);
         },
         false},
        // The same user can write when the bits allow it, so the cases above prove something.
        {"a writable file and folder", true,
         [](const auto& date) {
             ::chmod(date.c_str(), 0777);
             ::chmod((date / "RankingDate.ini").c_str(), 0666);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        folder.write("Date/RankingDate.ini", table);
        c.prepare(folder.path() / "Date");
        if (!enterScoreInChild(c.unprivileged)) {
            GTEST_SKIP() << "running as root, whom permission bits do not stop, and no "
                            "unprivileged user can work in the scratch folder here";
        }
        const std::string after = folder.read("Date/RankingDate.ini");
        if (c.changes) {
            EXPECT_EQ(tableOnDisk(), (Table{"100000", "900", "800", "", ""}));
        } else {
            EXPECT_EQ(after, table);
        }
    }
}
