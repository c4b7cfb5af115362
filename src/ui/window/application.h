// The message loop: shortcuts through the actions' accelerator table and the keyboard use of
// a dialog box (dialogkeys.h), the hint of the control under the pointer, and the actions'
// update pass whenever the queue runs empty.
#pragma once

#include <windows.h>

#include <functional>
#include <map>

#include "text/text.h"
#include "ui/window/actions.h"

namespace corvane {

class TApplication {
 public:
  // Hints by control; the long part is shown through OnHint.
  void SetHint(HWND vControl, TText vHint) { fHints[vControl] = std::move(vHint); }
  void RemoveHint(HWND vControl) { fHints.erase(vControl); }
  const TText* HintOf(HWND vControl) const;

  // Runs until WM_QUIT; returns its exit code. vMain receives the shortcuts' commands.
  int Run(HWND vMain, TActionList& vActions);

  // Called with the new current hint (whole "short|long" text) whenever it changes.
  std::function<void(const TText&)> OnHint;
  // Sets the current hint (menu items report theirs through this too).
  void ChangeHint(const TText& vHint);

 private:
  void TrackHint(const MSG& vMsg);
  std::map<HWND, TText> fHints;
  TText fCurrentHint;
  HWND fHintWindow = nullptr;
};

}  // namespace corvane
