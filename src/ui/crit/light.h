// The validity light of criterion rows and the time limit: one bitmap of two square cells,
// green on the left, red on the right, drawn with its olive pixels transparent.
#pragma once

#include <windows.h>

#include "ui/window/dpi.h"

namespace corvane {

inline constexpr int kLightSize = 16;  // at 96 DPI

// The bitmap drawn for vScale from the program's resources; nullptr when it cannot be loaded.
HBITMAP LoadValidityLight(const TScale& vScale);
// Paints an owner-drawn light control: green when vValid, red otherwise.
void PaintValidityLight(const DRAWITEMSTRUCT& vItem, HBITMAP vLight, bool vValid);

}  // namespace corvane
