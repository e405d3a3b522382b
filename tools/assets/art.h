// The pictures of Date/Image and the game's mark, painted from shapes.
#pragma once

#include "tools/assets/canvas.h"

Canvas paintMainBack();
Canvas paintRankingBack();
// Time.bmp: columns 1 to 9 run from "hurry" (red, the last band left) to "plenty".
Canvas paintTimeStrip();
// Frame.bmp: three 36-row bands, from the top display, romaji, typed; columns left end,
// middle, right end.
Canvas paintFrame();
// ItemBox.bmp, its soft corners blended with the background under the boxes.
Canvas paintItemBox(const Canvas& mainBack);
// The 32 x 32 icons, each blended with the inside of the box that holds it.
Canvas paintTimeStop(const Canvas& box);
Canvas paintBomb(const Canvas& box);
Canvas paintHalf(const Canvas& box);
Canvas paintMiss(const Canvas& box);
Canvas paintPower(const Canvas& box);
// The game's mark for the window icon, with a transparent surround.
Canvas paintMark(int size);
