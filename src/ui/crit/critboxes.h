// TCritBoxes: the Advanced tab's criteria in their scroll box: the root key box with its
// five check boxes and All / None, and the three criteria boxes (key names, value names,
// value data), each with its header strip ("any" / "all", Add, Delete) and its rows. It
// adds and deletes rows, stacks the boxes, reads the criteria out and puts saved ones back.
// Every change of a criterion runs the window's ClearResults.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "savedsearch/qmxfile.h"
#include "ui/crit/critframe.h"
#include "ui/crit/critlogic.h"
#include "ui/window/application.h"
#include "ui/window/dpi.h"
#include "win32/handles.h"
#include "ui/window/scrollbox.h"

namespace corvane {

class TCritBoxes {
 public:
  TCritBoxes(TApplication& vApp, const TDisplay& vDisplay, std::function<void()> vClearResults);
  ~TCritBoxes();
  TCritBoxes(const TCritBoxes&) = delete;
  TCritBoxes& operator=(const TCritBoxes&) = delete;

  // Builds the scroll box and everything in it inside vParent; returns the scroll box.
  HWND Create(HWND vParent);

  // A WM_COMMAND from one of the boxes' own controls (not the rows'); false for any other.
  bool OnCommand(int vId, int vCode, HWND vControl);

  // The five root key boxes as bits (bit 0 HKEY_CLASSES_ROOT ... bit 4 HKEY_CURRENT_CONFIG).
  std::uint8_t RootBits() const;
  void SetRootBits(std::uint8_t vBits);

  // vBox: 0 key names, 1 value names, 2 value data.
  void btnAddKeyClick(int vBox);
  void btnDelKeyClick(int vBox);
  // Ctrl+Ins and Ctrl+Del: the box of the focused control. vAdvancedShown: the Advanced tab
  // is on show, so that Ctrl+Ins elsewhere on it means the key-name box.
  void acCritAddExecute(bool vAdvancedShown);
  void acCritDelExecute();
  void ClearCritPanel(int vBox);
  void AddPresetRow(int vBox, std::int32_t vMatch, const TText& vText, std::int32_t vDataType);
  void StackCritPanels();

  // The box side of a new search: all root keys, no rows, "any", Delete disabled, restacked.
  void NewSearch();
  // Root keys, "any"/"all" and every row into vCrit (its options are left alone).
  void ReadInto(TSearchCriteria& vCrit) const;
  // Root keys, "any"/"all" from vCrit, and its rows appended as preset rows; the caller
  // restacks.
  void Apply(const TSearchCriteria& vCrit);

  // The containers whose controls a running search disables: the root key box and the three
  // criteria boxes.
  std::array<HWND, 4> Panels() const;
  // After the window's scale changed: the light for the new scale, each box's height for its
  // rows, the boxes restacked.
  void Rescale();
  // Each Delete button enabled exactly when its box holds a row.
  void UpdateDeleteButtons();
  int RowCount(int vBox) const { return int(fRows[std::size_t(vBox)].size()); }

 private:
  void CreateRootBox();
  void CreateCritBox(int vBox, const wchar_t* vLabel, const char16_t* vKind);
  void LayoutBoxes();
  // A row added at the bottom of box vBox, not yet set up; nullptr when it cannot be made.
  TCritFrame* NewRow(int vBox);
  int TagOf(HWND vWnd) const;
  void FlyoverMouseMove(HWND vStrip, LPARAM lParam);
  static LRESULT CALLBACK StripProc(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR vId, DWORD_PTR vRef) noexcept;
  HWND Button(HWND vParent, const wchar_t* vText, int vX, int vY, int vW, int vH, int vId,
              DWORD vStyle);
  int S(int v) const { return fDisplay.S(v); }
  // A box's height with vRows rows, at the window's scale.
  int BoxHeight(int vRows) const {
    return S(kEmptyBoxHeight) + (vRows > 0 ? vRows : 0) * S(kCritRowHeight);
  }

  TApplication& fApp;
  const TDisplay& fDisplay;
  std::function<void()> fClearResults;
  TGdiObject fLight;  // the validity light, shared by every row
  TScrollBox scMain;
  HWND pnlRoot = nullptr, btnAllRoot = nullptr, btnNoRoot = nullptr;
  std::array<HWND, 5> fRootBoxes{};  // by root bit
  std::array<HWND, 3> pnlCrit{}, fStrip{}, rbAny{}, rbAll{}, btnAdd{}, btnDel{};
  std::array<bool, 3> fAllShown{};  // "all" chosen in each box, as the criteria last stood
  std::array<std::vector<std::unique_ptr<TCritFrame>>, 3> fRows;
};

}  // namespace corvane
