// Profile files on disk: whole-file reads, and writes that replace the file in one step.
#include "base/profile_file.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "base/profile_text.h"
#include "platform/platform.h"

namespace {

// Far beyond any profile file the game writes; a bigger one is junk and is not loaded whole.
constexpr size_t maxProfileBytes = size_t{16} << 20;

enum class Load { loaded, missing, failed };

Load loadText(const char* resolvedPath, std::string& text) {
    text.clear();
    if (!resolvedPath || !*resolvedPath) return Load::missing;
    std::FILE* file = openDataFile(resolvedPath, "rb");
    if (!file) return Load::missing;
    Load result = Load::loaded;
    char chunk[16384];
    for (;;) {
        size_t got = std::fread(chunk, 1, sizeof chunk, file);
        text.append(chunk, got);
        if (text.size() > maxProfileBytes) {
            result = Load::failed;
            break;
        }
        if (got < sizeof chunk) {
            if (std::ferror(file)) result = Load::failed;
            break;
        }
    }
    std::fclose(file);
    if (result != Load::loaded) text.clear();
    return result;
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

bool loadProfileText(const char* resolvedPath, std::string& text) {
    return loadText(resolvedPath, text) == Load::loaded;
}

void getProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                      size_t outSize, const char* resolvedPath) {
    std::string text;
    loadProfileText(resolvedPath, text);
    lookupProfileString(text, section, key, defaultValue, out, outSize);
}

int getProfileInt(const char* section, const char* key, int defaultValue,
                  const char* resolvedPath) {
    std::string text;
    std::string_view value;
    if (!section || !key || !loadProfileText(resolvedPath, text) ||
        !findProfileValue(text, section, key, value)) {
        return defaultValue;
    }
    return parseProfileInt(value);
}

bool writeProfileStrings(const char* section, const ProfileEntry* entries, int count,
                         const char* resolvedPath) {
    if (!section || !resolvedPath || !*resolvedPath || (count > 0 && !entries)) return false;
    std::string text;
    Load state = loadText(resolvedPath, text);
    // A file that exists but cannot be read whole must not be replaced by what little we saw.
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

    // Replaced in one step, so that a crash leaves either the old table or the new one.
    return replaceDataFile(resolvedPath, edited.data(), edited.size());
}
