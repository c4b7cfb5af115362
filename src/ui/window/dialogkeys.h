// Keyboard use of a top-level window as of a dialog box: Tab and Shift+Tab between the
// controls, arrow keys within a group of radio buttons, Alt with a caption's underlined
// letter presses that button, Enter presses the focused push button or goes to a focused
// control that asks for it (WM_GETDLGCODE answers DLGC_WANTMESSAGE). The window's own
// shortcuts come first, except where they would take a key from an open drop-down list
// (Esc closes the list, Enter picks its item).
#pragma once

#include <windows.h>

namespace corvane {

// Translates and dispatches vMsg when it is for vMain or one of its controls; false when it
// is not (the caller dispatches it then).
bool TranslateDialogKeys(HWND vMain, HACCEL vAccel, MSG& vMsg);

// Whether vWnd is, or lies inside, a combo box whose list is dropped down.
bool InOpenDropDown(HWND vWnd);

}  // namespace corvane
