// Building the main window's menu bar, the results list's pop-up menu and the cool bar with
// its tool bar and animation, from the tables of maintables.h and the actions' states.
#pragma once

#include <windows.h>

#include "ui/main/options.h"
#include "ui/window/actions.h"
#include "ui/window/dpi.h"
#include "win32/handles.h"

namespace corvane {

// The menu bar, bound to vActions; TOptions fills the Options menu.
HMENU BuildMenuBar(TActionList& vActions, TOptions& vOptions);
// The results list's pop-up menu, bound to vActions; the caller destroys it.
HMENU BuildResultsMenu(TActionList& vActions);

struct TCoolBar {
  HWND fCoolBar = nullptr, fToolBar = nullptr, fAnimate = nullptr;
};
// The tool bar's images for vScale: 16, 24 or 32 pixels square, from the bitmap resources 10
// to 19 (110 to 119, 210 to 219 for the larger ones).
TOwnedImageList BuildToolImages(const TScale& vScale);
// The cool bar at the top of vParent: the tool bar (images from vImages) bound to vActions,
// and the animation beside it, sized for vScale.
TCoolBar BuildCoolBar(HWND vParent, TActionList& vActions, HIMAGELIST vImages,
                      const TScale& vScale);
// The tool bar's images, buttons and the bands' heights for vScale (after a change of scale).
void SizeCoolBar(const TCoolBar& vBars, HIMAGELIST vImages, const TScale& vScale);

}  // namespace corvane
