// Profile files on disk: whole-file reads, and writes that replace the file in one step.
#include "base/profile_file.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "base/profile_encoding.h"
#include "base/profile_text.h"
#include "platform/platform.h"

namespace {

constexpr size_t chunkBytes = 16384;

enum class Load { loaded, missing, failed };

// The size of an open file, told without reading it; false when the C runtime cannot tell
// it (a file past its long's range is too large anyway).
bool sizeOf(std::FILE* file, size_t& size) {
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    long end = std::ftell(file);
    if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) return false;
    size = static_cast<size_t>(end);
    return true;
}

// The file's text (see profile_encoding.h). settled, given the bytes read so far, may end the
// read early once the rest cannot change what the caller looks up.
template <typename Settled>
Load loadText(const char* resolvedPath, std::string& text, ProfileForm& form, Settled settled) {
    text.clear();
    form = ProfileForm{};
    if (!resolvedPath || !*resolvedPath) return Load::missing;
    std::FILE* file = openDataFile(resolvedPath, "rb");
    if (!file) return Load::missing;
    size_t size = 0;
    Load result = sizeOf(file, size) && size <= maxProfileFileBytes ? Load::loaded : Load::failed;
    std::string bytes;
    char chunk[chunkBytes];
    // Asked again each time the text has doubled: a big file costs twice its parse at most.
    size_t nextQuestion = chunkBytes;
    while (result == Load::loaded) {
        size_t got = std::fread(chunk, 1, sizeof chunk, file);
        bytes.append(chunk, got);
        // It may have grown since its size was told.
        if (bytes.size() > maxProfileFileBytes) result = Load::failed;
        if (got < sizeof chunk) {
            if (std::ferror(file)) result = Load::failed;
            break;
        }
        if (bytes.size() >= nextQuestion) {
            nextQuestion = bytes.size() * 2;
            if (settled(std::string_view(bytes))) break;
        }
    }
    std::fclose(file);
    // A file that cannot be read whole must not be replaced by what little was seen.
    if (result == Load::loaded) text = profileTextFromFile(bytes, form);
    return result;
}

Load loadWhole(const char* resolvedPath, std::string& text, ProfileForm& form) {
    return loadText(resolvedPath, text, form, [](std::string_view) { return false; });
}

// Optional sign and decimal digits, accumulated in 32 bits that wrap as the Windows parser's do.
int parseProfileInt(std::string_view value) {
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    uint32_t number = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        number = number * 10u + static_cast<uint32_t>(value[i] - '0');
    }
    return static_cast<int>(negative ? 0u - number : number);
}

}  // namespace

void getProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                      size_t outSize, const char* resolvedPath) {
    std::string text;
    ProfileForm form;
    loadWhole(resolvedPath, text, form);
    lookupProfileString(text, section, key, defaultValue, out, outSize);
}

int getProfileInt(const char* section, const char* key, int defaultValue,
                  const char* resolvedPath) {
    std::string text;
    ProfileForm form;
    std::string_view value;
    if (!section || !key || loadWhole(resolvedPath, text, form) != Load::loaded ||
        !findProfileValue(text, section, key, value)) {
        return defaultValue;
    }
    return parseProfileInt(value);
}

bool readProfileStrings(const char* section, const char* const* keys, int count, char* const* out,
                        size_t outSize, const char* resolvedPath) {
    // Only whole lines of a file in plain bytes (or UTF-8 after its mark) can settle the keys
    // early; a UTF-16 file is read whole. A CR at the end may be half of a CR LF: the line
    // before it is whole all the same.
    auto settled = [&](std::string_view bytes) {
        if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") return false;
        size_t lastEnd = bytes.find_last_of("\r\n");
        if (lastEnd == std::string_view::npos) return false;
        std::string_view lines = bytes.substr(0, lastEnd + 1);
        if (lines.substr(0, 3) == "\xEF\xBB\xBF") lines.remove_prefix(3);
        return profileValuesSettled(lines, section, keys, count);
    };
    std::string text;
    ProfileForm form;
    Load state = section ? loadText(resolvedPath, text, form, settled) : Load::missing;
    for (int k = 0; k < count; ++k) {
        lookupProfileString(text, section, keys[k], "", out[k], outSize);
    }
    return state != Load::failed;
}

bool writeProfileStrings(const char* section, const ProfileEntry* entries, int count,
                         const char* resolvedPath) {
    if (!section || !resolvedPath || !*resolvedPath || (count > 0 && !entries)) return false;
    std::string text;
    ProfileForm form;
    Load state = loadWhole(resolvedPath, text, form);
    if (state == Load::failed) return false;
    std::string edited = editProfileText(text, section, entries, count);
    if (state == Load::loaded && edited == text) return true;
    // A file the player made read-only keeps its table, as under the Windows profile
    // functions; a rename would replace it whatever its permissions say.
    if (state == Load::loaded) {
        std::FILE* existing = openDataFile(resolvedPath, "r+b");
        if (!existing) return false;
        std::fclose(existing);
    }
    // In the file's own encoding and line ends; replaced in one step, so that a crash leaves
    // either the old table or the new one.
    std::string bytes = profileFileFromText(edited, form);
    // Never a file its reader would refuse: past the limit, a long comment gives way.
    while (bytes.size() > maxProfileFileBytes) {
        size_t over = bytes.size() - maxProfileFileBytes;
        // A text byte is at least two bytes of a UTF-16 file, unless it is part of a longer
        // character; what is still over is taken in the next round.
        const bool utf16 =
            form.encoding == ProfileForm::utf16Le || form.encoding == ProfileForm::utf16Be;
        if (utf16) over = (over + 1) / 2;
        if (!shortenProfileComments(edited, over, form.encoding != ProfileForm::bytes)) {
            return false;
        }
        bytes = profileFileFromText(edited, form);
    }
    return replaceDataFile(resolvedPath, bytes.data(), bytes.size());
}
