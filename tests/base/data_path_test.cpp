// resolveDataPath's doubling walk.
#include <gtest/gtest.h>

#include <string>

#include "base/data_path.h"

namespace {

std::string resolveFrom(const std::string& cwd, const char* relative) {
    char dest[dataPathSize];
    EXPECT_TRUE(resolveDataPathFrom(dest, cwd.c_str(), relative));
    return dest;
}

}  // namespace

TEST(ResolveDataPath, DoublesSeparatorsNotFollowingALeadByte) {
    struct Case {
        std::string cwd;
        const char* relative;
        std::string expected;
    };
    const Case cases[] = {
        {"C:\\Play", "\\Date\\Words.txt", "C:\\\\Play\\\\Date\\\\Words.txt"},
        {"C:\\", "\\Date\\Game.ini", "C:\\\\\\\\Date\\\\Game.ini"},
        // A folder named by one double-byte character whose trail byte is 0x5C.
        {"C:\\\x95\\", "\\Date\\Icon.ico", "C:\\\\\x95\\\\\\Date\\\\Icon.ico"},
        // A trail byte in the lead range keeps the separator after it single.
        {"C:\\\x88\x9F", "\\Date", "C:\\\\\x88\x9F\\Date"},
        // A backslash at index 0 counts as not following a lead byte.
        {"\\share", "\\Date", "\\\\share\\\\Date"},
        {"/home/player", "\\date\\RankingDate.ini", "/home/player\\\\date\\\\RankingDate.ini"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(resolveFrom(c.cwd, c.relative), c.expected) << c.cwd;
    }
}

TEST(ResolveDataPath, RefusesAPathThatDoesNotFit) {
    char dest[dataPathSize];
    // 1000 bytes without separators fit; the doubling of two separators pushes past 1023.
    std::string cwd(1000, 'a');
    EXPECT_TRUE(resolveDataPathFrom(dest, cwd.c_str(), "\\Date\\x"));
    EXPECT_EQ(std::string(dest).size(), 1000u + 9u);

    std::string longCwd(1015, 'a');
    EXPECT_FALSE(resolveDataPathFrom(dest, longCwd.c_str(), "\\Date\\Words.txt"));
    EXPECT_STREQ(dest, "");

    // Exactly 1024 bytes before any doubling: refused before a byte is written past the end.
    std::string exact(dataPathSize - 7, 'a');
    EXPECT_FALSE(resolveDataPathFrom(dest, exact.c_str(), "\\Date\\x"));
    EXPECT_STREQ(dest, "");

    std::string hugeCwd(3000, 'a');
    EXPECT_FALSE(resolveDataPathFrom(dest, hugeCwd.c_str(), "\\Date"));
    EXPECT_STREQ(dest, "");

    // Exactly 1023 bytes with the doubled separator fits.
    std::string edge(1023 - 6, 'b');
    EXPECT_TRUE(resolveDataPathFrom(dest, edge.c_str(), "\\Date"));
    EXPECT_EQ(std::string(dest).size(), 1023u);
    std::string over(1023 - 5, 'b');
    EXPECT_FALSE(resolveDataPathFrom(dest, over.c_str(), "\\Date"));
}
