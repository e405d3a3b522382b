// Profile text in memory: which value a look-up finds, and what an edit leaves of the file.
#include "base/profile_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

struct Found {
    bool found;
    std::string value;
    bool operator==(const Found& other) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f) {
    return out << (f.found ? "found \"" + f.value + "\"" : "missing");
}

Found find(const std::string& text, const char* section, const char* key) {
    std::string_view value;
    bool found = findProfileValue(text, section, key, value);
    return {found, found ? std::string(value) : ""};
}

}  // namespace

TEST(ProfileText, LooksUpValuesLikeTheWindowsProfileFunctions) {
    struct Case {
        const char* name;
        std::string text;
        const char* section;
        const char* key;
        Found expected;
    };
    const Case cases[] = {
        {"plain", "[EASY]\n1=120\n", "EASY", "1", {true, "120"}},
        {"CR LF", "[EASY]\r\n1=120\r\n2=7\r\n", "EASY", "2", {true, "7"}},
        {"names ignore case", "[easy]\nKey=v\n", "EASY", "kEY", {true, "v"}},
        {"blanks around names and value",
         "  [ EASY ]  \n\t1 \t=  120 x  \n",
         "EASY",
         "1",
         {true, "120 x"}},
        {"quotes dropped", "[S]\na=\"q v\"\nb='w'\n", "S", "a", {true, "q v"}},
        {"single quotes dropped", "[S]\nb='w'\n", "S", "b", {true, "w"}},
        {"unmatched quote kept", "[S]\nc=\"x\n", "S", "c", {true, "\"x"}},
        {"empty value", "[EASY]\n1=\n", "EASY", "1", {true, ""}},
        {"value keeps its '='", "[S]\nk=a=b\n", "S", "k", {true, "a=b"}},
        {"missing section", "[NORMAL]\n1=5\n", "EASY", "1", {false, ""}},
        {"missing key", "[EASY]\n2=5\n", "EASY", "1", {false, ""}},
        {"key of another section", "[EASY]\n[HARD]\n1=5\n", "EASY", "1", {false, ""}},
        {"key before any section", "1=5\n[EASY]\n", "EASY", "1", {false, ""}},
        {"comment is no key", "[EASY]\n;1=5\n 1=6\n", "EASY", "1", {true, "6"}},
        {"line without '=' is no key", "[EASY]\n1\n1=6\n", "EASY", "1", {true, "6"}},
        {"first key wins", "[EASY]\n1=5\n1=6\n", "EASY", "1", {true, "5"}},
        {"first section wins", "[EASY]\n2=5\n[EASY]\n1=6\n", "EASY", "1", {false, ""}},
        {"'[' without ']' is no header", "[EASY]\n[junk\n1=5\n", "EASY", "1", {true, "5"}},
        {"last line without LF", "[EASY]\n1=5", "EASY", "1", {true, "5"}},
        {"NUL bytes are ordinary bytes", "[EASY]\n1\0=5\n1=a\0b\n"s, "EASY", "1", {true, "a\0b"s}},
        {"a lone CR ends a line", "[EASY]\r1=5\n", "EASY", "1", {true, "5"}},
        {"line ends of every kind, mixed",
         "[EASY]\r1=900\r2=800\r\n3=700\n4=600\r5=50",
         "EASY",
         "2",
         {true, "800"}},
        {"the last of mixed line ends",
         "[EASY]\r1=900\r2=800\r\n3=700\n4=600\r5=50",
         "EASY",
         "5",
         {true, "50"}},
        {"empty text", "", "EASY", "1", {false, ""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(find(c.text, c.section, c.key), c.expected) << c.name;
    }
}

TEST(ProfileText, LookupCopiesCutValuesOrTheDefault) {
    const std::string text = "[S]\nk=abcdef\n";
    struct Case {
        const char* key;
        const char* defaultValue;
        size_t outSize;
        std::string expected;
    };
    const Case cases[] = {
        {"k", "d", 80, "abcdef"},  {"k", "d", 4, "abc"},   {"k", "d", 1, ""},
        {"x", "dflt", 80, "dflt"}, {"x", "dflt", 3, "df"}, {"x", nullptr, 80, ""},
    };
    for (const Case& c : cases) {
        char out[80];
        std::memset(out, '#', sizeof out);
        lookupProfileString(text, "S", c.key, c.defaultValue, out, c.outSize);
        EXPECT_EQ(std::string(out), c.expected) << c.key << " " << c.outSize;
        if (c.outSize < sizeof out) {
            EXPECT_EQ(out[c.outSize], '#') << "written past outSize";
        }
    }
}

TEST(ProfileText, EditsKeepEveryOtherByte) {
    struct Case {
        const char* name;
        std::string text;
        const char* section;
        std::vector<ProfileEntry> entries;
        std::string expected;
    };
    const Case cases[] = {
        {"new file", "", "EASY", {{"1", "120"}, {"2", ""}}, "[EASY]\r\n1=120\r\n2=\r\n"},
        {"replaced in place, the rest kept",
         "; scores\r\n[EASY]\r\n1=900\r\n 2 = 800 \r\n[HARD]\r\n2=1\r\n",
         "easy",
         {{"2", "650"}},
         "; scores\r\n[EASY]\r\n1=900\r\n2=650\r\n[HARD]\r\n2=1\r\n"},
        {"key keeps the file's spelling", "[S]\nKey=1\n", "S", {{"KEY", "2"}}, "[S]\nKey=2\n"},
        {"missing key added after the section's last line",
         "[EASY]\n1=5\n\n\n[HARD]\n1=3\n",
         "EASY",
         {{"2", "4"}},
         "[EASY]\n1=5\n2=4\n\n\n[HARD]\n1=3\n"},
        {"comment lines stay inside their section",
         "[EASY]\n1=5\n; note\n[HARD]\n",
         "EASY",
         {{"3", "1"}},
         "[EASY]\n1=5\n; note\n3=1\n[HARD]\n"},
        {"key added to an empty section",
         "[EASY]\n[HARD]\n",
         "EASY",
         {{"1", "9"}},
         "[EASY]\n1=9\n[HARD]\n"},
        {"key added after a last line without LF",
         "[EASY]\r\n1=5",
         "EASY",
         {{"2", "4"}},
         "[EASY]\r\n1=5\r\n2=4\r\n"},
        {"missing section appended",
         "[EASY]\n1=5\n",
         "HARD",
         {{"1", "7"}},
         "[EASY]\n1=5\n[HARD]\n1=7\n"},
        {"section appended after a last line without LF",
         "x=1",
         "S",
         {{"k", "v"}},
         "x=1\r\n[S]\r\nk=v\r\n"},
        {"only the first section of a name is edited",
         "[S]\na=1\n[S]\nb=2\n",
         "S",
         {{"b", "3"}},
         "[S]\na=1\nb=3\n[S]\nb=2\n"},
        {"the same key twice: the last value",
         "[S]\nk=1\n",
         "S",
         {{"k", "2"}, {"k", "3"}},
         "[S]\nk=3\n"},
        {"the same new key twice: one line", "", "S", {{"k", "2"}, {"K", "3"}}, "[S]\r\nk=3\r\n"},
        {"a value is one line", "", "S", {{"k", "1\r\n[HARD]"}}, "[S]\r\nk=1\r\n"},
        {"a value ends at a lone CR", "", "S", {{"k", "1\r2"}}, "[S]\r\nk=1\r\n"},
        {"added keys take the line end most lines have",
         "[EASY]\r1=900\r2=800\r\n3=700\n4=600\r5=50",
         "EASY",
         {{"5", "55"}, {"6", "1"}},
         "[EASY]\r1=900\r2=800\r\n3=700\n4=600\r5=55\r6=1\r"},
        // Values the reader would trim or unquote are quoted, so they read back as written.
        {"padded and quoted values are quoted",
         "[S]\n",
         "S",
         {{"a", "12\v"}, {"b", "'q'"}, {"c", "\"x"}, {"d", " 7"}},
         "[S]\na=\"12\v\"\nb=\"'q'\"\nc=\"x\nd=\" 7\"\n"},
        {"CR LF of a rewritten line kept in an LF file",
         "[S]\nk=1\r\nj=0\n",
         "S",
         {{"k", "2"}, {"i", "5"}},
         "[S]\nk=2\r\nj=0\ni=5\n"},
        {"nothing to write", "[S]\nk=1", "S", {}, "[S]\nk=1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(editProfileText(c.text, c.section, c.entries.data(),
                                  static_cast<int>(c.entries.size())),
                  c.expected)
            << c.name;
    }
}

// Room made under the size limit comes out of comments and stray lines, the longest first,
// never out of a key or a header, and never through the middle of a character.
TEST(ProfileText, ShortensCommentsNeverTheTable) {
    struct Case {
        const char* name;
        std::string text;
        size_t bytes;
        bool utf8;
        bool done;
        std::string expected;
    };
    const Case cases[] = {
        {"the longest comment loses its end", "; ab\n[S]\n; abcdef\nk=1\n", 3, false, true,
         "; ab\n[S]\n; abc\nk=1\n"},
        {"a line that would keep nothing goes", "[S]\r\n;x\r\nk=1\r\n", 3, false, true,
         "[S]\r\nk=1\r\n"},
        {"then the next longest", "[S]\n;1234\n;12\nk=1\n", 7, false, true, "[S]\n;1\nk=1\n"},
        {"a code page 932 character stays whole", "[S]\n;\x82\xA0\x82\xA0\n", 1, false, true,
         "[S]\n;\x82\xA0\n"},
        {"a UTF-8 character stays whole", "[S]\n;\xE3\x81\x82\xE3\x81\x82\n", 1, true, true,
         "[S]\n;\xE3\x81\x82\n"},
        {"keys and headers are never cut", "[S]\n;ab\nkey=a long value\n", 9, false, false,
         "[S]\n;ab\nkey=a long value\n"},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(shortenProfileComments(text, c.bytes, c.utf8), c.done) << c.name;
        EXPECT_EQ(text, c.expected) << c.name;
    }
}

// Junk of every kind still edits to a text that reads back what was written, with every other
// section and key reading as before.
TEST(ProfileText, HostileTextNeverBreaksTheEditOrTheLookup) {
    const char alphabet[] =
        "[]=;\"' \t\r\n\0\x1A\xFF"
        "EASYeasy12";
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    std::vector<std::string> texts = {
        std::string(10 << 20, 'x') + "\n[EASY]\n1=5\n",  // a 10 MB line
        "[EASY]\n" + std::string(1 << 20, '='),          // a 1 MB key line of '='
        std::string(1 << 16, '\n'),                      // nothing but line feeds
        "[EASY]\nno equals here\n1\n2\n",
    };
    for (int i = 0; i < 300; ++i) {
        std::string junk(next() % 200, '\0');
        for (char& c : junk) c = alphabet[next() % (sizeof alphabet - 1)];
        texts.push_back(junk);
    }
    const ProfileEntry entries[] = {{"1", "650"}, {"2", "900abc"}, {"5", ""}};
    const char* otherSections[] = {"SA", "A", "easy1", ""};
    const char* otherKeys[] = {"E", "A", "11", "", "1", "2"};
    for (const std::string& text : texts) {
        std::string edited = editProfileText(text, "EASY", entries, 3);
        std::string shown = testing::PrintToString(text.substr(0, 120));
        for (const ProfileEntry& entry : entries) {
            EXPECT_EQ(find(edited, "EASY", entry.key), (Found{true, entry.value})) << shown;
        }
        for (const char* key : otherKeys) {
            for (const char* section : otherSections) {
                EXPECT_EQ(find(edited, section, key), find(text, section, key)) << shown;
            }
            if (std::string(key) != "1" && std::string(key) != "2") {
                EXPECT_EQ(find(edited, "EASY", key), find(text, "EASY", key)) << shown;
            }
        }
    }
}
