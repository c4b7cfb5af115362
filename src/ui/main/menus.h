// Building the window's menus: one item or submenu appended at a time.
#pragma once

#include <windows.h>

#include "text/text.h"

namespace corvane {

// Appends a command item (vRadio: shown with a radio check mark when checked).
void AddMenuItem(HMENU vMenu, int vId, const TText& vText, bool vRadio = false);
void AddSubMenu(HMENU vMenu, HMENU vSub, const wchar_t* vText);

}  // namespace corvane
