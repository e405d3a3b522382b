// The ten pictures and the back buffer, and the frame bitmap that each paint presents.
#include "render/frame.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/data_path.h"
#include "render/bitmap_file.h"
#include "render/keyed_blit.h"
#include "render/plot.h"

namespace {

constexpr size_t backBufferBytes = size_t{frameWidth} * frameHeight * 3;

// The back buffer describes itself, so a missing or odd MainBack.bmp cannot change its size.
// It is the header a valid MainBack.bmp has.
constexpr BitmapInfoHeader backBufferHeader = {
    40, frameWidth, frameHeight, 1, 24, 0, 0, 0, 0, 0, 0,
};

// The frame the last paint presented, kept so that the window can be shown it again without
// composing it anew; out of memoryDC between paints.
struct LastFrame {
    BitmapHandle bitmap = nullptr;
    int height = 0;
};
LastFrame lastFrame;

void releaseLastFrame() {
    deleteBitmap(lastFrame.bitmap);
    lastFrame = LastFrame{};
}

DibImage loadImage(const char* fileName) {
    char relative[64] = "\\Date\\Image\\";
    std::strncat(relative, fileName, sizeof relative - std::strlen(relative) - 1);
    char path[dataPathSize];
    resolveDataPath(path, relative);
    // A refused path is empty; loadDib then reports the image by its relative name.
    return loadDib(path[0] ? path : relative);
}

}  // namespace

void loadImages() {
    // A new back buffer may be given the address of an old one; nothing is known of it.
    forgetBackground();
    releaseLastFrame();
    game.backBuffer = DibImage{};
    auto* bits = static_cast<uint8_t*>(std::calloc(backBufferBytes, 1));
    if (bits) {
        game.backBuffer.bits = bits;
        game.backBuffer.header = &backBufferHeader;
    } else {
        std::fprintf(stderr, "Keyfall: the back buffer cannot be allocated; nothing is drawn\n");
    }
    game.imgMainBack = loadImage("MainBack.bmp");
    game.imgRankingBack = loadImage("RankingBack.bmp");
    game.imgTime = loadImage("Time.bmp");
    game.imgFrame = loadImage("Frame.bmp");
    game.imgItemBox = loadImage("ItemBox.bmp");
    game.imgTimeStop = loadImage("TimeStop.bmp");
    game.imgBomb = loadImage("Bomb.bmp");
    game.imgHalf = loadImage("1_2.bmp");
    game.imgMiss = loadImage("Miss.bmp");
    game.imgPower = loadImage("Power.bmp");
}

void releaseImages() {
    forgetBackground();
    releaseLastFrame();
    releaseDib(game.backBuffer);
    releaseDib(game.imgRankingBack);
    releaseDib(game.imgMainBack);
    releaseDib(game.imgTime);
    releaseDib(game.imgFrame);
    releaseDib(game.imgItemBox);
    releaseDib(game.imgTimeStop);
    releaseDib(game.imgBomb);
    releaseDib(game.imgHalf);
    releaseDib(game.imgMiss);
    releaseDib(game.imgPower);
    releaseGlyphAtlas();
}

PaintFrame selectFrameBitmap(DeviceContext paintDC) {
    // Game state: reads backBuffer, memoryDC.
    PaintFrame frame;
    const BitmapInfoHeader* header = game.backBuffer.header;
    if (header && game.backBuffer.bits) {
        FrameBitsChanges changes;
        const bool known = changesSinceLastBackground(game.backBuffer, changes);
        frame.bitmap = createFrameBitmap(paintDC, header->biWidth, header->biHeight,
                                         game.backBuffer.bits, known ? &changes : nullptr);
    }
    frame.replaced = selectBitmap(game.memoryDC, frame.bitmap);
    return frame;
}

void presentFrame(WindowHandle window, DeviceContext paintDC, const PaintFrame& frame, int height) {
    // Game state: reads memoryDC.
    // Rows asked for beyond the frame bitmap (the ranking screen asks for 480) copy nothing.
    copyFrameToWindow(paintDC, game.memoryDC, frameWidth, std::min(height, frameHeight));
    // Out of memoryDC, as the platform wants of a bitmap it releases; this one is kept until
    // the next frame is presented.
    selectBitmap(game.memoryDC, frame.replaced);
    releaseLastFrame();
    if (frame.bitmap) lastFrame = LastFrame{frame.bitmap, height};
    endPaint(window, paintDC);
}

bool lastFrameShowable(WindowHandle window) {
    return lastFrame.bitmap && frameBitmapStillFits(window, lastFrame.bitmap);
}

bool presentLastFrame(WindowHandle window) {
    // Game state: reads memoryDC.
    if (!lastFrameShowable(window)) return false;
    DeviceContext paintDC = beginPaint(window);
    BitmapHandle replaced = selectBitmap(game.memoryDC, lastFrame.bitmap);
    copyFrameToWindow(paintDC, game.memoryDC, frameWidth, std::min(lastFrame.height, frameHeight));
    selectBitmap(game.memoryDC, replaced);
    endPaint(window, paintDC);
    return true;
}
