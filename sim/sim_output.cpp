// keyfall-sim's output: events and state as UTF-8 lines, frames as bitmap files.
#include "sim/sim_output.h"

#include <iconv.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "base/cp932.h"
#include "base/game_state.h"

namespace {

std::string hexByte(unsigned char byte) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
    return buffer;
}

// The bytes that can follow a lead byte in code page 932.
bool isTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// One character of code page 932 (one or two bytes) to UTF-8; empty when it is none.
std::string convertCharacter(const char* bytes, size_t length) {
    static iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) return {};
    char in[2];
    std::memcpy(in, bytes, length);
    char out[8];
    char* inPointer = in;
    char* outPointer = out;
    size_t inLeft = length;
    size_t outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1) ||
        inLeft != 0) {
        return {};
    }
    return std::string(out, sizeof out - outLeft);
}

std::string line(const char* name, const std::string& value) {
    return std::string(name) + "=" + value;
}
std::string line(const char* name, int value) { return line(name, std::to_string(value)); }

std::string textLine(const char* name, const char* cp932) { return line(name, simText(cp932)); }

std::string gaugeText(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", value);
    return buffer;
}

}  // namespace

std::string simText(const std::string& cp932) {
    std::string out;
    for (size_t i = 0; i < cp932.size(); ++i) {
        auto byte = static_cast<unsigned char>(cp932[i]);
        if (isCp932LeadByte(byte) && i + 1 < cp932.size()) {
            std::string converted = convertCharacter(&cp932[i], 2);
            auto trail = static_cast<unsigned char>(cp932[i + 1]);
            if (converted.empty() && isTrailByte(trail)) {
                // A pair the code page leaves unassigned is still one unit to the game: its
                // trail byte is no character (nor a backslash) of its own.
                converted = hexByte(byte) + hexByte(trail);
            }
            if (!converted.empty()) {
                out += converted;
                ++i;
                continue;
            }
        }
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += hexByte(byte);
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else {
            std::string converted = convertCharacter(&cp932[i], 1);
            out += converted.empty() ? hexByte(byte) : converted;
        }
    }
    return out;
}

std::string simEventLine(const HeadlessEvent& event) {
    switch (event.kind) {
        case HeadlessEventKind::messageBox:
            return "messagebox caption=" + simText(event.caption) + " text=" + simText(event.text);
        case HeadlessEventKind::soundPlay: return "sound play " + simText(event.text);
        case HeadlessEventKind::soundStop: return "sound stop";
        case HeadlessEventKind::timerSet:
            return "timer set " + std::to_string(event.id) + " " + std::to_string(event.value);
        case HeadlessEventKind::timerKill: return "timer kill " + std::to_string(event.id);
        case HeadlessEventKind::menuCheck:
            return "menu check " + std::to_string(event.id) + " " + std::to_string(event.value);
        case HeadlessEventKind::menuEnable:
            return "menu enable " + std::to_string(event.id) + " " + std::to_string(event.value);
        case HeadlessEventKind::quit: return {};  // the simulator prints exit when its loop ends
    }
    return {};
}

// Game state: reads every field of play, items, word, scoring, texts and layout.
std::vector<std::string> simDumpLines() {
    const GameState& g = game;
    std::vector<std::string> lines = {
        "state",
        line("countdownState", g.countdownState),
        line("countdownValue", g.countdownValue),
        line("playing", g.playing),
        line("rankingShown", g.rankingShown),
        line("difficulty", g.difficulty),
        line("quotaEasy", g.quotaEasy),
        line("quotaNormal", g.quotaNormal),
        line("quotaHard", g.quotaHard),
        line("quotaBase", g.quotaBase),
        line("wordsToRefill", g.wordsToRefill),
        line("round", g.round),
        line("timeGauge", gaugeText(g.timeGauge)),
    };
    std::string held;
    for (int i = 0; i < itemKindCount; ++i) {
        held += (i ? "," : "") + std::to_string(g.itemHeld[i]);
    }
    lines.push_back(line("itemHeld", held));
    for (auto [name, value] : {std::pair{"timeStopActive", g.timeStopActive},
                               {"missGuardActive", g.missGuardActive},
                               {"powerActive", g.powerActive},
                               {"timeStopTicks", g.timeStopTicks},
                               {"missGuardTicks", g.missGuardTicks},
                               {"powerTicks", g.powerTicks}}) {
        lines.push_back(line(name, value));
    }
    lines.push_back(textLine("displayText", g.displayText));
    lines.push_back(textLine("romajiText", g.romajiText));
    lines.push_back(textLine("typedText", g.typedText));
    for (auto [name, value] : {std::pair{"cursor", g.cursor},
                               {"romajiLength", g.romajiLength},
                               {"scrollDisplay", g.scrollDisplay},
                               {"scrollRomaji", g.scrollRomaji},
                               {"scrollTyped", g.scrollTyped}}) {
        lines.push_back(line(name, value));
    }
    lines.push_back(line("wordsFile", g.wordsFile ? "open" : "none"));
    for (auto [name, value] : {std::pair{"wordsLineCount", g.wordsLineCount},
                               {"easyLine", g.easyLine},
                               {"normalLine", g.normalLine},
                               {"hardLine", g.hardLine},
                               {"parseIndex", g.parseIndex},
                               {"combo", g.combo},
                               {"maxCombo", g.maxCombo},
                               {"score", g.score},
                               {"hits", g.hits}}) {
        lines.push_back(line(name, value));
    }
    lines.push_back(line("lastHitTime", std::to_string(g.lastHitTime.ms)));
    for (auto [name, value] : {std::pair{"comboLabelX", g.comboLabelX},
                               {"comboLabelY", g.comboLabelY},
                               {"comboShifted10", g.comboShifted10},
                               {"comboShifted100", g.comboShifted100}}) {
        lines.push_back(line(name, value));
    }
    lines.push_back(textLine("countdownLabel", g.countdownLabel));
    lines.push_back(textLine("refillLabel", g.refillLabel));
    lines.push_back(textLine("scoreLabel", g.scoreLabel));
    lines.push_back(textLine("comboLabel", g.comboLabel));
    lines.push_back(textLine("resultText", g.resultText));
    for (int i = 0; i < 5; ++i) {
        std::string name = "rankingText" + std::to_string(i + 1);
        lines.push_back(textLine(name.c_str(), g.rankingText[i]));
    }
    const Layout& l = g.layout;
    for (auto [name, value] : {std::pair{"NPosX", l.NPosX},
                               {"NPosY", l.NPosY},
                               {"APosX", l.APosX},
                               {"APosY", l.APosY},
                               {"TPosX", l.TPosX},
                               {"TPosY", l.TPosY},
                               {"IPosX", l.IPosX},
                               {"IPosY", l.IPosY}}) {
        lines.push_back(line(name, value));
    }
    lines.push_back("end");
    return lines;
}

bool simWriteFrame(const std::string& path) {
    constexpr int width = 640;
    constexpr int height = 320;
    constexpr uint32_t pixelBytes = width * height * 3;
    std::vector<uint8_t> pixels(pixelBytes, 0);
    const std::vector<uint8_t>& frame = headlessPresentedFrame();
    // The presented frame is bottom-up; a 480-row present shows the same 320 rows.
    size_t rows = std::min<size_t>(frame.size() / (width * 3), height);
    size_t skip = frame.size() / (width * 3) - rows;
    std::memcpy(pixels.data() + (height - rows) * width * 3, frame.data() + skip * width * 3,
                rows * width * 3);

    uint8_t header[54] = {};
    auto put32 = [&](int at, uint32_t value) {
        for (int i = 0; i < 4; ++i) header[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    header[0] = 'B';
    header[1] = 'M';
    put32(2, 54 + pixelBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    header[26] = 1;
    header[28] = 24;
    put32(34, pixelBytes);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out.write(reinterpret_cast<const char*>(pixels.data()),
              static_cast<std::streamsize>(pixelBytes));
    return static_cast<bool>(out);
}
