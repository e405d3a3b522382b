// Code page 932 texts and paths made UTF-16 at the edge, so that the wide Windows functions
// show them right whatever the system's ANSI code page is.
#pragma once

#include <windows.h>

#include <string>

// The whole NUL-terminated text converted from code page 932. A byte sequence that is not
// code page 932 becomes the replacement character; an empty or null text gives "".
inline std::wstring wideFromCp932(const char* text) {
    if (!text || !*text) return {};
    int length = MultiByteToWideChar(932, 0, text, -1, nullptr, 0);
    if (length <= 1) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(932, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

// A UTF-16 text in code page 932. Returns false, with out empty, when a character has no
// code page 932 form: a name changed to '?' would point at another file.
inline bool cp932FromWide(const wchar_t* text, std::string& out) {
    out.clear();
    if (!text || !*text) return true;
    BOOL lossy = FALSE;
    int length =
        WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) return false;
    out.assign(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text, -1, out.data(), length, nullptr, nullptr);
    out.resize(static_cast<size_t>(length) - 1);
    return true;
}

// A resolved data path as Windows names the file: converted from code page 932, with the
// separators that path resolution doubles made single again. A path that starts with two
// or more separators (a network share) keeps two there.
inline std::wstring widePath(const char* resolvedPath) {
    std::wstring wide = wideFromCp932(resolvedPath);
    size_t start = 0;
    while (start < wide.size() && (wide[start] == L'\\' || wide[start] == L'/')) ++start;
    std::wstring path(start >= 2 ? 2 : start, L'\\');
    for (size_t i = start; i < wide.size(); ++i) {
        wchar_t c = wide[i] == L'/' ? L'\\' : wide[i];
        if (c == L'\\' && !path.empty() && path.back() == L'\\') continue;
        path += c;
    }
    return path;
}

// The code page 932 bytes of one typed UTF-16 unit, for a game that judges bytes. A high
// surrogate is kept in pendingHigh until its low half comes; a character without a code page
// 932 form gives '?', as Windows gives an ANSI window. Returns the number of bytes (0 to 4).
inline int cp932FromTypedUnit(wchar_t unit, wchar_t& pendingHigh, unsigned char bytes[4]) {
    if (IS_HIGH_SURROGATE(unit)) {
        pendingHigh = unit;
        return 0;
    }
    wchar_t character[2] = {unit, 0};
    int units = 1;
    if (IS_LOW_SURROGATE(unit)) {
        if (!pendingHigh) return 0;
        character[0] = pendingHigh;
        character[1] = unit;
        units = 2;
    }
    pendingHigh = 0;
    if (unit < 0x80) {
        bytes[0] = static_cast<unsigned char>(unit);
        return 1;
    }
    char converted[4] = {};
    BOOL lossy = FALSE;
    int count =
        WideCharToMultiByte(932, 0, character, units, converted, sizeof converted, nullptr, &lossy);
    // One character, one '?': not one per UTF-16 unit.
    if (lossy || count <= 0) {
        bytes[0] = '?';
        return 1;
    }
    for (int i = 0; i < count; ++i) bytes[i] = static_cast<unsigned char>(converted[i]);
    return count;
}
