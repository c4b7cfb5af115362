#include "ui/main/mainbars.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "ui/ids.h"
#include "ui/main/maintables.h"
#include "ui/main/menus.h"
#include "ui/window/window.h"

namespace corvane {
namespace {

constexpr int kAnimationSize = 25;  // the search animation's frames

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

TCoolBar BuildCoolBar(HWND vParent, TActionList& vActions, HIMAGELIST vImages,
                      const TScale& vScale) {
  TCoolBar c;
  c.fCoolBar = CreateControl(
      vParent, REBARCLASSNAMEW, L"",
      WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
      0, 0, 0, 0, ids::CoolBar1, nullptr);
  c.fToolBar = CreateControl(
      c.fCoolBar, TOOLBARCLASSNAMEW, L"",
      TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN, 0, 0,
      vScale(200), vScale(25), ids::ToolBar1, nullptr);
  SendMessageW(c.fToolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  std::vector<TBBUTTON> buttons;
  for (int id : ToolBarItems()) {
    TBBUTTON b{};
    if (id == 0) {
      b.iBitmap = vScale(8);
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
  SendMessageW(c.fToolBar, TB_ADDBUTTONS, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  vActions.BindToolBar(c.fToolBar);

  // The animation has one size: it stands centred in its band.
  c.fAnimate = CreateControl(c.fCoolBar, ANIMATE_CLASSW, L"", ACS_TRANSPARENT | ACS_CENTER, 0, 0,
                             kAnimationSize, kAnimationSize, ids::Animate1, nullptr);
  REBARBANDINFOW band{};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_CHILD | RBBIM_STYLE;
  band.fStyle = RBBS_CHILDEDGE | RBBS_NOGRIPPER;
  band.hwndChild = c.fToolBar;
  SendMessageW(c.fCoolBar, RB_INSERTBANDW, WPARAM(-1), reinterpret_cast<LPARAM>(&band));
  band.fStyle = RBBS_FIXEDSIZE | RBBS_NOGRIPPER;
  band.hwndChild = c.fAnimate;
  SendMessageW(c.fCoolBar, RB_INSERTBANDW, WPARAM(-1), reinterpret_cast<LPARAM>(&band));
  SizeCoolBar(c, vImages, vScale);
  return c;
}

void SizeCoolBar(const TCoolBar& vBars, HIMAGELIST vImages, const TScale& vScale) {
  const int image = ImageSize16(vScale);
  // A button is its image and the same margin at every scale as at 100%.
  const int button = std::max(image + 9, vScale(25));
  SendMessageW(vBars.fToolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(vImages));
  SendMessageW(vBars.fToolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(image, image));
  SendMessageW(vBars.fToolBar, TB_SETBUTTONSIZE, 0, MAKELPARAM(button, button));
  SIZE size{};
  SendMessageW(vBars.fToolBar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
  SetWindowPos(vBars.fToolBar, nullptr, 0, 0, std::max<int>(size.cx, vScale(200)), button,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  REBARBANDINFOW band{};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_CHILDSIZE | RBBIM_SIZE;
  band.cxMinChild = size.cx > 0 ? UINT(size.cx) : UINT(vScale(200));
  band.cyMinChild = UINT(button);
  band.cx = UINT(vScale(400));
  SendMessageW(vBars.fCoolBar, RB_SETBANDINFOW, 0, reinterpret_cast<LPARAM>(&band));
  band.cxMinChild = UINT(std::max(button, kAnimationSize));
  band.cyMinChild = UINT(std::max(button, kAnimationSize));
  band.cx = band.cxMinChild;
  SendMessageW(vBars.fCoolBar, RB_SETBANDINFOW, 1, reinterpret_cast<LPARAM>(&band));
}

TOwnedImageList BuildToolImages(const TScale& vScale) {
  const int size = ImageSize16(vScale);
  const int first = 10 + 100 * ImageScaleIndex(vScale);
  TOwnedImageList images(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 10, 0));
  if (!images) return images;
  for (int id = first; id < first + 10; ++id) {
    TGdiObject bmp(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, size, size, 0));
    if (bmp) ImageList_AddMasked(images.Get(), HBITMAP(bmp.Get()), RGB(255, 0, 255));
  }
  return images;
}

}  // namespace corvane
