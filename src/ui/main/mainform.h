// TMainForm: the program's one main window. Criteria page, results page and key detail page
// in a page stack, the actions with their menu, tool bar and shortcuts, the status bar, the
// settings kept between runs and the window's placement.
//
// Threads: everything here runs on the GUI thread. The search thread's reports (ResultFound,
// SearchProgress, SearchDone) arrive through fSync, whose wake function posts kRunPendingMsg
// to this window; they run from the message loop or inside acStopExecute's wait.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "search/guisync.h"
#include "search/searchthread.h"
#include "search/types.h"
#include "export/reghits.h"
#include "ui/copy/copycmds.h"
#include "ui/crit/critboxes.h"
#include "ui/detail/detailpage.h"
#include "ui/export/exportcmds.h"
#include "ui/regfile/regfilecmds.h"
#include "ui/main/mainlogic.h"
#include "ui/results/resultspage.h"
#include "ui/saved/savedsearchcmds.h"
#include "ui/window/actions.h"
#include "ui/window/application.h"
#include "ui/window/focus.h"
#include "ui/window/handles.h"
#include "ui/window/window.h"

namespace corvane {

// What the process entry gives the window.
struct TMainFormContext {
  TText IniName;
  TText DataDir;
  TText RegEditExe;
  const std::vector<TText>* fAliases = nullptr;
  unsigned HandOffMsg = 0;
  // The path field of the shared block, read when HandOffMsg arrives; may be empty.
  std::function<TText()> fHandedPath;
  // Starts a search thread; empty: TThread::Start. Tests give one that fails.
  std::function<void(TThread&)> fStartThread;
  // The process's first command-line argument, loaded at the window's first activation.
  bool fHasArgument = false;
  TText fArgument;
};

class TMainForm final : public TWindow {
 public:
  TMainForm(TApplication& vApp, TMainFormContext vContext);
  ~TMainForm() override;

  // Creates the window (hidden); false when the system refuses.
  bool Create();
  void Show();
  TActionList& Actions() { return fActions; }

 protected:
  LRESULT WndProc(UINT vMsg, WPARAM wParam, LPARAM lParam) override;

 private:
  // Building the window.
  void CreateMenus();
  void CreateActions();
  void CreateCoolBar();
  void CreateCriteriaPage();
  HWND Label(HWND vParent, const wchar_t* vText, int vX, int vY, int vW, int vH, DWORD vStyle = 0,
             int vId = 0);
  HWND Button(HWND vParent, const wchar_t* vText, int vX, int vY, int vW, int vH, int vId,
              DWORD vStyle = BS_PUSHBUTTON);
  void Hint(HWND vControl, const char16_t* vHint);

  // Window events.
  void FormCreate();
  void FormDestroy();
  void FormResize();
  bool FormCloseQuery();
  void AppEv1Hint(const TText& vHint);
  void pcMainChange();
  void OnCommand(int vId, int vCode, HWND vControl);
  LRESULT OnNotify(NMHDR* vHdr);
  void OnMenuSelect(UINT vItem, UINT vFlags, HMENU vMenu);
  void LayoutClient();

  // Actions.
  void acAllUpdate();
  void acSearchExecute();
  void acStopExecute();
  void acNewExecute();
  void acRegeditExecute();
  void acBackExecute();
  void acForwardExecute();
  void acKDetailExecute();
  void ShowPopupMenu(POINT vAt);
  void ShowPage(int vPage);
  HWND PageFirstControl() const;
  int Page() const { return fPage; }

  // Search.
  // vValues, vData: the hits' rows show their value line, their data line.
  void CommonStart(bool vValues, bool vData);
  void StartSimpleSearch();
  // What both kinds of search get: the registry, the hand-off and the two reports.
  TSearchHost SearchHost();
  TFoundProc FoundProc();
  TProgProc ProgProc();
  void StartThread(std::unique_ptr<TSearchThread> vThread);
  void SearchNotStarted(const TText& vReason);
  void ResultFound(const TText& gotKey, const TText& gotVal, const TText& gotDat,
                   std::int32_t gotKeyStart, std::int32_t gotValStart, std::int32_t gotDatStart,
                   std::int32_t gotKeyLen, std::int32_t gotValLen, std::int32_t gotDatLen,
                   TKeyHandle vRoot);
  void SearchProgress(std::int32_t total, std::int32_t count);
  void SearchDone(TThread& Sender);
  void EnableCriteria(bool Value);
  void EnableChildren(HWND vParent, bool Value);
  void SetStatus(const TText& vText);
  void ReleaseEndedThread();

  // Results and options.
  void ClearResults();
  void cbPerPageDrawItem(const DRAWITEMSTRUCT& vItem);
  void mnuPClick(int vIndex);
  void mnuMClick(int vIndex);
  void cbPerPageClick();
  void cbMaxRsltClick();
  void mnuCaseClick();

  // Results that leave the window, and the export file searched instead of the registry.
  void CreateLeavingCommands();
  TCopySource CopySource() const;
  void SourceChanged(bool vSourceChanged);

  // Advanced tab and saved searches.
  void StartComplexSearch();
  bool AdvancedShown() const;
  TSearchCriteria CurrentCriteria() const;
  void ApplyCriteria(const TSearchCriteria& vCrit);
  void FormActivate();

  // Settings.
  void ReadSettings();
  void WriteSettings();
  void LoadPlacementFromIni();
  void SavePlacementToIni();

  TApplication& fApp;
  TMainFormContext fContext;
  std::unique_ptr<TGuiSync> fSync;
  TActionList fActions;
  TFocusKeeper fFocus;

  // Window state. The key detail page keeps its own (DetKStr to DetVLen).
  std::unique_ptr<TDetailPage> fDetail;
  std::int32_t MaxRslt = 1000;
  std::int32_t MaxRsltIdx = 2;
  std::int32_t PerPage = 10;
  std::int32_t PerPageIdx = 0;
  std::unique_ptr<TResultsPage> fResults;
  bool Searched = false;
  std::unique_ptr<TSearchThread> sThread;
  bool SearchBusy = false;
  std::unique_ptr<TSearchThread> fEndedThread;  // ended or ending; released from the loop
  bool fCaseChecked = false;
  int fPage = 0;
  bool fDestroying = false;
  bool FirstActivation = true;
  std::unique_ptr<TCritBoxes> fCrit;
  std::unique_ptr<TSavedSearchCmds> fSaved;
  std::unique_ptr<TExportCmds> fExport;
  std::unique_ptr<TCopyCmds> fCopy;
  std::unique_ptr<TRegFileCmds> fRegFile;
  THitsFrom fHitsFrom = hfSimple;  // the kind of the last search
  TText fExeDir;

  // GDI objects and images.
  TGdiObject fFont;
  TOwnedImageList ImageList1;

  // Menus.
  HMENU MainMenu1 = nullptr;
  HMENU topOptions = nullptr;
  HMENU mnuPerPage = nullptr;
  HMENU mnuMax = nullptr;
  HMENU pmResults = nullptr;  // owned: not attached to a window

  // Controls.
  HWND CoolBar1 = nullptr, ToolBar1 = nullptr, Animate1 = nullptr, StatusBar1 = nullptr;
  HWND fPages[3] = {};
  HWND pcMain = nullptr, tsEasy = nullptr, tsAdvanced = nullptr, ebNow = nullptr;
  HWND pnlBottom = nullptr, sbSearchE = nullptr, cbPerPage = nullptr, cbMaxRslt = nullptr;
  HWND scMain = nullptr;
  HWND lbResults = nullptr, btnKDetail = nullptr;  // the results page's

  // Layouts of the panels (the panels point at them).
  TAlignList fPage0Align, fAdvancedAlign;
};

}  // namespace corvane
