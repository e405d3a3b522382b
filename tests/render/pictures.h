// Random pictures for the pixel-identity tests, held exactly as the blit reads them.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "base/game_state.h"

// A picture in a block of exactly its size: rows of the width rounded up to 4 pixels
// (`padded`, as a bitmap file stores them) or of the width itself (as the back buffer).
struct Picture {
    Picture(int width, int height, bool padded);
    Picture(const Picture& other);
    Picture& operator=(const Picture&) = delete;

    BitmapInfoHeader header{};
    std::vector<uint8_t> bytes;
    DibImage image;
};

// Two copies of one destination: the reference draws on `expected`, the code under test on
// `actual`. As long as both draw the same they stay equal, so comparing after each drawing
// finds the first one that differs.
struct DrawnPair {
    explicit DrawnPair(const Picture& start) : expected(start), actual(start) {}
    bool same() const { return expected.bytes == actual.bytes; }
    Picture expected;
    Picture actual;
};

// Fills bytes with runs of pure black and of other pixels; blackShare of the runs are black.
// Other pixels are often dark: one or two of their bytes zero, as (0, 0, 1).
void paintRuns(std::vector<uint8_t>& bytes, std::mt19937& random, double blackShare);
// Any bytes at all.
void paintNoise(std::vector<uint8_t>& bytes, std::mt19937& random);

int randomInt(std::mt19937& random, int low, int high);  // low to high, both included
