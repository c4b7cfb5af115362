#include "ui/main/menus.h"

#include "text/wide.h"

namespace corvane {

void AddMenuItem(HMENU vMenu, int vId, const TText& vText, bool vRadio) {
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
  mi.fType = vRadio ? MFT_RADIOCHECK : MFT_STRING;
  mi.wID = UINT(vId);
  mi.dwTypeData = const_cast<wchar_t*>(W(vText));
  InsertMenuItemW(vMenu, GetMenuItemCount(vMenu), TRUE, &mi);
}

void AddSubMenu(HMENU vMenu, HMENU vSub, const wchar_t* vText) {
  AppendMenuW(vMenu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(vSub), vText);
}

}  // namespace corvane
