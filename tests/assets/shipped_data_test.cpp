// The shipped data folder meets what the game relies on: the ten pictures load with the
// game's own loader and keep the size and colour-key rules, Game.ini gives a readable screen,
// and the music and icon are well-formed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/game_state.h"
#include "render/frame.h"
#include "render/game_screen.h"

namespace {

const std::filesystem::path source = KEYFALL_SOURCE_DIR;

struct Rgb {
    int r, g, b;
    bool black() const { return r == 0 && g == 0 && b == 0; }
    int luminance() const { return (r * 299 + g * 587 + b * 114) / 1000; }
};

// Pixel (column, row) of a loaded picture, rows from the bottom, W4-pixel row pitch.
Rgb pixel(const DibImage& image, int column, int row) {
    int w4 = (image.header->biWidth + 3) / 4 * 4;
    const uint8_t* p = image.bits + (static_cast<size_t>(row) * w4 + column) * 3;
    return {p[2], p[1], p[0]};
}

int width(const DibImage& image) { return image.header->biWidth; }
int height(const DibImage& image) { return image.header->biHeight; }

// Runs each test in the source tree, where the game finds Date/, with the images loaded.
class ShippedData : public ::testing::Test {
protected:
    void SetUp() override {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(source);
        game = GameState{};
        loadImages();
    }
    void TearDown() override {
        releaseImages();
        std::filesystem::current_path(previous);
    }
    std::filesystem::path previous;
};

struct ImageRule {
    const char* name;
    DibImage GameState::*field;
    int minWidth, minHeight, maxWidth, maxHeight;
    bool drawnWhole;
    bool hasTransparency;
};

const ImageRule imageRules[] = {
    {"MainBack", &GameState::imgMainBack, 640, 320, 640, 320, true, false},
    {"RankingBack", &GameState::imgRankingBack, 640, 320, 640, 320, true, false},
    {"Time", &GameState::imgTime, 10, 12, 4096, 4096, false, false},
    {"Frame", &GameState::imgFrame, 3, 108, 3, 108, false, true},
    {"ItemBox", &GameState::imgItemBox, 40, 40, 40, 40, true, true},
    {"TimeStop", &GameState::imgTimeStop, 32, 32, 32, 32, true, true},
    {"Bomb", &GameState::imgBomb, 32, 32, 32, 32, true, true},
    {"1_2", &GameState::imgHalf, 32, 32, 32, 32, true, true},
    {"Miss", &GameState::imgMiss, 32, 32, 32, 32, true, true},
    {"Power", &GameState::imgPower, 32, 32, 32, 32, true, true},
};

TEST_F(ShippedData, EveryPictureLoadsAndKeepsTheSizeRules) {
    for (const ImageRule& rule : imageRules) {
        SCOPED_TRACE(rule.name);
        const DibImage& image = game.*rule.field;
        ASSERT_NE(image.bits, nullptr) << "the game's loader refused it";
        // Copied out: the header is packed, and the checks take their values by reference.
        const int bitCount = image.header->biBitCount;
        const uint32_t compression = image.header->biCompression;
        EXPECT_EQ(bitCount, 24);
        EXPECT_EQ(compression, 0u);
        EXPECT_GE(width(image), rule.minWidth);
        EXPECT_LE(width(image), rule.maxWidth);
        EXPECT_GE(height(image), rule.minHeight);
        EXPECT_LE(height(image), rule.maxHeight);
        EXPECT_TRUE(width(image) % 4 == 0 || width(image) % 4 == 3) << width(image);
        if (rule.drawnWhole) {
            EXPECT_EQ(height(image) % 4, 0) << height(image);
        }
    }
}

// Black is the colour key: it appears only where a picture means to be see-through, and the
// edge of what is drawn is not darkened by having been smoothed against black.
TEST_F(ShippedData, BlackOnlyWhereTransparentAndNoDarkFringes) {
    for (const ImageRule& rule : imageRules) {
        SCOPED_TRACE(rule.name);
        const DibImage& image = game.*rule.field;
        ASSERT_NE(image.bits, nullptr);
        int transparent = 0;
        for (int r = 0; r < height(image); ++r) {
            for (int c = 0; c < width(image); ++c) {
                if (pixel(image, c, r).black()) {
                    ++transparent;
                    continue;
                }
                bool edge = false;
                const int around[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
                for (const auto& d : around) {
                    int cc = c + d[0], rr = r + d[1];
                    if (cc >= 0 && rr >= 0 && cc < width(image) && rr < height(image) &&
                        pixel(image, cc, rr).black()) {
                        edge = true;
                    }
                }
                if (edge) {
                    EXPECT_GT(pixel(image, c, r).luminance(), 40) << c << "," << r;
                }
            }
        }
        if (rule.hasTransparency) {
            EXPECT_GT(transparent, 0);
        } else {
            EXPECT_EQ(transparent, 0);
        }
    }
    // The boxes and icons are see-through at their corners and solid in the middle.
    for (const ImageRule& rule : imageRules) {
        if (!rule.drawnWhole || !rule.hasTransparency) continue;
        const DibImage& image = game.*rule.field;
        EXPECT_TRUE(pixel(image, 0, 0).black()) << rule.name;
        EXPECT_FALSE(pixel(image, width(image) / 2, height(image) / 2).black()) << rule.name;
    }
}

// Texts are drawn black (magenta during effects) straight onto these areas.
TEST_F(ShippedData, AreasUnderTextsAreLight) {
    struct Area {
        const char* what;
        const DibImage& image;
        int left, top, right, bottom;  // y from the top, inclusive
    };
    const Area areas[] = {
        {"status line", game.imgMainBack, 0, 280, 639, 309},
        {"countdown digit", game.imgMainBack, 310, 115, 350, 155},
    };
    for (const Area& area : areas) {
        for (int y = area.top; y <= area.bottom; ++y) {
            for (int x = area.left; x <= area.right; ++x) {
                ASSERT_GT(pixel(area.image, x, 319 - y).luminance(), 170)
                    << area.what << " at " << x << "," << y;
            }
        }
    }
    // Inside each balloon band the middle slice is light where the text goes: the text's
    // top is 3 pixels below the balloon's, and the font is 30 pixels high.
    for (int band = 0; band < 3; ++band) {
        int top = band * 36 + 35;
        for (int k = 3; k < 33; ++k) {
            EXPECT_GT(pixel(game.imgFrame, 1, top - k).luminance(), 200) << band << " " << k;
        }
    }
}

TEST_F(ShippedData, BalloonBandsAreDistinct) {
    std::vector<Rgb> caps, middles;
    for (int band = 0; band < 3; ++band) {
        caps.push_back(pixel(game.imgFrame, 0, band * 36 + 18));
        middles.push_back(pixel(game.imgFrame, 1, band * 36 + 18));
        EXPECT_FALSE(caps.back().black());
    }
    auto distance = [](Rgb a, Rgb b) {
        return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
    };
    for (int a = 0; a < 3; ++a) {
        for (int b = a + 1; b < 3; ++b) {
            EXPECT_GT(distance(caps[a], caps[b]), 60) << a << " " << b;
            EXPECT_GT(distance(middles[a], middles[b]), 20) << a << " " << b;
        }
    }
}

// The gauge loses its bands from the right, so column 1 is what is left last: it must read
// "hurry" (red), and each column to the right a little more "plenty" (green).
TEST_F(ShippedData, GaugeColoursRunFromHurryToPlenty) {
    int previousWarmth = 1000;
    for (int column = 1; column <= 9; ++column) {
        for (int row = 0; row < 12; ++row) EXPECT_FALSE(pixel(game.imgTime, column, row).black());
        Rgb middle = pixel(game.imgTime, column, 6);
        int warmth = middle.r - middle.g;
        EXPECT_LT(warmth, previousWarmth) << "column " << column;
        previousWarmth = warmth;
    }
    EXPECT_GT(pixel(game.imgTime, 1, 6).r, 200);
    EXPECT_GT(pixel(game.imgTime, 9, 6).g, pixel(game.imgTime, 9, 6).r);
}

// Game.ini as the game reads it: the gauge on top (rows 300-311), then the word, romaji and
// typed balloons stacked and centred, then the item boxes, all clear of the status line
// (y 280 and below, rows 39 and below).
TEST_F(ShippedData, LayoutStacksTheScreenWithoutOverlaps) {
    loadLayout();
    const Layout& l = game.layout;
    EXPECT_EQ(l.NPosX, 320);
    EXPECT_EQ(l.APosX, 320);
    EXPECT_EQ(l.TPosX, 320);
    EXPECT_LT(l.NPosY + 35, 300) << "display balloon under the gauge";
    EXPECT_LT(l.APosY + 35, l.NPosY) << "romaji below the word";
    EXPECT_LT(l.TPosY + 35, l.APosY) << "typed text below the romaji";
    EXPECT_LT(l.IPosY + 39, l.TPosY) << "item boxes below the balloons";
    EXPECT_GT(l.IPosY, 39) << "item boxes above the status line";
    EXPECT_EQ(l.IPosX + 100, 320) << "item boxes centred";
}

std::vector<uint8_t> readWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

TEST(ShippedMusic, IsAShortSeamless16BitLoop) {
    std::vector<uint8_t> wav = readWhole(source / "Date" / "BackMusic.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_LE(wav.size(), 3u * 1024 * 1024);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(le16(wav, 20), 1) << "PCM";
    EXPECT_EQ(le16(wav, 34), 16) << "bits per sample";
    uint16_t channels = le16(wav, 22);
    uint32_t rate = le32(wav, 24);
    uint32_t dataBytes = le32(wav, 40);
    ASSERT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    ASSERT_LE(44 + size_t{dataBytes}, wav.size());
    double seconds = static_cast<double>(dataBytes) / (rate * channels * 2.0);
    EXPECT_GE(seconds, 30.0);
    EXPECT_LE(seconds, 60.0);

    // At the loop point the wave goes on as it does anywhere else: the jump from the last
    // sample to the first is no larger than the jumps that are common inside the loop.
    size_t count = dataBytes / 2 / channels;
    auto sample = [&](size_t i) { return static_cast<int16_t>(le16(wav, 44 + i * 2 * channels)); };
    std::vector<int> steps;
    for (size_t i = 1; i < count; ++i) steps.push_back(std::abs(sample(i) - sample(i - 1)));
    std::sort(steps.begin(), steps.end());
    int common = steps[steps.size() * 99 / 100];
    EXPECT_LE(std::abs(sample(0) - sample(count - 1)), common);
    EXPECT_GT(steps.back(), 0) << "silence";
}

TEST(ShippedIcon, HoldsThe16And32And48PixelImages) {
    std::vector<uint8_t> ico = readWhole(source / "Date" / "Icon.ico");
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(le16(ico, 0), 0);
    EXPECT_EQ(le16(ico, 2), 1) << "icon type";
    std::vector<int> sizes;
    for (size_t k = 0; k < le16(ico, 4); ++k) {
        size_t entry = 6 + 16 * k;
        ASSERT_LE(entry + 16, ico.size());
        uint32_t bytes = le32(ico, entry + 8), offset = le32(ico, entry + 12);
        ASSERT_LE(size_t{offset} + bytes, ico.size());
        ASSERT_GE(bytes, 40u);
        // Each image is a bitmap whose header height covers the colour image and its mask.
        EXPECT_EQ(le32(ico, offset), 40u);
        EXPECT_EQ(le32(ico, offset + 8), 2 * le32(ico, offset + 4));
        EXPECT_EQ(ico[entry], ico[entry + 1]);
        sizes.push_back(ico[entry]);
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
}

}  // namespace
