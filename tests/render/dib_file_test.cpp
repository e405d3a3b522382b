// loadDib's checks on hostile files, and the ten images loaded and released in their order.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "render/bitmap_file.h"
#include "render/frame.h"
#include "tests/render/render_support.h"

namespace {

void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

// Loads bytes written to a file and returns what went to stderr.
std::string loadCapturingErrors(const std::string& path, DibImage& image) {
    ::testing::internal::CaptureStderr();
    image = loadDib(path.c_str());
    return ::testing::internal::GetCapturedStderr();
}

// A header field read by value: headers sit unaligned in their blocks, and the test macros
// would bind references to them.
template <typename T>
T field(T value) {
    return value;
}

void freeImage(DibImage& image) {
    // The block starts offset bytes before the pixels, as releaseImages frees it.
    if (image.bits) std::free(image.bits - image.offset);
    image = DibImage{};
}

}  // namespace

TEST(LoadDib, LeavesOutEveryFileThatCannotBeDrawnSafelyAndSaysWhy) {
    using Edit = std::function<void(std::vector<uint8_t>&)>;
    struct Case {
        const char* name;
        Edit edit;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", [](auto& b) { b.clear(); }, "shorter than the bitmap headers"},
        {"short", [](auto& b) { b.resize(30); }, "shorter than the bitmap headers"},
        {"core header", [](auto& b) { put32(b, 14, 12); }, "does not fit"},
        {"huge header", [](auto& b) { put32(b, 14, 100000); }, "does not fit"},
        {"32 bits", [](auto& b) { b[28] = 32; }, "32 bits per pixel, not 24"},
        {"8 bits", [](auto& b) { b[28] = 8; }, "8 bits per pixel, not 24"},
        {"run-length", [](auto& b) { put32(b, 30, 1); }, "compressed"},
        {"bitfields", [](auto& b) { put32(b, 30, 3); }, "compressed"},
        {"height 0", [](auto& b) { put32(b, 22, 0); }, "height is not positive"},
        {"top-down", [](auto& b) { put32(b, 22, static_cast<uint32_t>(-4)); },
         "height is not positive"},
        {"width 0", [](auto& b) { put32(b, 18, 0); }, "width is not positive"},
        {"width -8", [](auto& b) { put32(b, 18, static_cast<uint32_t>(-8)); },
         "width is not positive"},
        {"width 5", [](auto& b) { put32(b, 18, 5); }, "1 or 2 more than a multiple of 4"},
        {"width 6", [](auto& b) { put32(b, 18, 6); }, "1 or 2 more than a multiple of 4"},
        {"width 4100", [](auto& b) { put32(b, 18, 4100); }, "larger than 4096"},
        {"height 4100", [](auto& b) { put32(b, 22, 4100); }, "larger than 4096"},
        {"truncated", [](auto& b) { b.pop_back(); }, "runs past the end"},
        {"taller than stored", [](auto& b) { put32(b, 22, 5); }, "runs past the end"},
        {"offset far", [](auto& b) { put32(b, 10, 0xFFFFFFF0u); }, "runs past the end"},
        {"offset at end", [](auto& b) { put32(b, 10, static_cast<uint32_t>(b.size())); },
         "runs past the end"},
    };
    ScratchFolder scratch;
    const std::vector<uint8_t> valid = TestImage(4, 4, {1, 2, 3}).fileBytes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = valid;
        c.edit(bytes);
        std::string path = (scratch.path() / (std::string(c.name) + ".bmp")).string();
        writeFile(path, bytes);
        DibImage image{reinterpret_cast<uint8_t*>(1), nullptr, 7};
        std::vector<std::string> errors = lines(loadCapturingErrors(path, image));
        EXPECT_EQ(image.bits, nullptr);
        EXPECT_EQ(image.header, nullptr);
        EXPECT_EQ(image.offset, 0u);
        ASSERT_EQ(errors.size(), 1u);
        // The message names the file (its separators written as a player would).
        EXPECT_NE(errors[0].find("/" + std::string(c.name) + ".bmp: "), std::string::npos)
            << errors[0];
        EXPECT_NE(errors[0].find(c.reason), std::string::npos) << errors[0];
    }

    DibImage image;
    std::string path = (scratch.path() / "missing.bmp").string();
    std::vector<std::string> errors = lines(loadCapturingErrors(path, image));
    EXPECT_EQ(image.bits, nullptr);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("missing.bmp: the file cannot be opened"), std::string::npos);
}

TEST(LoadDib, KeepsAValidFileWholeAndPointsIntoIt) {
    struct Case {
        int width, height;
        uint32_t infoSize;  // a larger info header of a newer writer begins with the same fields
        uint32_t gap;       // bytes between the headers and the pixels
    };
    const Case cases[] = {
        {4, 4, 40, 0}, {3, 8, 40, 0}, {640, 320, 40, 0}, {8, 4, 124, 84}, {4, 4, 40, 10}};
    ScratchFolder scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        TestImage picture(c.width, c.height, {5, 6, 7});
        picture.set(c.width - 1, c.height - 1, {8, 9, 10});
        std::vector<uint8_t> bytes = picture.fileBytes();
        bytes.insert(bytes.begin() + 54, c.gap, 0xEE);
        put32(bytes, 10, 54 + c.gap);
        put32(bytes, 14, c.infoSize);
        std::string path = (scratch.path() / "picture.bmp").string();
        writeFile(path, bytes);

        DibImage image;
        EXPECT_EQ(loadCapturingErrors(path, image), "");
        ASSERT_NE(image.bits, nullptr);
        EXPECT_EQ(image.offset, 54 + c.gap);
        EXPECT_EQ(field(image.header->biWidth), c.width);
        EXPECT_EQ(field(image.header->biHeight), c.height);
        EXPECT_EQ(reinterpret_cast<const uint8_t*>(image.header), image.bits - image.offset + 14);
        EXPECT_EQ(image.bits[0], 5);
        size_t last = static_cast<size_t>(c.height - 1) * picture.rowBytes + (c.width - 1) * 3;
        EXPECT_EQ(image.bits[last + 2], 10);
        freeImage(image);
    }
}

TEST(LoadImages, LoadsTheTenPicturesInOrderIntoTheirFieldsBesideAFixedBackBuffer) {
    const char* files[] = {"MainBack.bmp", "RankingBack.bmp", "Time.bmp", "Frame.bmp",
                           "ItemBox.bmp",  "TimeStop.bmp",    "Bomb.bmp", "1_2.bmp",
                           "Miss.bmp",     "Power.bmp"};
    DibImage* fields[] = {&game.imgMainBack, &game.imgRankingBack, &game.imgTime, &game.imgFrame,
                          &game.imgItemBox,  &game.imgTimeStop,    &game.imgBomb, &game.imgHalf,
                          &game.imgMiss,     &game.imgPower};
    game = GameState{};
    ScratchFolder scratch;
    {
        // No folder at all: every picture is left out, each named once, in loading order.
        ::testing::internal::CaptureStderr();
        loadImages();
        std::vector<std::string> errors = lines(::testing::internal::GetCapturedStderr());
        ASSERT_EQ(errors.size(), 10u);
        for (int i = 0; i < 10; ++i) {
            EXPECT_NE(errors[i].find(files[i]), std::string::npos) << errors[i];
            EXPECT_EQ(fields[i]->bits, nullptr);
        }
        ASSERT_NE(game.backBuffer.bits, nullptr);
        EXPECT_EQ(field(game.backBuffer.header->biWidth), 640);
        EXPECT_EQ(field(game.backBuffer.header->biHeight), 320);
        releaseImages();
    }

    // A wrong MainBack cannot resize the back buffer; the others land in their own fields.
    writeFile(imageFolderOf(scratch) / "MainBack.bmp", TestImage(320, 240, {1, 1, 1}).fileBytes());
    for (int i = 1; i < 10; ++i) {
        writeFile(imageFolderOf(scratch) / files[i],
                  TestImage(4, 4, {static_cast<uint8_t>(i), 0, 0}).fileBytes());
    }
    ::testing::internal::CaptureStderr();
    loadImages();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(game.backBuffer.bits, nullptr);
    EXPECT_EQ(game.backBuffer.offset, 0u);
    EXPECT_EQ(field(game.backBuffer.header->biWidth), 640);
    EXPECT_EQ(field(game.backBuffer.header->biHeight), 320);
    EXPECT_EQ(field(game.backBuffer.header->biBitCount), 24);
    EXPECT_NE(game.backBuffer.header, game.imgMainBack.header);
    std::vector<uint8_t> black(640 * 320 * 3, 0);
    EXPECT_EQ(std::memcmp(game.backBuffer.bits, black.data(), black.size()), 0);
    EXPECT_EQ(field(game.imgMainBack.header->biWidth), 320);
    for (int i = 1; i < 10; ++i) {
        ASSERT_NE(fields[i]->bits, nullptr) << files[i];
        EXPECT_EQ(fields[i]->bits[0], i) << files[i];
    }
    releaseImages();
    EXPECT_EQ(game.backBuffer.bits, nullptr);
    for (DibImage* field : fields) EXPECT_EQ(field->bits, nullptr);
}
