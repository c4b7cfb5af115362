// TCriteriaPage: the criteria page of the main window's page stack. The Basic and Advanced
// tabs (the Basic text box; the Advanced tab's criterion boxes, ui/crit/), and below them
// the time limit that both searches take, the Search button and the options' two lists.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "text/text.h"
#include "ui/crit/critboxes.h"
#include "ui/crit/timebox.h"
#include "ui/main/options.h"
#include "ui/window/application.h"
#include "ui/window/dpi.h"
#include "ui/window/window.h"

namespace corvane {

class TCriteriaPage {
 public:
  // vChanged: a criterion changed, so the hits shown belong to other criteria.
  TCriteriaPage(TApplication& vApp, const TDisplay& vDisplay, std::function<void()> vChanged)
      : fApp(vApp), fDisplay(vDisplay), fChanged(std::move(vChanged)) {}

  // Builds the page in a new panel of vParent, with the options' lists; returns the panel.
  HWND Create(HWND vParent, TOptions& vOptions);
  HWND SearchButton() const { return sbSearchE; }
  TCritBoxes& Boxes() { return *fCrit; }
  const TCritBoxes& Boxes() const { return *fCrit; }
  TTimeBox& Time() { return *fTime; }
  const TTimeBox& Time() const { return *fTime; }

  bool AdvancedTab() const;
  // Shows tab vTab (0 Basic, 1 Advanced), as a click on it does.
  void ShowTab(int vTab);
  // The tabs look like buttons.
  void TabsAsButtons();
  TText BasicText() const { return WindowText(ebNow); }
  bool BasicTextEmpty() const { return GetWindowTextLengthW(ebNow) == 0; }
  // "Regular expression" is checked: the Basic text is a pattern.
  bool BasicRegex() const;
  // Why the Basic text cannot be searched for (a pattern that does not compile); empty when
  // it can.
  TText BasicProblem() const;
  // New search: all roots, no text, no rows, "any" everywhere, any time.
  void NewSearch();
  // The first control of the shown tab.
  HWND FirstControl() const;
  // Puts the focus in the Basic text box when the Basic tab is shown and usable.
  void FocusBasicText() const;
  // The containers whose controls are locked while a search runs.
  std::vector<HWND> LockedPanels() const;

  // After the window was resized: the tab pages over the tab control's display area.
  void Layout();
  void BasicChanged();
  // After the window's scale changed from vOldDpi (its controls already moved with it).
  void Rescale(int vOldDpi);
  // WM_COMMAND and WM_NOTIFY of the page's controls; true when it was the page's.
  bool OnCommand(int vId, int vCode, HWND vControl);
  bool OnNotify(const NMHDR& vHdr);

 private:
  int S(int v) const { return fDisplay.S(v); }

  TApplication& fApp;
  const TDisplay& fDisplay;
  std::function<void()> fChanged;
  std::unique_ptr<TCritBoxes> fCrit;
  std::unique_ptr<TTimeBox> fTime;
  HWND fPage = nullptr, pcMain = nullptr, tsEasy = nullptr, tsAdvanced = nullptr,
       ebNow = nullptr, pnlBottom = nullptr, sbSearchE = nullptr, lblEasy = nullptr,
       fSpacer = nullptr, cbRegex = nullptr;
  TText fBasicProblem;  // shown in the status bar when it changes
  TAlignList fPageAlign, fAdvancedAlign;
};

}  // namespace corvane
