// Text to the clipboard (Windows only), as CF_UNICODETEXT.
#pragma once

#include <windows.h>

#include "text/text.h"

namespace corvane {

// Replaces the clipboard's contents with vText (cut at its first zero, which the format
// cannot carry). Another program may hold the clipboard for a moment: opening is tried a few
// times. False, with the system's text in vError, when it could not be done.
[[nodiscard]] bool SetClipboardText(HWND vOwner, const TText& vText, TText& vError);

}  // namespace corvane
