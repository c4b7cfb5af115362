// TOptions: the search options the main window keeps (results per page, maximum results,
// case-sensitive data search), with their items in the Options menu and their two lists
// below the criteria. The menu items and the lists always show the same choice.
#pragma once

#include <windows.h>

#include <cstdint>

#include "text/text.h"
#include "ui/window/dpi.h"

namespace corvane {

class TOptions {
 public:
  explicit TOptions(const TDisplay& vDisplay) : fDisplay(vDisplay) {}

  // Fills the Options menu: "Results per page", "Maximum results", the case item.
  void AddMenuItems(HMENU vOptions);
  // The lists with their labels on vPanel.
  void CreateLists(HWND vPanel);
  // Places the lists and their labels at the window's scale.
  void LayoutLists();
  // The height of the lists' items.
  int ItemHeight() const { return fDisplay.S(19); }

  std::int32_t PerPage() const { return fPerPage; }
  std::int32_t PerPageIdx() const { return fPerPageIdx; }
  std::int32_t MaxRslt() const { return fMaxRslt; }
  std::int32_t MaxRsltIdx() const { return fMaxRsltIdx; }
  bool Case() const { return fCase; }

  // Chooses position vIndex of the per-page or maximum choices, as their menu items do.
  void SetPerPageIdx(int vIndex);
  void SetMaxRsltIdx(int vIndex);
  void SetCase(bool vCase);
  // The menu items stay usable (true) or are greyed while a search runs (false).
  void EnableMenuItems(bool vEnabled);

  // A menu command (vControl null) or a list's notification; true when it was the options'.
  bool OnCommand(int vId, int vCode, HWND vControl);
  // Owner drawing of the lists' items; true when vItem was one of them.
  bool DrawItem(const DRAWITEMSTRUCT& vItem);
  // The status bar hint of a highlighted menu item or submenu; nullptr when not ours.
  const char16_t* MenuHint(int vId) const;
  const char16_t* SubMenuHint(HMENU vSub) const;

 private:
  const TDisplay& fDisplay;
  HMENU fOptions = nullptr, mnuPerPage = nullptr, mnuMax = nullptr;
  HWND cbPerPage = nullptr, cbMaxRslt = nullptr, lblPerPage = nullptr, lblMaxRslt = nullptr;
  std::int32_t fPerPage = 10, fPerPageIdx = 0, fMaxRslt = 1000, fMaxRsltIdx = 2;
  bool fCase = false;
};

}  // namespace corvane
