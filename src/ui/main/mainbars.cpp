#include "ui/main/mainbars.h"

#include <commctrl.h>

#include <vector>

#include "ui/ids.h"
#include "ui/main/maintables.h"
#include "ui/main/menus.h"
#include "ui/window/window.h"

namespace corvane {
namespace {

void FillMenu(HMENU vMenu, std::span<const int> vItems, TActionList& vActions) {
  for (int id : vItems) {
    if (id == 0) {
      AppendMenuW(vMenu, MF_SEPARATOR, 0, nullptr);
    } else if (const TAction* a = vActions.Find(id)) {
      AddMenuItem(vMenu, id, MenuCaption(*a));
    } else if (const wchar_t* caption = MenuItemCaption(id)) {
      AddMenuItem(vMenu, id, FromW(caption));
    }
  }
}

}  // namespace

HMENU BuildMenuBar(TActionList& vActions, TOptions& vOptions) {
  HMENU bar = CreateMenu();
  for (const TMenuTable& t : MenuBarTables()) {
    HMENU menu = CreatePopupMenu();
    if (t.fOptions)
      vOptions.AddMenuItems(menu);
    else
      FillMenu(menu, t.fItems, vActions);
    AddSubMenu(bar, menu, t.fCaption);
  }
  vActions.BindMenu(bar);
  return bar;
}

HMENU BuildResultsMenu(TActionList& vActions) {
  HMENU menu = CreatePopupMenu();
  FillMenu(menu, ResultsMenuItems(), vActions);
  SetMenuDefaultItem(menu, ids::acKDetail, FALSE);
  vActions.BindMenu(menu);
  return menu;
}

TCoolBar BuildCoolBar(HWND vParent, TActionList& vActions, HIMAGELIST vImages) {
  TCoolBar c;
  c.fCoolBar = CreateControl(
      vParent, REBARCLASSNAMEW, L"",
      WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
      0, 0, 0, 0, ids::CoolBar1, nullptr);
  c.fToolBar = CreateControl(
      c.fCoolBar, TOOLBARCLASSNAMEW, L"",
      TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN, 0, 0, 200,
      25, ids::ToolBar1, nullptr);
  SendMessageW(c.fToolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(c.fToolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(vImages));
  SendMessageW(c.fToolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));
  SendMessageW(c.fToolBar, TB_SETBUTTONSIZE, 0, MAKELPARAM(25, 25));
  std::vector<TBBUTTON> buttons;
  for (int id : ToolBarItems()) {
    TBBUTTON b{};
    if (id == 0) {
      b.iBitmap = 8;
      b.fsStyle = BTNS_SEP;
    } else {
      const TAction& a = *vActions.Find(id);
      b.iBitmap = a.fImage;
      b.idCommand = id;
      b.fsState = a.fEnabled ? TBSTATE_ENABLED : 0;
      b.fsStyle = BTNS_BUTTON;
      b.iString = -1;
    }
    buttons.push_back(b);
  }
  SendMessageW(c.fToolBar, TB_ADDBUTTONS, buttons.size(),
               reinterpret_cast<LPARAM>(buttons.data()));
  vActions.BindToolBar(c.fToolBar);
  SIZE size{};
  SendMessageW(c.fToolBar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));

  c.fAnimate = CreateControl(c.fCoolBar, ANIMATE_CLASSW, L"", ACS_TRANSPARENT | ACS_CENTER, 0, 0,
                             25, 25, ids::Animate1, nullptr);

  REBARBANDINFOW band{};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE;
  band.fStyle = RBBS_CHILDEDGE | RBBS_NOGRIPPER;
  band.hwndChild = c.fToolBar;
  band.cxMinChild = size.cx > 0 ? size.cx : 200;
  band.cyMinChild = 25;
  band.cx = 400;
  SendMessageW(c.fCoolBar, RB_INSERTBANDW, WPARAM(-1), reinterpret_cast<LPARAM>(&band));
  band.fStyle = RBBS_FIXEDSIZE | RBBS_NOGRIPPER;
  band.hwndChild = c.fAnimate;
  band.cxMinChild = 25;
  band.cyMinChild = 25;
  band.cx = 25;
  SendMessageW(c.fCoolBar, RB_INSERTBANDW, WPARAM(-1), reinterpret_cast<LPARAM>(&band));
  return c;
}

TOwnedImageList BuildToolImages() {
  TOwnedImageList images(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 10, 0));
  if (!images) return images;
  for (int id = 10; id <= 19; ++id) {
    TGdiObject bmp(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 16, 16, 0));
    if (bmp) ImageList_AddMasked(images.Get(), HBITMAP(bmp.Get()), RGB(255, 0, 255));
  }
  return images;
}

}  // namespace corvane
