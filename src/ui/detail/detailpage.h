// TDetailPage: the key detail page of the main window's page stack. It shows one hit's key
// (path with the match emphasised), the key's values as the registry holds them now with the
// hit's value preselected, and the chosen value's type, size and data as text, as a
// hexadecimal grid or as a number.
//
// The main window creates the page, hands it the messages of the page's controls
// (HandleMessage), opens a hit in it (Open), and tells it when the window was resized. The
// page reads the registry itself, read-only, through a cursor, on the GUI thread.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "search/registry.h"
#include "search/types.h"
#include "ui/detail/detaillogic.h"
#include "ui/window/application.h"
#include "ui/window/dpi.h"
#include "ui/window/splitter.h"
#include "ui/window/window.h"
#include "win32/handles.h"

namespace corvane {

// What the registry editor launcher opens: the shown key and the value chosen in its list.
struct TLaunchTarget {
  bool fHasKey = false;    // a hit was opened in the page (and no search started since)
  TText fKeyPath;          // DetKStr: the full path, beginning with the root key's name
  bool fHasValue = false;  // an entry of the values list is selected
  TText fValueName;        // DetVStr: the chosen value's name; empty for the default value
};

class TDetailPage {
 public:
  // vMainWindow: the top-level window (its client width limits the splitter).
  TDetailPage(TApplication& vApp, HWND vMainWindow, const TDisplay& vDisplay,
              TCursorFactory vCursors);
  ~TDetailPage();
  TDetailPage(const TDetailPage&) = delete;
  TDetailPage& operator=(const TDetailPage&) = delete;

  // Builds the page's controls in a new panel of vParent and returns the panel.
  HWND Create(HWND vParent);

  // Shows hit vHit: the page must be the shown page already, laid out at its final size.
  void acKDetailExecute(const TResult& vHit);
  // A new search: the page no longer has a key to show.
  void ClearKey();
  bool HasKey() const { return !fState.DetKStr.empty(); }
  TLaunchTarget LaunchTarget() const;
  const TDetailState& State() const { return fState; }
  // Gives the keyboard focus to the values list.
  void Focus();

  // After the main window was resized: re-measure both name boxes and keep at least 300
  // pixels (at 96 DPI) for the data side.
  void FormResize();
  // After the window's scale changed from vOldDpi: the grid's font and columns, the fixed
  // heights.
  void Rescale(int vOldDpi);

  // WM_COMMAND, WM_NOTIFY, WM_DRAWITEM and WM_MEASUREITEM of the page's controls, as they
  // reach the main window. True when the message was the page's; vResult is its answer.
  bool HandleMessage(UINT vMsg, WPARAM wParam, LPARAM lParam, LRESULT& vResult);

  // Ctrl+C in the values list.
  std::function<void()> fOnCopy;
  // The values list's pop-up menu at screen point vAt (the menu key: the cursor position).
  std::function<void(POINT vAt)> fOnContextMenu;

 private:
  void lbvaluesClick();
  void lbValuesDrawItem(const DRAWITEMSTRUCT& vItem);
  void pbKey1Paint(const DRAWITEMSTRUCT& vItem);
  void pbVal1Paint(const DRAWITEMSTRUCT& vItem);
  void PaintNameBox(const DRAWITEMSTRUCT& vItem, TTextView vText, std::int32_t vStart,
                    std::int32_t vLen);
  void sgDataDrawItem(const DRAWITEMSTRUCT& vItem);
  void sgDataGetText(NMLVDISPINFOW& vInfo);
  void rbDTextClick(int vTag);
  void ShowDataView(int vView);
  bool Splitter1CanResize(int vNewSize) const;
  void Splitter1Moved();
  void MeasureKeyBox();
  void MeasureValueBox();
  std::int32_t Measure(HWND vBox, TTextView vText, std::int32_t vStart, std::int32_t vLen);
  void SetBoxHeight(HWND vBox, std::int32_t vHeight);
  void FillGrid(std::vector<std::uint8_t> vData);
  int ClientWidth() const;
  HWND Label(HWND vParent, const wchar_t* vText, int vX, int vY, int vW, int vH, int vId = 0,
             DWORD vStyle = 0);
  HWND Radio(const wchar_t* vText, int vX, int vW, int vId, DWORD vStyle);
  static LRESULT CALLBACK RadioSubclass(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR vId, DWORD_PTR vRef) noexcept;
  static LRESULT CALLBACK ValuesSubclass(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR vId, DWORD_PTR vRef) noexcept;
  static LRESULT CALLBACK GridSubclass(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR vId, DWORD_PTR vRef) noexcept;
  void RadioKey(HWND vRadio, WPARAM vKey);

  int S(int v) const { return fDisplay.S(v); }
  // The grid's fixed-pitch font at the window's scale.
  HFONT CreateGridFont() const;

  TApplication& fApp;
  HWND fMain;
  const TDisplay& fDisplay;
  TGdiObject fGridFont;
  TCursorFactory fCursors;
  TDetailState fState;
  std::vector<TDetailEntry> fEntries;  // one per lbValues entry
  TByteGrid fGrid;
  TText fGridText;         // must outlive the list view's text request
  TText fText;             // the chosen value's data as text
  bool fTextShown = true;  // meData holds fText

  HWND pnlPage = nullptr, pbKey1 = nullptr, lblKeyTime = nullptr, pnlValues = nullptr, lbValues = nullptr,
       pnlAllData = nullptr, pbVal1 = nullptr, pnlValType = nullptr, lblValSize = nullptr,
       lblValType = nullptr, rbDText = nullptr, rbDBinary = nullptr, rbdDword = nullptr,
       meData = nullptr, sgData = nullptr, pnlData = nullptr, lblValDec = nullptr,
       lblValHex = nullptr;
  TSplitter Splitter1{100};
  TAlignList fPageAlign, fValuesAlign, fAllDataAlign;
};

}  // namespace corvane
