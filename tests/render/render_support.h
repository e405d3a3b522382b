// Small pictures built in the tests: in-memory images, bitmap files and a scratch data folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/game_state.h"
#include "tests/support/scratch_folder.h"

struct Pixel {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    bool operator==(const Pixel&) const = default;
};

// A 24-bit bottom-up picture laid out as its file would be (14 + 40 header bytes, rows padded
// to 4 bytes); `image` points into `block`, whose size is exactly the file's.
struct TestImage {
    TestImage(int width, int height, Pixel fill = {});
    void set(int column, int row, Pixel pixel);
    Pixel at(int column, int row) const;
    // Bytes of a bitmap file holding this picture.
    std::vector<uint8_t> fileBytes() const { return block; }

    int width;
    int height;
    int rowBytes;
    std::vector<uint8_t> block;
    DibImage image;
};

// A 640 x 320 destination laid out as the back buffer: rows of 1920 bytes.
TestImage makeBackBuffer(Pixel fill);

// Frame.bmp: slice column s, band b (0 Typed/Ranking, 1 Romaji, 2 Display) and row k of the
// band are told by the pixel (s + 1, b + 1, k + 1).
TestImage makeFrame();
// The Frame slices (blue 1 to 3) seen along one row of 640 pixels, as runs:
// "L 10-14 M 15-624 R 625-630". Other pixels are passed over.
std::string sliceRuns(const std::function<Pixel(int column)>& pixelAt);

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
void writeFile(const std::filesystem::path& path, const std::string& text);

// Date/Image below the scratch folder, created on first use.
std::filesystem::path imageFolderOf(const ScratchFolder& scratch);
