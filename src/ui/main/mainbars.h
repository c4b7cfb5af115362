// Building the main window's menu bar, the results list's pop-up menu and the cool bar with
// its tool bar and animation, from the tables of maintables.h and the actions' states.
#pragma once

#include <windows.h>

#include "ui/main/options.h"
#include "ui/window/actions.h"
#include "win32/handles.h"

namespace corvane {

// The menu bar, bound to vActions; TOptions fills the Options menu.
HMENU BuildMenuBar(TActionList& vActions, TOptions& vOptions);
// The results list's pop-up menu, bound to vActions; the caller destroys it.
HMENU BuildResultsMenu(TActionList& vActions);

struct TCoolBar {
  HWND fCoolBar = nullptr, fToolBar = nullptr, fAnimate = nullptr;
};
// The tool bar's images, 16 by 16, from the bitmap resources 10 to 19.
TOwnedImageList BuildToolImages();
// The cool bar at the top of vParent: the tool bar (images from vImages) bound to vActions,
// and the animation beside it.
TCoolBar BuildCoolBar(HWND vParent, TActionList& vActions, HIMAGELIST vImages);

}  // namespace corvane
