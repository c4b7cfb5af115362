// The validity light of criterion rows and the time limit: one 32-by-16 bitmap, green on
// the left, red on the right, drawn with its olive pixels transparent.
#pragma once

#include <windows.h>

namespace corvane {

inline constexpr int kLightSize = 16;

// The bitmap from the program's resources; nullptr when it cannot be loaded.
HBITMAP LoadValidityLight();
// Paints an owner-drawn light control: green when vValid, red otherwise.
void PaintValidityLight(const DRAWITEMSTRUCT& vItem, HBITMAP vLight, bool vValid);

}  // namespace corvane
