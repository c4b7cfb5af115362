#include "ui/window/actions.h"

#include <commctrl.h>

#include "ui/window/window.h"

namespace corvane {

TAction& TActionList::Add(TAction vAction) {
  fItems.push_back(std::move(vAction));
  return fItems.back();
}

TAction* TActionList::Find(int vId) {
  for (TAction& a : fItems)
    if (a.fId == vId) return &a;
  return nullptr;
}

void TActionList::BindMenu(HMENU vMenu) {
  fMenus.push_back(vMenu);
  for (const TAction& a : fItems) ApplyMenu(vMenu, a);
}

void TActionList::BindToolBar(HWND vToolBar) {
  fToolBar = vToolBar;
  for (const TAction& a : fItems) ApplyToolBar(a);
}

void TActionList::BindButton(int vId, HWND vButton) {
  if (TAction* a = Find(vId)) {
    a->fButtons.push_back(vButton);
    EnableWindow(vButton, a->fEnabled);
  }
}

void TActionList::ApplyMenu(HMENU vMenu, const TAction& a) const {
  EnableMenuItem(vMenu, UINT(a.fId), MF_BYCOMMAND | (a.fEnabled ? MF_ENABLED : MF_GRAYED));
}

void TActionList::ApplyToolBar(const TAction& a) const {
  if (fToolBar) SendMessageW(fToolBar, TB_ENABLEBUTTON, WPARAM(a.fId), MAKELPARAM(a.fEnabled, 0));
}

void TActionList::Apply(const TAction& a) {
  for (HMENU m : fMenus) ApplyMenu(m, a);
  ApplyToolBar(a);
  for (HWND b : a.fButtons) EnableWindow(b, a.fEnabled);
}

void TActionList::SetEnabled(int vId, bool vEnabled) {
  TAction* a = Find(vId);
  if (!a || a->fEnabled == vEnabled) return;
  a->fEnabled = vEnabled;
  Apply(*a);
}

bool TActionList::Execute(int vId) {
  if (!Find(vId)) return false;
  Update();
  TAction* a = Find(vId);
  if (a->fEnabled && a->fExecute) a->fExecute();
  return true;
}

TOwnedAccel TActionList::BuildAccelerators() const {
  std::vector<ACCEL> keys;
  for (const TAction& a : fItems)
    if (a.fKey) keys.push_back(ACCEL{BYTE(FVIRTKEY | a.fKeyFlags), a.fKey, WORD(a.fId)});
  if (keys.empty()) return {};
  return TOwnedAccel(CreateAcceleratorTableW(keys.data(), int(keys.size())));
}

TText MenuCaption(const TAction& vAction) {
  return vAction.fShortcut.empty() ? vAction.fCaption
                                   : vAction.fCaption + u"\t" + vAction.fShortcut;
}

}  // namespace corvane
