// The main window's settings and placement as the settings file keeps them between runs, read
// and written through the profile seam.
#pragma once

#include <windows.h>

#include "settings/profile.h"
#include "ui/main/mainlogic.h"

namespace corvane {

// Centres vWindow in the work area, then gives it the placement the file holds (moved back
// into the work area); the window stays hidden.
void RestorePlacement(HWND vWindow, TProfile& vProfile);
// Writes vWindow's placement; false when the file could not be written.
[[nodiscard]] bool SavePlacement(HWND vWindow, TProfile& vProfile);
// Writes the window's own settings; false when the file could not be written.
[[nodiscard]] bool SaveFormSettings(const TFormSettings& vSettings, TProfile& vProfile);

}  // namespace corvane
