// The real game window under Wine in an X display, with keyfall.exe's manifest: no input
// context, typed letters reaching the game, and the window's size for its DPI.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <imm.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/entry.h"
#include "backends/win32/dpi.h"
#include "backends/win32/handles.h"
#include "backends/win32/main_window.h"
#include "base/game_state.h"
#include "tests/support/scratch_folder.h"

namespace {

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

SIZE clientSize(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    return SIZE{rect.right, rect.bottom};
}

SIZE outerSize(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// A plain grey 24-bit picture of the frame's size, as the file of a background.
std::string greyPicture() {
    const DWORD stride = (frameWidth * 3 + 3) & ~3u;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + stride * frameHeight;
    info.biSize = sizeof info;
    info.biWidth = frameWidth;
    info.biHeight = frameHeight;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(stride * frameHeight, '\x80');
    return bytes;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A data folder with only a background, on which the game's texts show; no words. The
        // window is made all the same.
        scratch = std::make_unique<ScratchFolder>("window");
        scratch->write("Date/Image/MainBack.bmp", greyPicture());
        game = GameState{};
        HINSTANCE instance = GetModuleHandleW(nullptr);
        startUp(portableInstance(instance));
        static ATOM atom = registerMainWindowClass(instance);
        ASSERT_NE(atom, 0);
        window = createMainWindow(instance, SW_SHOWNORMAL);
        ASSERT_NE(window, nullptr);
        pumpMessages();
    }

    void TearDown() override {
        if (window && IsWindow(window)) {
            game.playing = 0;
            SendMessageW(window, WM_CLOSE, 0, 0);
            pumpMessages();
        }
        scratch.reset();
    }

    void pressKey(UINT virtualKey) {
        const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
        PostMessageW(window, WM_KEYDOWN, virtualKey, 1 | static_cast<LPARAM>(scanCode) << 16);
        PostMessageW(window, WM_KEYUP, virtualKey,
                     1 | static_cast<LPARAM>(scanCode) << 16 | LPARAM{3} << 30);
        pumpMessages();
    }

    // The client area's pixels as 32-bit rows, read back from the window.
    std::vector<uint32_t> windowPixels() {
        const SIZE size = clientSize(window);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size.cx;
        info.bmiHeader.biHeight = -size.cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC windowDC = GetDC(window);
        HBITMAP copy = CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC copyDC = CreateCompatibleDC(windowDC);
        HGDIOBJ previous = SelectObject(copyDC, copy);
        BitBlt(copyDC, 0, 0, size.cx, size.cy, windowDC, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* first = static_cast<const uint32_t*>(bits);
        std::vector<uint32_t> pixels(first, first + size.cx * size.cy);
        SelectObject(copyDC, previous);
        DeleteDC(copyDC);
        DeleteObject(copy);
        ReleaseDC(window, windowDC);
        return pixels;
    }

    std::unique_ptr<ScratchFolder> scratch;
    HWND window = nullptr;
};

}  // namespace

TEST_F(MainWindowTest, HasNoInputContextAndTypedLettersReachTheGame) {
    // Any other window has the thread's input context: the check below can tell.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    HIMC otherContext = ImmGetContext(other);
    EXPECT_NE(otherContext, nullptr) << "an ordinary window should have an input context";
    if (otherContext) ImmReleaseContext(other, otherContext);
    DestroyWindow(other);

    HIMC context = ImmGetContext(window);
    EXPECT_EQ(context, nullptr) << "the game window must have no input context";
    if (context) ImmReleaseContext(window, context);

    // The keys go through TranslateMessage as in the program's loop and arrive as WM_CHAR.
    game.playing = 1;
    std::strcpy(game.romajiText, "neko");
    game.romajiLength = 4;
    for (UINT key : {'N', 'E', 'K'}) pressKey(key);
    EXPECT_EQ(game.cursor, 3);
    EXPECT_STREQ(game.typedText, "nek");
}

// A key paints at once and copies only what it changed; the window then shows what a paint of
// all of it shows.
TEST_F(MainWindowTest, KeyPaintsShowWhatAWholePaintShows) {
    game.playing = 1;
    std::strcpy(game.romajiText, "neko");
    game.romajiLength = 4;
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    for (UINT key : {'N', 'E', 'K'}) {
        const std::vector<uint32_t> before = windowPixels();
        pressKey(key);
        const std::vector<uint32_t> atKey = windowPixels();
        EXPECT_NE(atKey, before) << "key " << static_cast<char>(key) << " showed nothing";
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        EXPECT_EQ(atKey, windowPixels()) << "after key " << static_cast<char>(key);
    }
}

TEST_F(MainWindowTest, SizeFollowsTheDpi) {
    const UINT dpi = dpiOfWindow(window);
    if (const char* expected = std::getenv("KEYFALL_EXPECT_DPI")) {
        ASSERT_EQ(dpi, static_cast<UINT>(std::atoi(expected))) << "Wine did not take LogPixels";
    }
    const int scale = scaleForDpi(dpi);
    EXPECT_EQ(frameScale(), scale);
    if (dpi == USER_DEFAULT_SCREEN_DPI) {
        EXPECT_EQ(outerSize(window).cx, 645);
        EXPECT_EQ(outerSize(window).cy, 365);
    } else {
        EXPECT_EQ(clientSize(window).cx, 640 * scale) << "at " << dpi << " DPI";
        EXPECT_EQ(clientSize(window).cy, 320 * scale) << "at " << dpi << " DPI";
    }

    // Moved to a monitor at 200 %, then at 125 %, then back to 100 %.
    RECT suggested = {40, 30, 900, 700};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(frameScale(), 2);
    EXPECT_EQ(clientSize(window).cx, 1280);
    EXPECT_EQ(clientSize(window).cy, 640);
    RECT placed = {};
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, 40);
    EXPECT_EQ(placed.top, 30);

    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(frameScale(), 1);
    EXPECT_EQ(clientSize(window).cx, 640);
    EXPECT_EQ(clientSize(window).cy, 320);

    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(frameScale(), 1);
    EXPECT_EQ(outerSize(window).cx, 645);
    EXPECT_EQ(outerSize(window).cy, 365);
}

TEST(ScaleTest, WholeMultiplesOf96Dpi) {
    const std::pair<UINT, int> cases[] = {{72, 1},  {96, 1},  {120, 1}, {144, 1},
                                          {168, 1}, {192, 2}, {240, 2}, {288, 3}};
    for (auto [dpi, scale] : cases) EXPECT_EQ(scaleForDpi(dpi), scale) << dpi;
}
