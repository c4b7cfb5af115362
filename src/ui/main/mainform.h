// TMainForm: the program's one main window, a host for the units that do the work. It builds
// the criteria page and hosts the results page (ui/results/), the key detail page
// (ui/detail/), the criterion boxes (ui/crit/), the running search (searchrun.h), the options
// (options.h), the saved searches, export, copy and export-file commands; it owns the
// actions with their menu, tool bar and shortcuts, the status bar and the page stack, and
// keeps its settings and placement through mainsettings.h.
//
// Threads: everything here runs on the GUI thread. The search thread's reports arrive through
// fSync, whose wake function posts kRunPendingMsg to this window; they run from the message
// loop or inside Stop's wait.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "search/guisync.h"
#include "search/searchthread.h"
#include "search/types.h"
#include "search/types.h"
#include "ui/copy/copycmds.h"
#include "ui/crit/critboxes.h"
#include "ui/detail/detailpage.h"
#include "ui/export/exportcmds.h"
#include "ui/regfile/regfilecmds.h"
#include "ui/main/criteriapage.h"
#include "ui/main/mainbars.h"
#include "ui/main/mainlogic.h"
#include "ui/main/options.h"
#include "ui/main/searchrun.h"
#include "ui/results/resultspage.h"
#include "ui/saved/savedsearchcmds.h"
#include "ui/window/actions.h"
#include "ui/window/application.h"
#include "ui/window/dpi.h"
#include "ui/window/focus.h"
#include "win32/handles.h"
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
  void CreateActions();
  // What action vId does.
  std::function<void()> ActionWork(int vId);
  // Window events.
  void FormCreate();
  void FormDestroy();
  void FormResize();
  bool FormCloseQuery();
  void AppEv1Hint(const TText& vHint);
  void OnCommand(int vId, int vCode, HWND vControl);
  LRESULT OnNotify(NMHDR* vHdr);
  void OnMenuSelect(UINT vItem, UINT vFlags, HMENU vMenu);
  void LayoutClient();
  // The window moved to a screen of another scale (WM_DPICHANGED): fonts, images and every
  // control at vDpi, the window at the system's suggested place.
  void DpiChanged(int vDpi, const RECT& vSuggested);
  HFONT CreateMainFont() const;

  // Actions.
  void acAllUpdate();
  void acSearchExecute();
  void acStopExecute();
  void acNewExecute();
  void acRegeditExecute();
  void acKDetailExecute();
  void ShowPopupMenu(POINT vAt);
  void ShowPage(int vPage);
  HWND PageFirstControl() const;
  int Page() const { return fPage; }

  // Search.
  void CreateSearchRun();
  void SearchNotStarted(const TText& vReason);
  void SetStatus(const TText& vText);
  void ClearResults();

  // Results that leave the window, and the export file searched instead of the registry.
  void CreateLeavingCommands();
  TCopySource CopySource() const;
  void SourceChanged(bool vSourceChanged);

  // Advanced tab and saved searches.
  bool AdvancedShown() const;
  TSearchCriteria CurrentCriteria() const;
  void ApplyCriteria(const TSearchCriteria& vCrit);
  void FormActivate();

  // Settings: read at creation, written with the placement when the window goes.
  void ReadSettings();
  void WriteSettings();

  TApplication& fApp;
  TMainFormContext fContext;
  std::unique_ptr<TGuiSync> fSync;
  TActionList fActions;
  TFocusKeeper fFocus;

  // Window state. The key detail page keeps its own (DetKStr to DetVLen).
  std::unique_ptr<TDetailPage> fDetail;
  std::unique_ptr<TOptions> fOptions;
  std::unique_ptr<TResultsPage> fResults;
  std::unique_ptr<TSearchRun> fSearch;
  bool Searched = false;
  int fPage = 0;
  bool FirstActivation = true;
  std::unique_ptr<TCriteriaPage> fCriteria;
  std::unique_ptr<TSavedSearchCmds> fSaved;
  std::unique_ptr<TExportCmds> fExport;
  std::unique_ptr<TCopyCmds> fCopy;
  std::unique_ptr<TRegFileCmds> fRegFile;
  TText fExeDir;

  // Scale, GDI objects and images. fDisplay's font is fFont.
  TDisplay fDisplay;
  TGdiObject fFont;
  TOwnedImageList ImageList1;
  TCoolBar fBars;

  // Menus.
  HMENU pmResults = nullptr;  // owned: not attached to a window

  // Controls.
  HWND CoolBar1 = nullptr, ToolBar1 = nullptr, Animate1 = nullptr, StatusBar1 = nullptr;
  HWND fPages[3] = {};
  HWND lbResults = nullptr, btnKDetail = nullptr;  // the results page's
};

}  // namespace corvane
