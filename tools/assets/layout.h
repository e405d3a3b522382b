// Where the game screen puts things, as Game.ini says it; the backgrounds are painted to fit.
// All values in pixels on the 640 x 320 frame, y counted down from the top.
#pragma once

#include <string>

namespace layout {

constexpr int screenWidth = 640;
constexpr int screenHeight = 320;
constexpr int balloonHeight = 36;
constexpr int balloonCentreX = 320;
constexpr int displayTop = 46;
constexpr int romajiTop = 104;
constexpr int typedTop = 148;
constexpr int boxSize = 40;
constexpr int boxLeft = 220;
constexpr int boxTop = 212;
// Fixed by the game: the gauge's columns and rows, and the status line.
constexpr int gaugeLeft = 50;
constexpr int gaugeTop = 8;
constexpr int gaugeWidth = 531;
constexpr int gaugeHeight = 12;
constexpr int statusTop = 280;

// Game.ini: balloon x is its centre less 6, every y a top edge.
inline std::string gameIni() {
    auto line = [](const char* key, int value) {
        return std::string(key) + "=" + std::to_string(value) + "\r\n";
    };
    return "[POSS]\r\n" + line("NPosX", balloonCentreX - 6) + line("NPosY", displayTop) +
           line("APosX", balloonCentreX - 6) + line("APosY", romajiTop) +
           line("TPosX", balloonCentreX - 6) + line("TPosY", typedTop) + line("IPosX", boxLeft) +
           line("IPosY", boxTop);
}

}  // namespace layout
