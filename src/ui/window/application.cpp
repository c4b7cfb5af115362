#include "ui/window/application.h"

#include "ui/window/dialogkeys.h"
#include "ui/window/window.h"

namespace corvane {

const TText* TApplication::HintOf(HWND vControl) const {
  const auto it = fHints.find(vControl);
  return it == fHints.end() ? nullptr : &it->second;
}

void TApplication::ChangeHint(const TText& vHint) {
  if (vHint == fCurrentHint) return;
  fCurrentHint = vHint;
  if (OnHint) OnHint(vHint);
}

void TApplication::TrackHint(const MSG& vMsg) {
  if (vMsg.hwnd == fHintWindow) return;
  fHintWindow = vMsg.hwnd;
  const TText* hint = HintOf(vMsg.hwnd);
  ChangeHint(hint ? *hint : TText());
}

int TApplication::Run(HWND vMain, TActionList& vActions) {
  const TOwnedAccel accel = vActions.BuildAccelerators();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return int(msg.wParam);
      if (msg.message == WM_MOUSEMOVE) TrackHint(msg);
      if (TranslateDialogKeys(vMain, accel.Get(), msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (IsWindow(vMain)) GuardUserAction(vMain, [&] { vActions.Update(); });
    WaitMessage();
  }
}

}  // namespace corvane
