// A headless window whose procedure creates, paints and releases what the screens use, as
// the game's window does.
#pragma once

#include <gtest/gtest.h>

#include "backends/headless/headless.h"
#include "tests/render/render_support.h"

// MainBack is grey below row 200 and pure black from there up; Time's column c is
// (100 + c, 1, 1); Frame's slices are numbered as in the balloon tests; the item box is
// 40 x 40 of (0, 0, 250) and icon slot s is 32 x 32 of (s + 1, 2, 2).
constexpr Pixel backGrey{60, 60, 60};
constexpr Pixel itemBoxColour{0, 0, 250};

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void writeImages();
    void writeGameIni(const std::string& text);
    // Creates the window (which paints once) with layout, images and the game font.
    void openWindow();
    // One paint of whichever screen rankingShown selects.
    void paint();
    // Releases the images and the font as the window's close does.
    void closeWindow();
    // A pixel of the last presented frame, rows from the bottom.
    Pixel presented(int column, int row) const;

    ScratchFolder scratch;
    WindowHandle window = nullptr;
};
