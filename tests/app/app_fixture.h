// A fresh process on the headless machine, in a temporary working directory with a Date folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/entry.h"
#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "tests/support/scratch_folder.h"

// ねこ,neko and a word long enough to scroll: 25 kana (750 pixels) and 48 letters (720).
inline std::string scrollingWordList() {
    const unsigned kana[] = {0x82A0, 0x82A2, 0x82A4, 0x82A6, 0x82A8, 0x82A9, 0x82AB, 0x82AD, 0x82AF,
                             0x82B1, 0x82B3, 0x82B5, 0x82B7, 0x82B9, 0x82BB, 0x82BD, 0x82BF, 0x82C2,
                             0x82C4, 0x82C6, 0x82C8, 0x82C9, 0x82CA, 0x82CB, 0x82CC};
    std::string longWord;
    for (unsigned code : kana) {
        longWord += static_cast<char>(code >> 8);
        longWord += static_cast<char>(code & 0xFF);
    }
    longWord += ",aiueokakikukekosashisusesotachitsutetonaninuneno\r\n";
    const std::string neko = "\x82\xcb\x82\xb1,neko\r\n";
    return "[EASY]\r\n" + neko + longWord + "[NORMAL]\r\n" + neko + "[HARD]\r\n" + neko;
}

class AppTest : public ::testing::Test {
protected:
    // Easy: いぬ,inu and ねこ,neko; Normal: さくら,sakura; Hard: two long ones.
    static constexpr const char* wordList =
        "# test words\r\n[EASY]\r\n\x82\xa2\x82\xca,inu\r\n\x82\xcb\x82\xb1,neko\r\n"
        "[NORMAL]\r\n\x82\xb3\x82\xad\x82\xe7,sakura\r\n[HARD]\r\n"
        "\x82\xb5\x82\xf1\x82\xa9\x82\xf1\x82\xb9\x82\xf1,shinkannsenn\r\n";

    void SetUp() override {
        scratch = std::make_unique<ScratchFolder>("app");
        root = scratch->path();
        std::filesystem::create_directories(root / "Date" / "Image");
        writeFile("Date/Words.txt", wordList);
        writeFile("Date/Game.ini",
                  "[POSS]\r\nNPosX=314\r\nNPosY=60\r\nAPosX=314\r\nAPosY=110\r\n"
                  "TPosX=314\r\nTPosY=160\r\nIPosX=220\r\nIPosY=220\r\n");
        headlessReset();
        game = GameState{};
        startUp(nullptr);
    }

    void TearDown() override {
        // A window still open is closed as the player would, which releases its pictures.
        headlessSetMessageBoxHandler(nullptr);
        if (headlessWindowAlive()) {
            headlessSend(msgClose, 0, 0);
            headlessPump();
        }
        scratch.reset();
        headlessReset();
    }

    void writeFile(const std::string& relative, const std::string& content) {
        scratch->write(relative, content);
    }

    std::string readFile(const std::string& relative) { return scratch->read(relative); }

    std::unique_ptr<ScratchFolder> scratch;
    std::filesystem::path root;
};
