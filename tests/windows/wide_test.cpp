// Code page 932 texts, paths and typed characters as the Windows backend converts them.
#include <gtest/gtest.h>

#include <string>

#include "backends/win32/wide.h"

TEST(WideTest, TextsConvertFromCodePage932) {
    struct Case {
        const char* text;
        std::wstring expected;
    };
    const Case cases[] = {
        {"Keyfall", L"Keyfall"},
        {"", L""},
        {"\x83X\x83R\x83"
         "A",
         L"\u30B9\u30B3\u30A2"},                        // スコア
        {"\x83\x5C\x83t\x83g", L"\u30BD\u30D5\u30C8"},  // ソフト: 0x5C as trail byte
        {"\x82l\x82r \x83S\x83V\x83"
         "b\x83N",
         L"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF"},
        {"\xB1\xB2", L"\uFF71\uFF72"},  // half-width katakana
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wideFromCp932(c.text), c.expected) << c.text;
    }
    EXPECT_EQ(wideFromCp932(nullptr), L"");
}

TEST(WideTest, PathsLoseDoubledSeparatorsOnly) {
    struct Case {
        const char* resolved;
        std::wstring expected;
    };
    const Case cases[] = {
        {"C:\\\\games\\\\Date\\\\Words.txt", L"C:\\games\\Date\\Words.txt"},
        {"C:\\\\\\\\Date\\\\Icon.ico", L"C:\\Date\\Icon.ico"},
        // A network share keeps its two leading separators.
        {"\\\\\\\\server\\\\share\\\\Date\\\\Game.ini", L"\\\\server\\share\\Date\\Game.ini"},
        // The trail byte 0x5C of ソ is not a separator, and the one after it stays single.
        {"C:\\\\\x83\x5C\\Date\\\\Words.txt", L"C:\\\u30BD\\Date\\Words.txt"},
        {"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(widePath(c.resolved), c.expected) << c.resolved;
    }
}

TEST(WideTest, NamesWithoutCodePage932FormAreRefused) {
    std::string out = "stale";
    EXPECT_TRUE(cp932FromWide(L"C:\\\u30B2\u30FC\u30E0", out));
    EXPECT_EQ(out, "C:\\\x83Q\x81[\x83\x80");
    // Hangul has no code page 932 form: a '?' in its place would name another folder.
    EXPECT_FALSE(cp932FromWide(L"C:\\\uD55C", out));
    EXPECT_EQ(out, "");
}

TEST(WideTest, TypedCharactersBecomeCodePage932Bytes) {
    struct Case {
        std::wstring units;
        std::string expected;
    };
    const Case cases[] = {
        {L"ka", "ka"},
        {L"\b\r\x1B", "\b\r\x1B"},
        {L"\u30A2", "\x83\x41"},           // ア: lead byte, then trail byte
        {L"\u30BD", "\x83\x5C"},           // ソ
        {L"\uFF71", "\xB1"},               // half-width ｱ is one byte
        {L"\uD55C", "?"},                  // no code page 932 form
        {L"\U0001F600", "?"},              // a surrogate pair is one character
        {std::wstring(1, L'\xDC00'), ""},  // a lone low surrogate is dropped
    };
    for (const Case& c : cases) {
        wchar_t pending = 0;
        std::string bytes;
        for (wchar_t unit : c.units) {
            unsigned char out[4];
            int count = cp932FromTypedUnit(unit, pending, out);
            bytes.append(reinterpret_cast<const char*>(out), static_cast<size_t>(count));
        }
        EXPECT_EQ(bytes, c.expected);
        EXPECT_EQ(pending, 0);
    }
}
