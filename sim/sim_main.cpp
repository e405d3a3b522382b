// keyfall-sim: plays the game on the headless machine from a script, so any game can be
// reproduced exactly. Usage: keyfall-sim [SCRIPT]  (standard input without an argument),
// keyfall-sim --verify HISTORY to play every kept game of a history file again, or
// keyfall-sim --export-csv FILE to write the kept games of ./Date/History.txt as CSV.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/entry.h"
#include "backends/headless/headless.h"
#include "platform/platform.h"
#include "sim/export_csv.h"
#include "sim/sim_output.h"
#include "sim/verify.h"

namespace {

std::istream* script = nullptr;
int lineNumber = 0;

[[noreturn]] void fail(const std::string& why) {
    std::cout.flush();
    std::cerr << "keyfall-sim: line " << lineNumber << ": " << why << "\n";
    std::exit(2);
}

void print(const std::string& text) { std::cout << text << "\n"; }

bool parseNumber(const std::string& text, int base, unsigned long long limit,
                 unsigned long long& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, base);
    return errno == 0 && *end == '\0' && value <= limit;
}

unsigned long long number(const std::string& text, unsigned long long limit) {
    unsigned long long value = 0;
    if (!parseNumber(text, 10, limit, value)) fail("not a number in range: " + text);
    return value;
}

// C is one printable character, \xHH, or one of the names of the control keys.
unsigned char characterArgument(const std::string& text) {
    static const std::pair<const char*, unsigned char> names[] = {
        {"BS", 8}, {"TAB", 9}, {"ENTER", 13}, {"ESC", 27}, {"SPACE", 32}};
    for (auto [name, code] : names) {
        if (text == name) return code;
    }
    if (text.size() == 1 && text[0] > ' ' && text[0] < 0x7F) {
        return static_cast<unsigned char>(text[0]);
    }
    unsigned long long value = 0;
    if (text.size() == 4 && text.compare(0, 2, "\\x") == 0 &&
        parseNumber(text.substr(2), 16, 0xFF, value)) {
        return static_cast<unsigned char>(value);
    }
    fail("not a character: " + text);
}

unsigned keyArgument(const std::string& text) {
    unsigned long long value = 0;
    if (text.size() >= 2 && text[0] == 'F' && parseNumber(text.substr(1), 10, 12, value) &&
        value >= 1) {
        return static_cast<unsigned>(0x6F + value);
    }
    if (text.size() > 2 && text.compare(0, 2, "0x") == 0 &&
        parseNumber(text.substr(2), 16, 0xFFFF, value)) {
        return static_cast<unsigned>(value);
    }
    fail("not a key: " + text);
}

void keyboard(uint32_t message, uintptr_t code) {
    if (!headlessSend(message, code, 0)) print("blocked");
    headlessPump();
}

void expectArguments(const std::vector<std::string>& words, size_t least, size_t most) {
    if (words.size() - 1 < least || words.size() - 1 > most) {
        fail("wrong number of arguments for " + words[0]);
    }
}

// Runs script lines until the script ends, the game quits, or (inside a box) `dismiss`.
void runScript(bool insideBox);

void runCommand(const std::vector<std::string>& words, bool insideBox, bool& dismissed) {
    const std::string& command = words[0];
    if (command == "time") {
        expectArguments(words, 1, 1);
        headlessSetCalendarTime(static_cast<int64_t>(number(words[1], 1ull << 62)));
    } else if (command == "clock") {
        expectArguments(words, 1, 1);
        headlessSetClock(static_cast<uint32_t>(number(words[1], 0xFFFFFFFFull)));
    } else if (command == "wait") {
        expectArguments(words, 1, 1);
        headlessAdvance(static_cast<uint32_t>(number(words[1], 0xFFFFFFFFull)));
    } else if (command == "menu") {
        expectArguments(words, 1, 1);
        headlessSend(msgCommand, static_cast<uintptr_t>(number(words[1], 0xFFFFFFFFull)), 0);
        headlessPump();
    } else if (command == "initmenu") {
        expectArguments(words, 0, 0);
        headlessSend(msgInitMenu, 0, 0);
        headlessPump();
    } else if (command == "char") {
        expectArguments(words, 1, 1);
        keyboard(msgChar, characterArgument(words[1]));
    } else if (command == "type") {
        expectArguments(words, 1, 2);
        uint32_t gap =
            words.size() > 2 ? static_cast<uint32_t>(number(words[2], 0xFFFFFFFFull)) : 0;
        for (char c : words[1]) {
            keyboard(msgChar, static_cast<unsigned char>(c));
            if (headlessQuitPosted()) return;
            headlessAdvance(gap);
        }
    } else if (command == "key") {
        expectArguments(words, 1, 1);
        keyboard(msgKeyDown, keyArgument(words[1]));
    } else if (command == "dismiss") {
        expectArguments(words, 0, 0);
        if (!insideBox) fail("dismiss with no message box open");
        dismissed = true;
    } else if (command == "dump") {
        expectArguments(words, 0, 0);
        for (const std::string& text : simDumpLines()) print(text);
    } else if (command == "frame") {
        expectArguments(words, 1, 1);
        if (!simWriteFrame(words[1])) fail("cannot write " + words[1]);
    } else if (command == "close") {
        expectArguments(words, 0, 0);
        headlessSend(msgClose, 0, 0);
        headlessPump();
    } else {
        fail("unknown command: " + command);
    }
}

void runScript(bool insideBox) {
    std::string text;
    while (!headlessQuitPosted() && std::getline(*script, text)) {
        ++lineNumber;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        size_t hash = text.find('#');
        if (hash != std::string::npos) text.erase(hash);
        std::istringstream in(text);
        std::vector<std::string> words;
        for (std::string word; in >> word;) words.push_back(word);
        if (words.empty()) continue;
        bool dismissed = false;
        runCommand(words, insideBox, dismissed);
        if (dismissed) return;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::ifstream file;
    script = &std::cin;
    if (argc == 3 && std::string(argv[1]) == "--verify") return verifyHistoryFile(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "--export-csv") return exportHistoryCsv(argv[2]);
    if (argc > 2 || (argc == 2 && std::string(argv[1]).rfind("--", 0) == 0)) {
        std::cerr << "usage: keyfall-sim [SCRIPT] | keyfall-sim --verify HISTORY | "
                     "keyfall-sim --export-csv FILE\n";
        return 2;
    }
    if (argc == 2) {
        file.open(argv[1]);
        if (!file) {
            std::cerr << "keyfall-sim: cannot read " << argv[1] << "\n";
            return 2;
        }
        script = &file;
    }

    headlessReset();
    headlessSetEventSink([](const HeadlessEvent& event) {
        std::string text = simEventLine(event);
        if (!text.empty()) print(text);
    });
    // A box opens: the script goes on inside its nested loop until `dismiss` (or its end).
    headlessSetMessageBoxHandler([](const std::string&, const std::string&) { runScript(true); });

    startUp(nullptr);
    headlessCreateWindow(windowProcedure);
    runScript(false);

    if (headlessWindowAlive() && !headlessQuitPosted()) {
        headlessSend(msgClose, 0, 0);
        headlessPump();
    }
    print("exit " + std::to_string(headlessExitCode()));
    return 0;
}
