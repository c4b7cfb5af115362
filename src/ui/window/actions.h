// Actions: a command with caption, shortcut, image and hint, shared by menu items, tool bar
// buttons, push buttons and keyboard shortcuts. Their enabled states are set by one update
// handler that the message loop runs whenever it falls idle.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "text/text.h"
#include "win32/handles.h"

namespace corvane {

struct TAction {
  int fId = 0;  // the WM_COMMAND identifier of everything bound to the action
  TText fCaption;
  TText fShortcut;     // the shortcut as the menu shows it, e.g. "Ctrl+S"
  BYTE fKeyFlags = 0;  // FCONTROL, FALT; 0 when there is no shortcut
  WORD fKey = 0;       // virtual key
  int fImage = -1;     // image list position, -1 for none
  TText fHint;         // "short|long"
  std::function<void()> fExecute;
  bool fEnabled = true;
  std::vector<HWND> fButtons;  // push buttons bound to the action
};

class TActionList {
 public:
  TAction& Add(TAction vAction);
  TAction* Find(int vId);
  const std::vector<TAction>& Items() const { return fItems; }

  // Binding gives the menu, tool bar or button the actions' current states at once.
  void BindMenu(HMENU vMenu);
  void BindToolBar(HWND vToolBar);
  void BindButton(int vId, HWND vButton);

  // Sets the state of the action and of everything bound to it; nothing happens when the
  // state does not change.
  void SetEnabled(int vId, bool vEnabled);
  // Runs the update handler, then the action when it is enabled. False when vId is no
  // action.
  bool Execute(int vId);
  // The update pass; the message loop calls it when idle.
  void Update() {
    if (fOnUpdate) fOnUpdate();
  }
  std::function<void()> fOnUpdate;

  // An accelerator table of the actions' shortcuts.
  TOwnedAccel BuildAccelerators() const;

 private:
  void Apply(const TAction& vAction);
  void ApplyMenu(HMENU vMenu, const TAction& vAction) const;
  void ApplyToolBar(const TAction& vAction) const;
  std::vector<TAction> fItems;
  std::vector<HMENU> fMenus;
  HWND fToolBar = nullptr;
};

// The menu caption of an action: its caption, a tab and its shortcut.
TText MenuCaption(const TAction& vAction);

}  // namespace corvane
