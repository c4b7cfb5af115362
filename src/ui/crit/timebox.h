// TTimeBox: the "Modified" strip under the criteria, which both the Basic and the Advanced
// search take: "any time", "after", "before", "between" (date-and-time pickers in local
// time) or "within the last" (a number and a unit), with a light that is green while the
// limit gives a time range. Every change of the limit runs the window's ClearResults.
#pragma once

#include <windows.h>

#include <functional>

#include "search/keytime.h"
#include "ui/window/application.h"
#include "ui/window/dpi.h"
#include "ui/window/window.h"
#include "win32/handles.h"

namespace corvane {

class TTimeBox final : public TWindow {
 public:
  inline static constexpr int kHeight = 30;  // at 96 DPI

  TTimeBox(TApplication& vApp, const TDisplay& vDisplay, std::function<void()> vChanged);
  ~TTimeBox() override;

  // The strip's window inside vParent.
  bool Create(HWND vParent);

  // The limit as the controls show it; the pickers' times in UTC, to the minute.
  TTimeFilter Filter() const;
  // Shows vFilter; "any time" and "within the last" leave the pickers as they are. Runs no
  // change report.
  void SetFilter(const TTimeFilter& vFilter);
  bool Valid() const { return fValid; }
  // New search: "any time", the pickers at the present minute.
  void NewSearch();
  // After the window's scale changed: the light for the new scale and the controls' places.
  void Rescale();

 protected:
  LRESULT WndProc(UINT vMsg, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls();
  void ShowFields();
  void Arrange();
  void Changed();
  void CheckValid();
  void SetPicker(HWND vPicker, std::uint64_t vUtc);
  int S(int v) const { return fDisplay.S(v); }

  TApplication& fApp;
  const TDisplay& fDisplay;
  std::function<void()> fChanged;
  TGdiObject fLight;
  bool fValid = true;
  bool fApplying = false;  // SetFilter and NewSearch: the controls' own reports change nothing
  TText fFormat;           // the pickers' date and time format
  HWND lblTime = nullptr, cbTime = nullptr, dtFrom = nullptr, lblAnd = nullptr, dtTo = nullptr,
       ebCount = nullptr, cbUnit = nullptr, pbStat = nullptr;
};

}  // namespace corvane
