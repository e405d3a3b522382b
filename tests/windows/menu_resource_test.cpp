// The MYMENU resource linked into the program: Japanese, and item for item the menu table
// the game and the other backends use.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/menu.h"
#include "backends/win32/wide.h"

namespace {

// The menu as rows of the table: pop-ups open and close around their items.
void flatten(HMENU menu, std::vector<MenuEntryKind>& kinds, std::vector<std::wstring>& labels,
             std::vector<unsigned>& commands) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t label[100] = {};
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU | MIIM_STATE;
        item.dwTypeData = label;
        item.cch = 100;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item));
        EXPECT_EQ(item.fState, 0u) << "nothing is checked or greyed in the resource";
        labels.push_back(label);
        if (item.hSubMenu) {
            kinds.push_back(MenuEntryKind::popupBegin);
            commands.push_back(0);
            flatten(item.hSubMenu, kinds, labels, commands);
            kinds.push_back(MenuEntryKind::popupEnd);
            labels.push_back(L"");
            commands.push_back(0);
        } else {
            kinds.push_back(MenuEntryKind::item);
            commands.push_back(item.wID);
        }
    }
}

}  // namespace

TEST(MenuResourceTest, IsJapanese) {
    HMODULE module = GetModuleHandleW(nullptr);
    EXPECT_NE(FindResourceExW(module, MAKEINTRESOURCEW(4), L"MYMENU",
                              MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)),
              nullptr);
    EXPECT_EQ(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), 1041);
}

TEST(MenuResourceTest, MatchesTheMenuTable) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"MYMENU");
    ASSERT_NE(menu, nullptr);
    std::vector<MenuEntryKind> kinds;
    std::vector<std::wstring> labels;
    std::vector<unsigned> commands;
    flatten(menu, kinds, labels, commands);
    DestroyMenu(menu);

    ASSERT_EQ(kinds.size(), static_cast<size_t>(menuEntryCount));
    for (int i = 0; i < menuEntryCount; ++i) {
        const MenuEntry& entry = menuEntries[i];
        EXPECT_EQ(kinds[i], entry.kind) << "row " << i;
        EXPECT_EQ(labels[i], wideFromCp932(entry.label)) << "row " << i;
        EXPECT_EQ(commands[i], entry.command) << "row " << i;
    }
    // Spot checks against the texts as a player reads them.
    EXPECT_EQ(labels[0], L"\u30B2\u30FC\u30E0(&G)");  // ゲーム(&G)
    EXPECT_EQ(labels[8], L"\u7D42\u4E86(E)");         // 終了(E)
}
