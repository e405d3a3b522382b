// Bitmap files: any bytes as Date\Image\Fuzz.bmp through loadDib, then every kind of drawing
// the screens make into a back buffer: the background, whole pictures, rectangles, columns
// drawn across. Each is compared with a plain per-pixel blit that knows only the rules: what
// lies outside the source's stored pixels or the back buffer is never touched.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/data_path.h"
#include "base/game_state.h"
#include "fuzz/fuzz_support.h"
#include "render/bitmap_file.h"
#include "render/frame.h"
#include "render/keyed_blit.h"

namespace {

constexpr int bufferWidth = 640;
constexpr int bufferHeight = 320;
constexpr size_t bufferBytes = size_t{bufferWidth} * bufferHeight * 3;
constexpr BitmapInfoHeader bufferHeader = {40, bufferWidth, bufferHeight, 1, 24, 0, 0, 0, 0, 0, 0};

int64_t roundUpTo4(int64_t value) { return (value + 3) / 4 * 4; }

// The blit as the rules state it, walked over the source's stored pixels only (W rounded up
// to 4 columns, H rows), so its cost follows the file's size whatever the rectangle says.
void referenceBlit(uint8_t* dst, const DibImage& src, int x, int y, int sx, int sy, int w, int h) {
    if (!src.bits || !src.header) return;
    const int64_t width4 = roundUpTo4(src.header->biWidth);
    const int64_t height = src.header->biHeight;
    const int64_t ex = int64_t{sx} + w;
    const int64_t ey = int64_t{sy} + h;
    const bool whole = sx < 0 || sy < 0 || ex < 0 || ey < 0;
    const int64_t firstColumn = whole ? 0 : sx, endColumn = whole ? width4 : ex;
    const int64_t firstRow = whole ? 0 : sy, endRow = whole ? roundUpTo4(height) : ey;
    const int64_t originColumn = whole ? 0 : sx, originRow = whole ? 0 : sy;
    for (int64_t r = std::max<int64_t>(firstRow, 0); r < std::min(endRow, height); ++r) {
        for (int64_t c = std::max<int64_t>(firstColumn, 0); c < std::min(endColumn, width4); ++c) {
            const int64_t dx = x + c - originColumn;
            const int64_t dy = y + r - originRow;
            if (dx < 0 || dx >= bufferWidth || dy < 0 || dy >= bufferHeight) continue;
            const uint8_t* p = src.bits + (r * width4 + c) * 3;
            if (p[0] == 0 && p[1] == 0 && p[2] == 0) continue;
            std::memcpy(dst + (dy * bufferWidth + dx) * 3, p, 3);
        }
    }
}

struct Buffers {
    std::vector<uint8_t> game = std::vector<uint8_t>(bufferBytes);
    std::vector<uint8_t> reference = std::vector<uint8_t>(bufferBytes);
    DibImage target;
};

void blitBoth(Buffers& buffers, const DibImage& src, int x, int y, int sx, int sy, int w, int h) {
    blitKeyed(buffers.target, src, x, y, sx, sy, w, h);
    referenceBlit(buffers.reference.data(), src, x, y, sx, sy, w, h);
}

// One source column drawn across count columns: the one-column blit count times.
void columnBoth(Buffers& buffers, const DibImage& src, int x, int count, int y, int sx, int sy,
                int h) {
    blitColumnAcross(buffers.target, src, x, count, y, sx, sy, h);
    for (int64_t p = 0; p < count; ++p) {
        referenceBlit(buffers.reference.data(), src, static_cast<int>(x + p), y, sx, sy, 1, h);
    }
}

void backgroundBoth(Buffers& buffers, const DibImage& src) {
    drawBackground(buffers.target, src);
    referenceBlit(buffers.reference.data(), src, 0, 0, -1, -1, -1, -1);
}

int32_t lastWord(const uint8_t* data, size_t size, size_t fromEnd) {
    int32_t value = 0;
    if (size >= fromEnd) std::memcpy(&value, data + size - fromEnd, sizeof value);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzWorkingDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InFuzzDirectory inside;
    static Buffers buffers;
    writeFuzzFile("Date/Image/Fuzz.bmp", data, size);
    char path[dataPathSize];
    FUZZ_CHECK(resolveDataPath(path, "\\Date\\Image\\Fuzz.bmp"));
    DibImage image = loadDib(path);
    // A picture is either left out whole or usable whole.
    FUZZ_CHECK((image.bits == nullptr) == (image.header == nullptr));
    if (!image.bits) return 0;

    std::memset(buffers.game.data(), 0, bufferBytes);
    std::memset(buffers.reference.data(), 0, bufferBytes);
    buffers.target.bits = buffers.game.data();
    buffers.target.header = &bufferHeader;
    buffers.target.offset = 0;
    const int width = image.header->biWidth;
    const int height = image.header->biHeight;

    // The background first, as every paint begins.
    backgroundBoth(buffers, image);
    // Item boxes and icons: whole, at their places and past every edge.
    const int places[][2] = {
        {0, 0},    {220, 212},        {384, 216}, {638, 0},       {-width + 1, 318},
        {600, -5}, {-2, -height + 2}, {639, 319}, {INT32_MIN, 0}, {0, INT32_MAX}};
    for (const auto& place : places) blitBoth(buffers, image, place[0], place[1], -1, -1, -1, -1);
    // Whole-image mode chosen by a negative end rather than by -1.
    blitBoth(buffers, image, 10, 10, 2, 0, -5, 3);
    blitBoth(buffers, image, 10, 10, 0, INT32_MIN, 0, 4);
    // The gauge: one column of 12 rows each, across and past the image's width.
    for (int column = 0; column <= width + 1 && column < 128; ++column) {
        blitBoth(buffers, image, 50 + column, 300, column, 0, 1, 12);
    }
    // Balloon slices: three columns, rows 72, 36 and 0, 36 rows high.
    for (int column = 0; column < 3; ++column) {
        for (int row : {72, 36, 0}) blitBoth(buffers, image, 300 + column, 150, column, row, 1, 36);
    }
    // Rectangles at and past the far corner, and empty ones.
    blitBoth(buffers, image, 5, 5, width - 1, height - 1, 8, 8);
    blitBoth(buffers, image, 5, 5, 0, 0, INT32_MAX, INT32_MAX);
    blitBoth(buffers, image, 5, 5, 0, 0, 0, 7);
    blitBoth(buffers, image, 5, 5, 1, 1, 7, 0);
    // Columns drawn across, as the gauge's bands and the balloons' middles are, and past the
    // edges; one in whole-image mode.
    columnBoth(buffers, image, 50, 59, 300, 3, 0, 12);
    columnBoth(buffers, image, 280, 100, 150, 1, 36, 36);
    columnBoth(buffers, image, -7, 20, 200, 0, 72, 36);
    columnBoth(buffers, image, 630, 40, 310, width, 0, 20);
    columnBoth(buffers, image, 600, 50, 10, -1, 0, 4);
    // Six numbers from the input's tail for one blit and one column run.
    const int32_t tail[6] = {lastWord(data, size, 24), lastWord(data, size, 20),
                             lastWord(data, size, 16), lastWord(data, size, 12),
                             lastWord(data, size, 8),  lastWord(data, size, 4)};
    blitBoth(buffers, image, tail[0], tail[1], tail[2], tail[3], tail[4], tail[5]);
    columnBoth(buffers, image, tail[0] % 1000, static_cast<int>(tail[4] & 1023), tail[1] % 1000,
               tail[2], tail[3], tail[5]);
    // The background again: over what was drawn since, it must look as if drawn whole.
    backgroundBoth(buffers, image);
    blitBoth(buffers, image, 100, 100, -1, -1, -1, -1);
    backgroundBoth(buffers, image);
    FUZZ_CHECK(std::memcmp(buffers.game.data(), buffers.reference.data(), bufferBytes) == 0);

    // Released the way the game releases its images; the back buffer here is our own.
    game.imgTime = image;
    game.backBuffer = DibImage{};
    releaseImages();
    FUZZ_CHECK(game.imgTime.bits == nullptr);
    return 0;
}
