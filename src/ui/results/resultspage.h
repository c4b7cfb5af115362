// TResultsPage: the results page of the main window's page stack. It keeps every hit of the
// last search, shows one page of them in an owner-drawn list (each row the key, value and
// data lines with the match emphasised, row heights measured by the wrapped painter), and
// pages through them with the Previous and Next buttons.
//
// The main window creates the page, hands it the messages of the page's controls
// (HandleMessage), adds each hit as it arrives (AddHit) and tells it when the window was
// resized (Layout). What a hit opens into (detail, pop-up menu, copy) the window decides
// through the host's callbacks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "search/types.h"
#include "ui/results/resultslogic.h"
#include "ui/window/dpi.h"
#include "ui/window/window.h"

namespace corvane {

class TResultsPage {
 public:
  struct THost {
    // Results per page, as the options give it now.
    std::function<std::int32_t()> fPerPage;
    // Enter or a double click on a selected hit.
    std::function<void()> fOpen;
    // The pop-up menu at screen point vAt (the keyboard's menu key: the cursor position).
    std::function<void(POINT vAt)> fContextMenu;
    // Ctrl+C on a selected hit.
    std::function<void()> fCopy;
    // The user chose another hit in the list (may be empty).
    std::function<void()> fSelected;
  };

  TResultsPage(HWND vMainWindow, const TDisplay& vDisplay, THost vHost);
  ~TResultsPage();
  TResultsPage(const TResultsPage&) = delete;
  TResultsPage& operator=(const TResultsPage&) = delete;

  // Builds the page's controls in a new panel of vParent and returns the panel.
  HWND Create(HWND vParent);
  HWND List() const { return lbResults; }
  HWND DetailButton() const { return btnKDetail; }

  // A search starts: no hits, the first page, "Searching..."; vValues and vData say which
  // lines the rows show besides the key.
  void Start(bool vValues, bool vData);
  // No hits, no rows, the first page (the page keeps its captions and buttons).
  void Clear();
  // The search's hit, shown at once when it lies on the shown page.
  void AddHit(TResult vHit);
  // The search ended with vText; rows are measured again.
  void Done(const TText& vText);
  // Sets the line above the buttons.
  void SetCaption(const TText& vText);

  const std::vector<TResult>& Hits() const { return Results; }
  std::int32_t PageBeg() const { return fPageBeg; }
  // The selected row of the shown page, -1 for none.
  std::int32_t SelectedRow() const;
  // The selected hit, nullptr for none.
  const TResult* SelectedHit() const;

  // After the main window was resized: the buttons placed, the rows measured again, and the
  // list scrolled so that no empty space shows below the last row while rows are hidden above.
  // After the window's scale changed from vOldDpi: the rows measured again.
  void Rescale(int vOldDpi);
  void Layout(int vWidth);

  // The work done on rows since the page was made: what keeps a hit cheap is that it
  // measures and draws its own row only, and nothing when it lies on another page.
  struct TWork {
    std::int64_t fRowsMeasured = 0;
    std::int64_t fRowsDrawn = 0;
  };
  const TWork& Work() const { return fWork; }

  // WM_COMMAND, WM_MEASUREITEM, WM_DRAWITEM and WM_CONTEXTMENU of the page's controls, as
  // they reach the main window. True when the message was the page's; vResult is its answer.
  bool HandleMessage(UINT vMsg, WPARAM wParam, LPARAM lParam, LRESULT& vResult);

 private:
  HWND Button(HWND vParent, const wchar_t* vText, int vX, int vW, int vId);
  void MeasureResults();
  std::int32_t RowHeight(int vRow);
  void SetRows(std::int32_t vRows);
  void KeepRowsFilled();
  void btnNextClick();
  void btnPrevClick();
  void ApplyPageState(const TPageState& vState);
  void lbResultsDrawItem(const DRAWITEMSTRUCT& vItem);
  void lbResultsMouseDown(LPARAM lParam, WPARAM wParam);
  static LRESULT CALLBACK ResultsSubclass(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR vId, DWORD_PTR vRef) noexcept;

  HWND fMain;
  // Measures at 96 DPI: the strip above the list, a row's text column and its line height.
  static constexpr int kSearchHeight = 57, kTextLeft = 98, kLineHeight = 18;
  int S(int v) const { return fDisplay.S(v); }
  const TDisplay& fDisplay;
  THost fHost;
  std::vector<TResult> Results;
  std::int32_t fPageBeg = 0;
  bool RsltVal = false;
  bool RsltDat = false;
  // The list's row count, kept here: a hit off the shown page then sends the list nothing.
  // Under Wine every message to the subclassed list asks the server for the subclass, in
  // the queue behind the walk's registry calls.
  std::int32_t fRowCount = 0;
  TWork fWork;

  HWND pnlPage = nullptr, pnlSearch = nullptr, lblSearch = nullptr, btnPrev = nullptr,
       btnKDetail = nullptr, btnNext = nullptr, lbResults = nullptr;
  TAlignList fPageAlign;
};

}  // namespace corvane
