// Small pictures built in the tests: in-memory images, bitmap files and a scratch data folder.
#include "tests/render/render_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>

namespace {

void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void put16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

TestImage::TestImage(int w, int h, Pixel fill) : width(w), height(h) {
    rowBytes = (width * 3 + 3) / 4 * 4;
    block.assign(54 + static_cast<size_t>(rowBytes) * height, 0);
    block[0] = 'B';
    block[1] = 'M';
    put32(block, 2, static_cast<uint32_t>(block.size()));
    put32(block, 10, 54);
    put32(block, 14, 40);
    put32(block, 18, static_cast<uint32_t>(width));
    put32(block, 22, static_cast<uint32_t>(height));
    put16(block, 26, 1);
    put16(block, 28, 24);
    image.offset = 54;
    image.bits = block.data() + 54;
    image.header = reinterpret_cast<const BitmapInfoHeader*>(block.data() + 14);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) set(c, r, fill);
    }
}

void TestImage::set(int column, int row, Pixel pixel) {
    uint8_t* p = image.bits + static_cast<size_t>(row) * rowBytes + column * 3;
    p[0] = pixel.blue;
    p[1] = pixel.green;
    p[2] = pixel.red;
}

Pixel TestImage::at(int column, int row) const {
    const uint8_t* p = image.bits + static_cast<size_t>(row) * rowBytes + column * 3;
    return {p[0], p[1], p[2]};
}

TestImage makeBackBuffer(Pixel fill) { return TestImage(640, 320, fill); }

TestImage makeFrame() {
    TestImage frame(3, 108);
    for (int r = 0; r < 108; ++r) {
        for (int s = 0; s < 3; ++s) {
            frame.set(s, r,
                      {static_cast<uint8_t>(s + 1), static_cast<uint8_t>(r / 36 + 1),
                       static_cast<uint8_t>(r % 36 + 1)});
        }
    }
    return frame;
}

std::string sliceRuns(const std::function<Pixel(int column)>& pixelAt) {
    std::string runs;
    int c = 0;
    while (c < 640) {
        uint8_t slice = pixelAt(c).blue;
        int start = c;
        while (c < 640 && pixelAt(c).blue == slice) ++c;
        if (slice < 1 || slice > 3) continue;
        if (!runs.empty()) runs += ' ';
        runs += "?LMR"[slice];
        runs += ' ' + std::to_string(start) + '-' + std::to_string(c - 1);
    }
    return runs;
}

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::filesystem::path imageFolderOf(const ScratchFolder& scratch) {
    std::filesystem::path images = scratch.path() / "Date" / "Image";
    std::filesystem::create_directories(images);
    return images;
}
