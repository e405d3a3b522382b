// Profile (INI) files, read and written the way the Windows profile functions do it.
//
// Section and key names match without regard to ASCII case; blanks around names and values do
// not count, and one pair of quotes around a value is dropped. A missing file, section or key
// reads as the default. Only the first section of a name counts, and in it the first key.
// A file may be plain bytes, UTF-8 after a byte-order mark or UTF-16 with one, its lines ended
// by LF, CR LF or CR alone in any mix (profile_encoding.h); a write keeps its form. A file
// larger than maxProfileFileBytes is not read, and reads as missing.
#pragma once

#include <cstddef>
#include <string>

// The largest profile file read, and so the largest written: a file the game wrote is a file
// it reads. Far beyond any table; a bigger file is junk.
constexpr size_t maxProfileFileBytes = size_t{16} << 20;

// The value of key, cut to outSize - 1 bytes, or defaultValue (null reads as "") when the
// file, section or key is missing.
void getProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                      size_t outSize, const char* resolvedPath);

// The value of key as a number: an optional sign and decimal digits, 0 when there are none,
// wrapping like a 32-bit register. defaultValue only when the file, section or key is missing.
int getProfileInt(const char* section, const char* key, int defaultValue, const char* resolvedPath);

struct ProfileEntry {
    const char* key;
    const char* value;
};

// Sets each key of section to its value: an existing key is rewritten in place, a missing one
// is added at the end of its section, a missing section or file is created; every other byte
// stays, unless the file would grow past maxProfileFileBytes: then comments give way
// (shortenProfileComments), never a key. All entries go to disk in one replacement
// (replaceDataFile). Returns false, with the old file intact, on failure.
bool writeProfileStrings(const char* section, const ProfileEntry* entries, int count,
                         const char* resolvedPath);

// The values of count keys of section into out[0] to out[count - 1], each cut to outSize - 1
// bytes, empty when missing; one read, which stops once the rest of the file cannot change
// them. False, with every value empty, when the file exists but cannot be used: larger than
// a profile file can sensibly be, or unreadable.
bool readProfileStrings(const char* section, const char* const* keys, int count, char* const* out,
                        size_t outSize, const char* resolvedPath);
