// The main window's actions, menus, tool bar and menu hints as data: what each action is
// called, its shortcut, image and hint, and where each command stands in the menus and on
// the tool bar. The window gives each action its work (mainform.cpp) and builds the bars from
// these tables (mainbars.cpp).
#pragma once

#include <windows.h>

#include <span>

namespace corvane {

struct TActionRow {
  int fId;
  const char16_t* fCaption;
  const char16_t* fShortcut;  // as the menu shows it; "" for none
  BYTE fKeyFlags;             // FCONTROL, FALT
  WORD fKey;                  // 0: no shortcut of the window (a list may have its own key)
  int fImage;                 // tool bar image, -1 for none
  const char16_t* fHint;      // "short|long"
};
std::span<const TActionRow> ActionRows();

// A menu's items in order: a command id, or 0 for a separator. The Options menu has no items
// here: TOptions fills it.
struct TMenuTable {
  const wchar_t* fCaption;
  std::span<const int> fItems;
  bool fOptions = false;
};
// The menu bar's menus in order, and the results list's pop-up menu.
std::span<const TMenuTable> MenuBarTables();
std::span<const int> ResultsMenuItems();
// The tool bar's buttons in order; 0 for a separator.
std::span<const int> ToolBarItems();

// The captions and hints of the menu items that run no action.
const wchar_t* MenuItemCaption(int vId);
const char16_t* MenuItemHint(int vId);

}  // namespace corvane
