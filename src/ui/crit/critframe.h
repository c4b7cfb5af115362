// TCritFrame: one criterion row of a criteria box: its match type, its text (or, for "data
// type is", its data type) and a light that is green while the row is valid. The row's
// kind (1 key names, 2 value names, 3 value data) never changes; its validity is the
// engine's CritRowValid, checked after every change of text or match type.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "savedsearch/qmxfile.h"
#include "ui/window/application.h"
#include "ui/window/dpi.h"
#include "ui/window/window.h"

namespace corvane {

class TCritFrame final : public TWindow {
 public:
  // Called after the row's text or match type changed.
  using TChange = std::function<void()>;

  inline static constexpr int kHeight = 25;  // at 96 DPI

  // vLight: the shared light bitmap, owned by the caller and outliving the row.
  TCritFrame(TApplication& vApp, const TDisplay& vDisplay, HBITMAP vLight);
  ~TCritFrame() override;

  // The row's window inside vParent at (0, vTop), named vName (also its window text).
  bool Create(HWND vParent, const TText& vName, int vTop, int vWidth);

  // A fresh row of kind which: "contains", an empty text.
  void Setup(std::int32_t which, TChange vChange);
  // A fresh row, then match type Idx and either data type iTyp (Idx 4) or the text S. A
  // match type the row does not offer, or a data type outside its list, leaves that list
  // with nothing selected.
  void Setup(std::int32_t which, TChange vChange, std::int32_t Idx, std::int32_t iTyp,
             const TText& S);

  bool Valid() const { return fValid; }
  const TText& Name() const { return fName; }
  // Match type and data type positions (-1 when none is selected) and the text, which a
  // "data type is" row keeps while it is hidden.
  TCritRow Row() const;
  HWND TextBox() const { return ebCrit; }
  // The light bitmap after a change of scale; the caller keeps owning it.
  void SetLight(HBITMAP vLight) {
    fLight = vLight;
    FrameResize();
    InvalidateRect(pbStat, nullptr, FALSE);
  }

  // Called with the control that has just received the focus.
  std::function<void(HWND)> OnFocus;

 protected:
  LRESULT WndProc(UINT vMsg, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls();
  void ShowDataType(bool vShow);
  void FrameResize();
  void cbCritChange();
  void ebCritChange();
  void pbStatPaint(const DRAWITEMSTRUCT& vItem);
  void CheckValid();
  // The match type list holds each type's number with its entry.
  void SelectMatch(std::int32_t vMatch);
  std::int32_t Match() const;  // -1 when none is selected
  static LRESULT CALLBACK ebCritKeyPress(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR vId, DWORD_PTR vRef) noexcept;

  bool fValid = false;
  TText fError;  // why the row's pattern does not compile
  std::int32_t fType = 0;
  TChange fChange;

  int S(int v) const { return fDisplay.S(v); }

  TApplication& fApp;
  const TDisplay& fDisplay;
  HBITMAP fLight;
  TText fName;
  HWND cbCrit = nullptr, ebCrit = nullptr, cxCrit = nullptr, pbStat = nullptr;
};

}  // namespace corvane
