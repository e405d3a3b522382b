// keyfall-assets: paints the images, the icon and the music of the data folder and writes
// them, with Game.ini, into the folder given (normally Date); with a second folder, also the
// desktop icons (normally packaging/icons), painted by the same drawing as Icon.ico.
#include <sys/stat.h>
#include <cstdio>
#include <string>

#include "tools/assets/art.h"
#include "tools/assets/files.h"
#include "tools/assets/layout.h"
#include "tools/assets/music.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: keyfall-assets DATA_FOLDER [ICON_FOLDER]\n");
        return 2;
    }
    std::string date = argv[1];
    std::string image = date + "/Image";
    mkdir(image.c_str(), 0755);  // an existing folder is fine; a failed write says so below

    Canvas mainBack = paintMainBack();
    Canvas box = paintItemBox(mainBack);
    bool ok = writeBmp(image + "/MainBack.bmp", mainBack);
    ok = writeBmp(image + "/RankingBack.bmp", paintRankingBack()) && ok;
    ok = writeBmp(image + "/Time.bmp", paintTimeStrip()) && ok;
    ok = writeBmp(image + "/Frame.bmp", paintFrame()) && ok;
    ok = writeBmp(image + "/ItemBox.bmp", box) && ok;
    ok = writeBmp(image + "/TimeStop.bmp", paintTimeStop(box)) && ok;
    ok = writeBmp(image + "/Bomb.bmp", paintBomb(box)) && ok;
    ok = writeBmp(image + "/1_2.bmp", paintHalf(box)) && ok;
    ok = writeBmp(image + "/Miss.bmp", paintMiss(box)) && ok;
    ok = writeBmp(image + "/Power.bmp", paintPower(box)) && ok;
    ok = writeIco(date + "/Icon.ico", {paintMark(16), paintMark(32), paintMark(48)}) && ok;
    ok = writeWav(date + "/BackMusic.wav", composeMusic(), musicSampleRate) && ok;
    ok = writeText(date + "/Game.ini", layout::gameIni()) && ok;
    if (argc == 3) {
        std::string icons = argv[2];
        mkdir(icons.c_str(), 0755);
        // The sizes of the desktop's icon theme (hicolor) that menus and launchers ask for.
        for (int size : {16, 32, 48, 64, 128, 256}) {
            ok = writePng(icons + "/keyfall-" + std::to_string(size) + ".png", paintMark(size)) &&
                 ok;
        }
    }
    if (ok) std::printf("keyfall-assets: wrote the data files into %s\n", date.c_str());
    return ok ? 0 : 1;
}
