// Bitmap files read whole into one block, refused with a reason when they break the rules.
#include "render/bitmap_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/cp932.h"
#include "platform/platform.h"
#include "render/keyed_blit.h"

namespace {

constexpr uint32_t fileHeaderBytes = 14;
constexpr int maxSide = 4096;
// Larger than any picture of at most 4096 x 4096 with its headers; refused before reading.
constexpr long maxFileBytes = 64L * 1024 * 1024;

uint32_t readLittleEndian32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

int64_t roundUpTo4(int64_t value) { return (value + 3) / 4 * 4; }

// A resolved path as a player would write it: each run of separators one '/'. The trail
// byte of a double-byte character is never taken for a separator.
std::string readablePath(const char* path) {
    std::string out;
    for (const char* p = path; *p; ++p) {
        if (isCp932LeadByte(static_cast<unsigned char>(*p)) && p[1]) {
            out += *p++;
            out += *p;
        } else if (*p == '\\' || *p == '/') {
            if (out.empty() || out.back() != '/') out += '/';
        } else {
            out += *p;
        }
    }
    return out;
}

DibImage refuse(const char* path, uint8_t* block, const char* reason) {
    std::free(block);
    std::fprintf(stderr, "Keyfall: picture left out: %s: %s\n", readablePath(path).c_str(), reason);
    return DibImage{};
}

// Writes why a file that was read whole cannot be drawn safely; false when it can.
bool findFault(const uint8_t* block, long size, char* reason, size_t reasonSize) {
    if (size < static_cast<long>(fileHeaderBytes + sizeof(BitmapInfoHeader))) {
        std::snprintf(reason, reasonSize, "only %ld bytes, shorter than the bitmap headers", size);
        return true;
    }
    const auto* header = reinterpret_cast<const BitmapInfoHeader*>(block + fileHeaderBytes);
    const long width = header->biWidth;
    const long height = header->biHeight;
    if (header->biSize < sizeof(BitmapInfoHeader) || header->biSize > size - fileHeaderBytes) {
        std::snprintf(reason, reasonSize, "an info header of %lu bytes does not fit",
                      static_cast<unsigned long>(header->biSize));
    } else if (header->biBitCount != 24) {
        std::snprintf(reason, reasonSize, "%d bits per pixel, not 24", header->biBitCount);
    } else if (header->biCompression != 0) {
        std::snprintf(reason, reasonSize, "compressed pixel data");
    } else if (height <= 0) {
        std::snprintf(reason, reasonSize, "%ld x %ld: the height is not positive", width, height);
    } else if (width <= 0) {
        std::snprintf(reason, reasonSize, "%ld x %ld: the width is not positive", width, height);
    } else if (width > maxSide || height > maxSide) {
        std::snprintf(reason, reasonSize, "%ld x %ld: larger than 4096 in a direction", width,
                      height);
    } else if (width % 4 == 1 || width % 4 == 2) {
        // Rows are walked W rounded up to 4 pixels apart, which is the stored row length only
        // for widths that are a multiple of 4 or one less.
        std::snprintf(reason, reasonSize,
                      "%ld x %ld: a width 1 or 2 more than a multiple of 4 cannot be drawn", width,
                      height);
    } else if (readLittleEndian32(block + 10) + roundUpTo4(width) * 3 * height > size) {
        std::snprintf(reason, reasonSize, "pixel data at byte %lu runs past the end of the file",
                      static_cast<unsigned long>(readLittleEndian32(block + 10)));
    } else {
        return false;
    }
    return true;
}

}  // namespace

DibImage loadDib(const char* resolvedPath) {
    // A picture loaded now may be given the address of one released before.
    forgetBackground();
    std::FILE* file = openDataFile(resolvedPath, "rb");
    if (!file) return refuse(resolvedPath, nullptr, "the file cannot be opened");
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return refuse(resolvedPath, nullptr, "the file's size cannot be read");
    }
    if (size > maxFileBytes) {
        std::fclose(file);
        return refuse(resolvedPath, nullptr, "the file is too large for a picture");
    }
    // One zero-filled block holds the whole file; the image points into it.
    auto* block = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(size) + 1, 1));
    if (!block) {
        std::fclose(file);
        return refuse(resolvedPath, nullptr, "the file cannot be held in memory");
    }
    size_t read = std::fread(block, 1, static_cast<size_t>(size), file);
    std::fclose(file);
    if (read != static_cast<size_t>(size)) {
        return refuse(resolvedPath, block, "the file cannot be read whole");
    }
    char reason[160];
    if (findFault(block, size, reason, sizeof reason)) return refuse(resolvedPath, block, reason);
    DibImage image;
    image.offset = readLittleEndian32(block + 10);
    image.header = reinterpret_cast<const BitmapInfoHeader*>(block + fileHeaderBytes);
    image.bits = block + image.offset;
    return image;
}

void releaseDib(DibImage& image) {
    if (image.bits) std::free(image.bits - image.offset);
    image = DibImage{};
}
