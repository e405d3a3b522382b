// Random pictures for the pixel-identity tests.
#include "tests/render/pictures.h"

#include <algorithm>
#include <cstring>

Picture::Picture(int width, int height, bool padded) {
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const size_t rowPixels = padded ? (static_cast<size_t>(width) + 3) / 4 * 4 : width;
    bytes.assign(rowPixels * 3 * height, 0);
    image.bits = bytes.data();
    image.header = &header;
}

Picture::Picture(const Picture& other) : header(other.header), bytes(other.bytes) {
    image.bits = bytes.data();
    image.header = &header;
}

int randomInt(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

void paintRuns(std::vector<uint8_t>& bytes, std::mt19937& random, double blackShare) {
    std::bernoulli_distribution black(blackShare);
    // Runs go on across row ends; the padding of a padded row is painted like any pixel.
    size_t at = 0;
    while (at + 3 <= bytes.size()) {
        const bool runIsBlack = black(random);
        const int run = randomInt(random, 1, 40);
        for (int k = 0; k < run && at + 3 <= bytes.size(); ++k, at += 3) {
            uint8_t pixel[3] = {0, 0, 0};
            if (!runIsBlack) {
                for (uint8_t& byte : pixel) byte = static_cast<uint8_t>(randomInt(random, 0, 255));
                if (randomInt(random, 0, 2) == 0) {
                    // A dark pixel: zero bytes, but never all three.
                    pixel[randomInt(random, 0, 2)] = 0;
                    pixel[randomInt(random, 0, 2)] = 0;
                }
                if (!(pixel[0] | pixel[1] | pixel[2])) pixel[randomInt(random, 0, 2)] = 1;
            }
            std::memcpy(&bytes[at], pixel, 3);
        }
    }
}

void paintNoise(std::vector<uint8_t>& bytes, std::mt19937& random) {
    // Four bytes from every draw: back buffers are large.
    for (size_t at = 0; at < bytes.size(); at += 4) {
        const uint32_t word = static_cast<uint32_t>(random());
        std::memcpy(&bytes[at], &word, std::min<size_t>(4, bytes.size() - at));
    }
}
