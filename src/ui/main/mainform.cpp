#include "ui/main/mainform.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>

#include "ui/about/aboutbox.h"
#include "settings/profile_win32.h"
#include "launcher/launcher_win32.h"
#include "search/win32registry.h"
#include "ui/gdicanvas.h"
#include "ui/ids.h"
#include "ui/main/mainsettings.h"
#include "ui/main/menus.h"
#include "ui/main/regeditcmd.h"
#include "ui/regfile/regfilelogic.h"
#include "ui/wrapped.h"

namespace corvane {

namespace {

constexpr int kClientWidth = 492;
constexpr int kClientHeight = 344;
constexpr int kMinWidth = 500;
constexpr int kMinHeight = 390;
constexpr TFontStyles kEmphasis = fsBold | fsUnderline;
constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

TText ExeFolder() {
  std::wstring buf(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
  TText path(reinterpret_cast<const char16_t*>(buf.data()), n < buf.size() ? n : 0);
  const auto slash = path.find_last_of(u"\\/");
  return slash == TText::npos ? TText() : path.substr(0, slash);
}

// Menu hints by command, for the status bar while a menu item is highlighted.
struct TMenuHint {
  int fId;
  const char16_t* fHint;
};
const TMenuHint kMenuHints[] = {
    {ids::mnuExit, u"Exit|Exit the program"},
    {ids::mnuAbout, u"About Brackwater|View copyright and version information"},
};

}  // namespace

TMainForm::TMainForm(TApplication& vApp, TMainFormContext vContext)
    : fApp(vApp), fContext(std::move(vContext)) {}

TMainForm::~TMainForm() {
  if (pmResults) DestroyMenu(pmResults);
}

bool TMainForm::Create() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_TAB_CLASSES |
                                           ICC_ANIMATE_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterPanelClass();
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  RegisterClassOnce(ids::kMainClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                    icon ? icon : LoadIconW(nullptr, IDI_APPLICATION));
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, kMainStyle, TRUE, 0);
  return CreateHandle(0, ids::kMainClass, kAppTitle, kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      r.right - r.left, r.bottom - r.top, nullptr, nullptr);
}

void TMainForm::Show() {
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
  SetForegroundWindow(Handle());
  if (TabCtrl_GetCurSel(pcMain) == 0) SetFocus(ebNow);
}

// --- Building -------------------------------------------------------------------------

HWND TMainForm::Label(HWND vParent, const wchar_t* vText, int vX, int vY, int vW, int vH,
                      DWORD vStyle, int vId) {
  return CreateControl(vParent, L"STATIC", vText, SS_NOPREFIX | vStyle, vX, vY, vW, vH, vId,
                       HFONT(fFont.Get()));
}

HWND TMainForm::Button(HWND vParent, const wchar_t* vText, int vX, int vY, int vW, int vH, int vId,
                       DWORD vStyle) {
  return CreateControl(vParent, L"BUTTON", vText, WS_TABSTOP | vStyle, vX, vY, vW, vH, vId,
                       HFONT(fFont.Get()));
}

void TMainForm::Hint(HWND vControl, const char16_t* vHint) {
  fApp.SetHint(vControl, vHint);
}

void TMainForm::CreateActions() {
  auto add = [&](int vId, const char16_t* vCaption, const char16_t* vShortcut, BYTE vFlags,
                 WORD vKey, int vImage, const char16_t* vHint, std::function<void()> vRun) {
    TAction a;
    a.fId = vId;
    a.fCaption = vCaption;
    a.fShortcut = vShortcut;
    a.fKeyFlags = vFlags;
    a.fKey = vKey;
    a.fImage = vImage;
    a.fHint = vHint;
    a.fExecute = std::move(vRun);
    fActions.Add(std::move(a));
  };
  add(ids::acSave, u"&Save search", u"Ctrl+S", FCONTROL, 'S', 5,
      u"Save search|Save the current search criteria", [this] { fSaved->acSaveExecute(); });
  add(ids::acLoad, u"&Load search", u"Ctrl+L", FCONTROL, 'L', 6,
      u"Load search|Load a saved set of search criteria", [this] { fSaved->acLoadExecute(); });
  add(ids::acNew, u"&New search", u"Ctrl+N", FCONTROL, 'N', 4,
      u"New search|Clear all fields for a new search", [this] { acNewExecute(); });
  add(ids::acRegedit, u"Launch &REGEDIT", u"Ctrl+R", FCONTROL, 'R', 7,
      u"Launch REGEDIT|Launch REGEDIT, highlighting the key and value from results",
      [this] { acRegeditExecute(); });
  add(ids::acBack, u"&Back", u"Alt+Left", FALT, VK_LEFT, 3, u"Back|Back to previous page",
      [this] { acBackExecute(); });
  add(ids::acForward, u"&Forward", u"Alt+Right", FALT, VK_RIGHT, 2, u"Forward|Forward to next page",
      [this] { acForwardExecute(); });
  add(ids::acStop, u"S&top", u"Esc", 0, VK_ESCAPE, 1,
      u"Stop searching|Halt the search, retaining current results", [this] { acStopExecute(); });
  add(ids::acSearch, u"&Search", u"Enter", 0, VK_RETURN, 0,
      u"Begin search|Search for Registry data matching your criteria",
      [this] { acSearchExecute(); });
  add(ids::acKDetail, u"&Detail", u"", 0, 0, -1, u"Detail|View detail for highlighted result",
      [this] { acKDetailExecute(); });
  // Rows are not added or deleted while a search runs: its criteria controls are disabled.
  add(ids::acCritAdd, u"", u"Ctrl+Ins", FCONTROL, VK_INSERT, -1, u"", [this] {
    if (!fSearch->Running()) fCrit->acCritAddExecute(AdvancedShown());
  });
  add(ids::acCritDel, u"", u"Ctrl+Del", FCONTROL, VK_DELETE, -1, u"", [this] {
    if (!fSearch->Running()) fCrit->acCritDelExecute();
  });
  add(ids::acExport, u"&Export results...", u"Ctrl+E", FCONTROL, 'E', 9,
      u"Export results|Save every result to a CSV, JSON Lines or registry export file",
      [this] { fExport->acExportExecute(); });
  add(ids::acSearchFile, u"Search export &file...", u"", 0, 0, -1,
      u"Search export file|Search a registry export (.reg) file instead of the Registry",
      [this] { fRegFile->acSearchFileExecute(); });
  add(ids::acSearchRegistry, u"Search the Re&gistry", u"", 0, 0, -1,
      u"Search the Registry|Search the Registry again instead of the export file",
      [this] { fRegFile->acSearchRegistryExecute(); });
  // Ctrl+C is the lists' own key (copy the key path), not a shortcut of the whole window:
  // the text boxes keep theirs.
  add(ids::acCopyKey, u"Copy &key path", u"Ctrl+C", 0, 0, -1,
      u"Copy key path|Copy the full path of the key to the clipboard",
      [this] { fCopy->Copy(cwKeyPath); });
  add(ids::acCopyValue, u"Copy &value name", u"", 0, 0, -1,
      u"Copy value name|Copy the name of the value to the clipboard",
      [this] { fCopy->Copy(cwValueName); });
  add(ids::acCopyData, u"Copy d&ata", u"", 0, 0, -1,
      u"Copy data|Copy the data of the value, read afresh, to the clipboard as text",
      [this] { fCopy->Copy(cwData); });
  fActions.Find(ids::acStop)->fEnabled = false;
  fActions.fOnUpdate = [this] { acAllUpdate(); };
}

void TMainForm::CreateMenus() {
  auto caption = [&](int vId) { return MenuCaption(*fActions.Find(vId)); };
  MainMenu1 = CreateMenu();
  HMENU topFile = CreatePopupMenu();
  AddMenuItem(topFile, ids::acNew, caption(ids::acNew));
  AddMenuItem(topFile, ids::acLoad, caption(ids::acLoad));
  AddMenuItem(topFile, ids::acSave, caption(ids::acSave));
  AppendMenuW(topFile, MF_SEPARATOR, 0, nullptr);
  AddMenuItem(topFile, ids::acExport, caption(ids::acExport));
  AddMenuItem(topFile, ids::acSearchFile, caption(ids::acSearchFile));
  AddMenuItem(topFile, ids::acSearchRegistry, caption(ids::acSearchRegistry));
  AppendMenuW(topFile, MF_SEPARATOR, 0, nullptr);
  AddMenuItem(topFile, ids::mnuExit, u"E&xit");
  HMENU topAction = CreatePopupMenu();
  AddMenuItem(topAction, ids::acRegedit, caption(ids::acRegedit));
  AddMenuItem(topAction, ids::acBack, caption(ids::acBack));
  AddMenuItem(topAction, ids::acForward, caption(ids::acForward));
  AppendMenuW(topAction, MF_SEPARATOR, 0, nullptr);
  AddMenuItem(topAction, ids::acStop, caption(ids::acStop));
  AddMenuItem(topAction, ids::acSearch, caption(ids::acSearch));
  HMENU topOptions = CreatePopupMenu();
  fOptions->AddMenuItems(topOptions);
  HMENU topHelp = CreatePopupMenu();
  AddMenuItem(topHelp, ids::mnuAbout, u"&About Corvane");
  AddSubMenu(MainMenu1, topFile, L"&File");
  AddSubMenu(MainMenu1, topAction, L"&Action");
  AddSubMenu(MainMenu1, topOptions, L"&Options");
  AddSubMenu(MainMenu1, topHelp, L"&Help");
  SetMenu(Handle(), MainMenu1);  // destroyed with the window
  fActions.BindMenu(MainMenu1);

  pmResults = CreatePopupMenu();
  AddMenuItem(pmResults, ids::acKDetail, caption(ids::acKDetail));
  AddMenuItem(pmResults, ids::acRegedit, caption(ids::acRegedit));
  AppendMenuW(pmResults, MF_SEPARATOR, 0, nullptr);
  AddMenuItem(pmResults, ids::acCopyKey, caption(ids::acCopyKey));
  AddMenuItem(pmResults, ids::acCopyValue, caption(ids::acCopyValue));
  AddMenuItem(pmResults, ids::acCopyData, caption(ids::acCopyData));
  SetMenuDefaultItem(pmResults, ids::acKDetail, FALSE);
  fActions.BindMenu(pmResults);
}

void TMainForm::CreateCoolBar() {
  CoolBar1 = CreateControl(
      Handle(), REBARCLASSNAMEW, L"",
      WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
      0, 0, 0, 0, ids::CoolBar1, nullptr);
  ToolBar1 = CreateControl(
      CoolBar1, TOOLBARCLASSNAMEW, L"",
      TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN, 0, 0, 200,
      25, ids::ToolBar1, nullptr);
  SendMessageW(ToolBar1, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(ToolBar1, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ImageList1.Get()));
  SendMessageW(ToolBar1, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));
  SendMessageW(ToolBar1, TB_SETBUTTONSIZE, 0, MAKELPARAM(25, 25));
  const int order[] = {ids::acNew,     ids::acLoad, ids::acSave,    ids::acExport, 0,
                       ids::acRegedit, ids::acBack, ids::acForward, ids::acStop};
  std::vector<TBBUTTON> buttons;
  for (int id : order) {
    TBBUTTON b{};
    if (id == 0) {
      b.iBitmap = 8;
      b.fsStyle = BTNS_SEP;
    } else {
      const TAction& a = *fActions.Find(id);
      b.iBitmap = a.fImage;
      b.idCommand = id;
      b.fsState = a.fEnabled ? TBSTATE_ENABLED : 0;
      b.fsStyle = BTNS_BUTTON;
      b.iString = -1;
    }
    buttons.push_back(b);
  }
  SendMessageW(ToolBar1, TB_ADDBUTTONS, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  fActions.BindToolBar(ToolBar1);
  SIZE size{};
  SendMessageW(ToolBar1, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));

  Animate1 = CreateControl(CoolBar1, ANIMATE_CLASSW, L"", ACS_TRANSPARENT | ACS_CENTER, 0, 0, 25,
                           25, ids::Animate1, nullptr);

  REBARBANDINFOW band{};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE;
  band.fStyle = RBBS_CHILDEDGE | RBBS_NOGRIPPER;
  band.hwndChild = ToolBar1;
  band.cxMinChild = size.cx > 0 ? size.cx : 200;
  band.cyMinChild = 25;
  band.cx = 400;
  SendMessageW(CoolBar1, RB_INSERTBANDW, WPARAM(-1), reinterpret_cast<LPARAM>(&band));
  band.fStyle = RBBS_FIXEDSIZE | RBBS_NOGRIPPER;
  band.hwndChild = Animate1;
  band.cxMinChild = 25;
  band.cyMinChild = 25;
  band.cx = 25;
  SendMessageW(CoolBar1, RB_INSERTBANDW, WPARAM(-1), reinterpret_cast<LPARAM>(&band));
}

void TMainForm::CreateCriteriaPage() {
  HWND page = fPages[0] = CreatePanel(Handle(), 0, 0, 100, 100, &fPage0Align);
  HWND spacer = CreatePanel(page, 0, 0, 10, 9);
  pnlBottom = CreatePanel(page, 0, 0, 100, 46);
  pcMain = CreateControl(page, WC_TABCONTROLW, L"", WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 100, 100,
                         ids::pcMain, HFONT(fFont.Get()));
  fPage0Align.Add(spacer, alTop, 9);
  fPage0Align.Add(pnlBottom, alBottom, 46);
  fPage0Align.Add(pcMain, alClient);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(L"Basic");
  TabCtrl_InsertItem(pcMain, 0, &item);
  item.pszText = const_cast<wchar_t*>(L"Advanced");
  TabCtrl_InsertItem(pcMain, 1, &item);

  tsEasy = CreatePanel(page, 0, 0, 100, 100);
  Label(tsEasy, L"Click Search to find the value below anywhere in the Registry", 8, 10, 440, 16);
  ebNow = CreateControl(tsEasy, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, 8, 32, 400, 21,
                        ids::ebNow, HFONT(fFont.Get()), WS_EX_CLIENTEDGE);
  tsAdvanced = CreatePanel(page, 0, 0, 100, 100, &fAdvancedAlign);
  fCrit = std::make_unique<TCritBoxes>(fApp, HFONT(fFont.Get()), [this] { ClearResults(); });
  scMain = fCrit->Create(tsAdvanced);
  fAdvancedAlign.Add(scMain, alClient);
  ShowWindow(tsAdvanced, SW_HIDE);

  sbSearchE = Button(pnlBottom, L"&Search", 8, 11, 75, 25, ids::acSearch);
  fActions.BindButton(ids::acSearch, sbSearchE);
  Hint(sbSearchE, u"Begin search|Search for Registry data matching your criteria");
  fOptions->CreateLists(pnlBottom);
}

// --- Window events ----------------------------------------------------------------------

void TMainForm::FormCreate() {
  fSync = std::make_unique<TGuiSync>(
      [wnd = Handle()] { PostMessageW(wnd, ids::kRunPendingMsg, 0, 0); });
  fFont.Reset(CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_SWISS, L"Arial"));
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(fFont.Get()), FALSE);
  fOptions = std::make_unique<TOptions>(HFONT(fFont.Get()));

  ImageList1.Reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 10, 0));
  for (int id = 10; id <= 19; ++id) {
    TGdiObject bmp(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 16, 16, 0));
    if (bmp && ImageList1)
      ImageList_AddMasked(ImageList1.Get(), HBITMAP(bmp.Get()), RGB(255, 0, 255));
  }
  if (!fContext.DataDir.empty()) CreateDirectoryW(W(fContext.DataDir), nullptr);
  fExeDir = ExeFolder();
  TSavedSearchCmds::THost saved;
  saved.fOwner = Handle();
  saved.fRead = [this] { return CurrentCriteria(); };
  saved.fNewSearch = [this] {
    acNewExecute();
    TabCtrl_SetCurSel(pcMain, 1);
    pcMainChange();
  };
  saved.fApply = [this](const TSearchCriteria& c) { ApplyCriteria(c); };
  saved.fFinish = [this] {
    fCrit->StackCritPanels();
    ClearResults();
  };
  fSaved = std::make_unique<TSavedSearchCmds>(std::move(saved), fExeDir);
  CreateLeavingCommands();
  CreateSearchRun();

  CreateActions();
  CreateMenus();
  CreateCoolBar();
  StatusBar1 = CreateControl(Handle(), STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, 0, 0, 0,
                             ids::StatusBar1, HFONT(fFont.Get()));
  int parts[1] = {-1};
  SendMessageW(StatusBar1, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
  CreateCriteriaPage();
  TResultsPage::THost results;
  results.fPerPage = [this] { return fOptions->PerPage(); };
  results.fOpen = [this] { fActions.Execute(ids::acKDetail); };
  results.fContextMenu = [this](POINT vAt) { ShowPopupMenu(vAt); };
  results.fCopy = [this] { fActions.Execute(ids::acCopyKey); };
  fResults = std::make_unique<TResultsPage>(Handle(), HFONT(fFont.Get()), std::move(results));
  fPages[1] = fResults->Create(Handle());
  lbResults = fResults->List();
  btnKDetail = fResults->DetailButton();
  fActions.BindButton(ids::acKDetail, btnKDetail);
  Hint(btnKDetail, u"Detail|View detail for highlighted result");
  fDetail = std::make_unique<TDetailPage>(fApp, Handle(), HFONT(fFont.Get()), Win32CursorFactory());
  fDetail->fOnCopy = [this] { fActions.Execute(ids::acCopyKey); };
  fDetail->fOnContextMenu = [this](POINT vAt) { ShowPopupMenu(vAt); };
  fPages[2] = fDetail->Create(Handle());
  fApp.OnHint = [this](const TText& vHint) { AppEv1Hint(vHint); };
  fFocus.fFallback = [this] { return PageFirstControl(); };

  ShowPage(0);
  SendMessageW(Animate1, ACM_OPENW, reinterpret_cast<WPARAM>(GetModuleHandleW(nullptr)),
               reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(3)));
  RestorePlacement(Handle(), *OpenWin32Profile(fContext.IniName));
  ReadSettings();
  Searched = false;
  LayoutClient();
  acAllUpdate();  // the actions' states are right before the window is first shown
}

void TMainForm::FormDestroy() {
  fSearch->Shutdown();
  fRegFile->Shutdown();
  WriteSettings();
  fApp.OnHint = nullptr;
  PostQuitMessage(0);
}

void TMainForm::LayoutClient() {
  // A minimised window has no client area to lay out: its rows would be measured at width 0.
  if (!CoolBar1 || IsIconic(Handle())) return;
  const RECT client = ClientRect(Handle());
  SendMessageW(CoolBar1, WM_SIZE, 0, 0);
  SendMessageW(StatusBar1, WM_SIZE, 0, 0);
  RECT rb{}, sb{};
  GetWindowRect(CoolBar1, &rb);
  GetWindowRect(StatusBar1, &sb);
  const int top = rb.bottom - rb.top;
  const int bottom = client.bottom - (sb.bottom - sb.top);
  SendMessageW(CoolBar1, RB_MAXIMIZEBAND, 0, 0);
  for (HWND p : fPages) SetBounds(p, 0, top, client.right, bottom - top);
  FormResize();
}

void TMainForm::FormResize() {
  if (IsIconic(Handle())) return;
  const RECT client = ClientRect(Handle());
  const int width = client.right;
  // The tab pages lie over the tab control's display area.
  RECT tab{};
  GetWindowRect(pcMain, &tab);
  MapWindowPoints(nullptr, fPages[0], reinterpret_cast<POINT*>(&tab), 2);
  RECT area = tab;
  TabCtrl_AdjustRect(pcMain, FALSE, &area);
  for (HWND ts : {tsEasy, tsAdvanced}) {
    SetWindowPos(ts, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOACTIVATE);
  }
  SetBounds(ebNow, 8, 32, (area.right - area.left) - 16, 21);
  fResults->Layout(width);
  if (fDetail) fDetail->FormResize();
}

bool TMainForm::FormCloseQuery() {
  if (!fSearch->Busy() && !fRegFile->Loading()) return true;
  MessageBoxW(Handle(), L"Please stop all operations!", kAppTitle, MB_OK);
  return false;
}

void TMainForm::AppEv1Hint(const TText& vHint) {
  SetStatus(LongHint(vHint));
}

void TMainForm::pcMainChange() {
  const bool basic = TabCtrl_GetCurSel(pcMain) == 0;
  ShowWindow(tsEasy, basic ? SW_SHOW : SW_HIDE);
  ShowWindow(tsAdvanced, basic ? SW_HIDE : SW_SHOW);
  if (basic && IsWindowEnabled(ebNow)) SetFocus(ebNow);
}

void TMainForm::ShowPage(int vPage) {
  fPage = std::clamp(vPage, 0, 2);
  for (int i = 0; i < 3; ++i) ShowWindow(fPages[i], i == fPage ? SW_SHOW : SW_HIDE);
  fFocus.Focus(Handle(), PageFirstControl());
}

HWND TMainForm::PageFirstControl() const {
  if (fPage == 1) return lbResults;
  if (fPage == 0) {
    if (HWND c = FirstTabStop(TabCtrl_GetCurSel(pcMain) == 1 ? tsAdvanced : tsEasy)) return c;
  }
  return FirstTabStop(fPages[fPage]);
}

void TMainForm::SetStatus(const TText& vText) {
  SendMessageW(StatusBar1, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(W(vText)));
}

// --- Messages ---------------------------------------------------------------------------

LRESULT TMainForm::WndProc(UINT vMsg, WPARAM wParam, LPARAM lParam) {
  if (LRESULT r = 0; fDetail && fDetail->HandleMessage(vMsg, wParam, lParam, r)) return r;
  if (LRESULT r = 0; fResults && fResults->HandleMessage(vMsg, wParam, lParam, r)) return r;
  switch (vMsg) {
    case WM_CREATE:
      FormCreate();
      return 0;
    case WM_SIZE:
      LayoutClient();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lParam);
      mm->ptMinTrackSize = {kMinWidth, kMinHeight};
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) FormActivate();
      if (fFocus.Activate(Handle(), wParam)) return 0;
      break;
    case WM_SETFOCUS:
      fFocus.Restore(Handle());
      return 0;
    case WM_NEXTDLGCTL:
      NextDlgCtl(Handle(), wParam, lParam);
      return 0;
    case WM_CLOSE:
      if (FormCloseQuery()) DestroyWindow(Handle());
      return 0;
    case WM_QUERYENDSESSION:
      return FormCloseQuery() ? TRUE : FALSE;
    case WM_ENDSESSION:
      // The session ends: close as the close box does, so settings and placement are written.
      if (wParam) {
        acStopExecute();
        DestroyWindow(Handle());
      }
      return 0;
    case WM_DESTROY:
      FormDestroy();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_MENUSELECT:
      OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
      return 0;
    case WM_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (mi->CtlType == ODT_COMBOBOX) {
        mi->itemHeight = 19;
        return TRUE;
      }
      break;
    }
    case WM_DRAWITEM: {
      const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (fOptions->DrawItem(*di)) return TRUE;
      break;
    }
    case ids::kRunPendingMsg:
      // Hits that follow each other closely are taken without a message each.
      if (fSync) fSync->RunPendingFor(std::chrono::milliseconds(50));
      return 0;
    case ids::kReleaseThreadMsg:
      fSearch->ReleaseEnded();
      return 0;
    case ids::kLoadArgumentMsg:
      fSaved->LoadSearch(fContext.fArgument);
      return 0;
    default:
      if (fContext.HandOffMsg != 0 && vMsg == fContext.HandOffMsg) {
        // A second instance handed over its first argument; it waits until the load is done.
        const LRESULT r = Default(vMsg, wParam, lParam);
        if (fContext.fHandedPath) fSaved->LoadSearch(fContext.fHandedPath());
        return r;
      }
      break;
  }
  return Default(vMsg, wParam, lParam);
}

void TMainForm::OnCommand(int vId, int vCode, HWND vControl) {
  if (fCrit && fCrit->OnCommand(vId, vCode, vControl)) return;
  if (vControl == nullptr || vControl == ToolBar1 || vControl == sbSearchE ||
      vControl == btnKDetail) {
    if (fActions.Execute(vId)) return;
  }
  if (fOptions->OnCommand(vId, vCode, vControl)) return;
  if (vControl == nullptr) {
    if (vId == ids::mnuExit) {
      PostMessageW(Handle(), WM_CLOSE, 0, 0);
      return;
    }
    if (vId == ids::mnuAbout) {
      TAboutForm about;
      about.ShowModal(Handle());
      return;
    }
    return;
  }
  switch (vId) {
    case ids::ebNow:
      if (vCode == EN_CHANGE) ClearResults();
      break;
    default:
      break;
  }
}

LRESULT TMainForm::OnNotify(NMHDR* vHdr) {
  if (vHdr->code == TTN_GETDISPINFOW) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(vHdr);
    if (const TAction* a = fActions.Find(int(vHdr->idFrom))) {
      static TText tip;  // must outlive the notification
      tip = ShortHint(a->fHint);
      info->lpszText = const_cast<wchar_t*>(W(tip));
      fApp.ChangeHint(a->fHint);
    }
    return 0;
  }
  if (vHdr->hwndFrom == pcMain && vHdr->code == TCN_SELCHANGE) pcMainChange();
  return 0;
}

void TMainForm::OnMenuSelect(UINT vItem, UINT vFlags, HMENU vMenu) {
  if (vFlags == 0xFFFF && vMenu == nullptr) return fApp.ChangeHint(u"");
  if (vFlags & MF_POPUP) {
    const char16_t* hint = fOptions->SubMenuHint(GetSubMenu(vMenu, int(vItem)));
    return fApp.ChangeHint(hint ? hint : u"");
  }
  const int id = int(vItem);
  if (const TAction* a = fActions.Find(id)) return fApp.ChangeHint(a->fHint);
  if (const char16_t* hint = fOptions->MenuHint(id)) return fApp.ChangeHint(hint);
  for (const TMenuHint& h : kMenuHints)
    if (h.fId == id) return fApp.ChangeHint(h.fHint);
  fApp.ChangeHint(u"");
}

// --- Actions ----------------------------------------------------------------------------

void TMainForm::acAllUpdate() {
  TWindowState s;
  s.fPage = fPage;
  s.fAdvancedTab = TabCtrl_GetCurSel(pcMain) == 1;
  s.fBasicTextEmpty = GetWindowTextLengthW(ebNow) == 0;
  s.fAdvancedValid = CriteriaComplete(CurrentCriteria());
  s.fSearched = Searched;
  s.fDetailEmpty = !fDetail->HasKey();
  s.fRowSelected = SendMessageW(lbResults, LB_GETCURSEL, 0, 0) != LB_ERR;
  s.fThreadRunning = fSearch->Running();
  s.fRegEditKnown = !fContext.RegEditExe.empty();
  s.fHits = !fResults->Hits().empty();
  s.fLoading = fRegFile->Loading();
  s.fFileSearched = fRegFile->FileSearched();
  const TCopySource copy = CopySource();
  s.fCopyKey = copy.fHasKey;
  s.fCopyValue = copy.fHasValue;
  const TActionStates a = ActionStates(s);
  fActions.SetEnabled(ids::acRegedit, a.fRegedit);
  fActions.SetEnabled(ids::acBack, a.fBack);
  fActions.SetEnabled(ids::acForward, a.fForward);
  fActions.SetEnabled(ids::acKDetail, a.fKDetail);
  fActions.SetEnabled(ids::acStop, a.fStop);
  fActions.SetEnabled(ids::acSearch, a.fSearch);
  fActions.SetEnabled(ids::acSave, a.fSave);
  fActions.SetEnabled(ids::acExport, a.fExport);
  fActions.SetEnabled(ids::acSearchFile, a.fSearchFile);
  fActions.SetEnabled(ids::acSearchRegistry, a.fSearchRegistry);
  fActions.SetEnabled(ids::acCopyKey, a.fCopyKey);
  fActions.SetEnabled(ids::acCopyValue, a.fCopyValue);
  fActions.SetEnabled(ids::acCopyData, a.fCopyData);
}

void TMainForm::acRegeditExecute() {
  // The key detail page's key and selected value (DetKStr, DetVStr) come first.
  const TLaunchTarget detail = fDetail->LaunchTarget();
  const TRegeditTarget target =
      RegeditTarget(detail.fHasKey ? detail.fKeyPath : TText(), detail.fValueName,
                    fResults->Hits(), fResults->PageBeg(), fResults->SelectedRow(), fSearch->From());
  // The result code is not shown: the editor shows how far the launch got.
  const std::optional<TTextView> value =
      target.fKeyOnly ? std::nullopt : std::optional<TTextView>(target.fValue);
  (void)LaunchRegedit(Handle(), fContext.RegEditExe, target.fKey, value);
}

void TMainForm::acBackExecute() {
  ShowPage(fPage - 1);
}
void TMainForm::acForwardExecute() {
  ShowPage(fPage + 1);
}

void TMainForm::acKDetailExecute() {
  const TResult* hit = fResults->SelectedHit();
  if (!hit) return;
  const TResult shown = *hit;
  ShowPage(2);
  fDetail->acKDetailExecute(shown);
}

void TMainForm::acSearchExecute() {
  try {
    if (TabCtrl_GetCurSel(pcMain) == 1)
      fSearch->StartComplex(CurrentCriteria(), fOptions->MaxRslt());
    else
      fSearch->StartSimple(WindowText(ebNow), fOptions->Case(), fOptions->MaxRslt());
  } catch (const std::exception& e) {
    SearchNotStarted(FromUtf8(e.what()));
    return;
  }
  Searched = true;
  acAllUpdate();  // Stop at once: an Esc right after Enter must not wait for the idle pass
}

void TMainForm::SearchNotStarted(const TText& vReason) {
  SendMessageW(Animate1, ACM_STOP, 0, 0);
  SendMessageW(Animate1, ACM_PLAY, 1, MAKELPARAM(0, 0));
  fResults->SetCaption(u"");
  ClearResults();
  fSearch->EnableCriteria(true);
  ShowPage(0);
  acAllUpdate();
  ShowError(Handle(), u"The search could not be started: " + vReason);
}

void TMainForm::CreateSearchRun() {
  TSearchRun::THost host;
  host.fOwner = Handle();
  host.fSync = fSync.get();
  host.fStartThread = fContext.fStartThread;
  host.fSearchHost = [this] {
    TSearchHost h;
    h.fSync = fSync.get();
    h.fNewCursor = fRegFile->Cursors();
    // The alias list describes the live registry; an export file holds what it holds.
    h.fAliases = fRegFile->FileSearched() ? nullptr : fContext.fAliases;
    return h;
  };
  host.fStarting = [this](bool vValues, bool vData) {
    fResults->Start(vValues, vData);
    fDetail->ClearKey();
    SendMessageW(Animate1, ACM_PLAY, WPARAM(-1), MAKELPARAM(1, 7));
    FormResize();
    ShowPage(1);
  };
  host.fFound = [this](TResult vHit) { fResults->AddHit(std::move(vHit)); };
  host.fProgress = [this](const TText& vText) { SetStatus(vText); };
  host.fHitCount = [this] { return std::int32_t(fResults->Hits().size()); };
  host.fEnded = [this](const TText& vText) {
    fResults->Done(vText);
    SetStatus(vText);
    SendMessageW(Animate1, ACM_STOP, 0, 0);
    SendMessageW(Animate1, ACM_PLAY, 1, MAKELPARAM(0, 0));
  };
  host.fIdle = [this] { acAllUpdate(); };
  host.fCriteriaPanels = [this] {
    const auto boxes = fCrit->Panels();
    std::vector<HWND> panels(boxes.begin(), boxes.end());
    panels.push_back(pnlBottom);
    panels.push_back(tsEasy);
    return panels;
  };
  host.fBoundToAction = [this](HWND vChild) { return vChild == sbSearchE || vChild == btnKDetail; };
  host.fEnableMenus = [this](bool vEnabled) {
    fOptions->EnableMenuItems(vEnabled);
    DrawMenuBar(Handle());
  };
  host.fUpdateDeleteButtons = [this] { fCrit->UpdateDeleteButtons(); };
  fSearch = std::make_unique<TSearchRun>(std::move(host));
}

void TMainForm::acStopExecute() {
  fSearch->Stop();
}

void TMainForm::acNewExecute() {
  // A running search ends first, as Stop ends it: a hit still in the hand-off would land in
  // the emptied list.
  if (fSearch->Running()) fSearch->Stop();
  fCrit->SetRootBits(DefaultRoots);
  SetWindowTextW(ebNow, L"");
  fCrit->NewSearch();
  ClearResults();
  ShowPage(0);
}

// --- Results and options --------------------------------------------------------------

void TMainForm::ClearResults() {
  if (fResults) fResults->Clear();
  Searched = false;
}

// --- Results that leave the window ------------------------------------------------------

void TMainForm::CreateLeavingCommands() {
  TExportCmds::THost exportHost;
  exportHost.fOwner = Handle();
  exportHost.fHits = [this]() -> const std::vector<TResult>& { return fResults->Hits(); };
  exportHost.fFrom = [this] { return fSearch->From(); };
  exportHost.fCursors = [this] { return fRegFile->Cursors(); };
  exportHost.fStatus = [this](const TText& vText) { SetStatus(vText); };
  fExport = std::make_unique<TExportCmds>(std::move(exportHost), fExeDir);

  TCopyCmds::THost copyHost;
  copyHost.fOwner = Handle();
  copyHost.fSource = [this] { return CopySource(); };
  copyHost.fCursors = [this] { return fRegFile->Cursors(); };
  fCopy = std::make_unique<TCopyCmds>(std::move(copyHost));

  TRegFileCmds::THost fileHost;
  fileHost.fOwner = Handle();
  fileHost.fSync = fSync.get();
  fileHost.fLiveCursors = Win32CursorFactory();
  fileHost.fStatus = [this](const TText& vText) { SetStatus(vText); };
  fileHost.fChanged = [this](bool vSourceChanged) { SourceChanged(vSourceChanged); };
  fRegFile = std::make_unique<TRegFileCmds>(std::move(fileHost), fExeDir);
}

TCopySource TMainForm::CopySource() const {
  if (fPage == 1) {
    if (const TResult* hit = fResults->SelectedHit()) return CopySourceOfHit(*hit, fSearch->From());
  } else if (fPage == 2 && fDetail->HasKey()) {
    const TLaunchTarget shown = fDetail->LaunchTarget();
    TCopySource s;
    s.fHasKey = true;
    s.fKeyPath = shown.fKeyPath;
    s.fRoot = fDetail->State().DetRoot;
    s.fHasValue = shown.fHasValue;
    s.fValueName = shown.fValueName;
    return s;
  }
  return {};
}

void TMainForm::SourceChanged(bool vSourceChanged) {
  SetWindowTextT(Handle(), SearchedCaption(fRegFile->FileSearched(), fRegFile->FilePath()));
  if (vSourceChanged) {
    // The hits and the opened key belong to what was searched before.
    fResults->SetCaption(u"");
    ClearResults();
    fDetail->ClearKey();
    if (fPage > 0) ShowPage(0);
  }
  acAllUpdate();
}

void TMainForm::ShowPopupMenu(POINT vAt) {
  acAllUpdate();
  TrackPopupMenu(pmResults, TPM_RIGHTBUTTON, vAt.x, vAt.y, 0, Handle(), nullptr);
}

// --- Advanced tab and saved searches ---------------------------------------------------

bool TMainForm::AdvancedShown() const {
  return fPage == 0 && TabCtrl_GetCurSel(pcMain) == 1;
}

TSearchCriteria TMainForm::CurrentCriteria() const {
  TSearchCriteria c;
  c.fPerPageIdx = fOptions->PerPageIdx();
  c.fMaxRsltIdx = fOptions->MaxRsltIdx();
  c.fDatCase = fOptions->Case();
  fCrit->ReadInto(c);
  return c;
}

void TMainForm::ApplyCriteria(const TSearchCriteria& vCrit) {
  fOptions->SetPerPageIdx(vCrit.fPerPageIdx);
  fOptions->SetMaxRsltIdx(vCrit.fMaxRsltIdx);
  fOptions->SetCase(vCrit.fDatCase);
  fCrit->Apply(vCrit);
}

void TMainForm::FormActivate() {
  // Posted, so that the load and any message box it shows come after the activation.
  if (FirstActivation && fContext.fHasArgument) PostMessageW(Handle(), ids::kLoadArgumentMsg, 0, 0);
  FirstActivation = false;
}

// --- Settings ---------------------------------------------------------------------------

void TMainForm::ReadSettings() {
  const auto profile = OpenWin32Profile(fContext.IniName);
  const TFormSettings s = ReadFormSettings(*profile);
  if (s.fButtons) {
    SetWindowLongPtrW(pcMain, GWL_STYLE, GetWindowLongPtrW(pcMain, GWL_STYLE) | TCS_BUTTONS);
    SetWindowPos(pcMain, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
  TabCtrl_SetCurSel(pcMain, s.fActivePage);
  pcMainChange();
  fOptions->SetPerPageIdx(s.fPerPageIdx);
  fOptions->SetMaxRsltIdx(s.fMaxRsltIdx);
  fOptions->SetCase(s.fCase);
}

void TMainForm::WriteSettings() {
  TFormSettings s;
  s.fActivePage = std::clamp(int(TabCtrl_GetCurSel(pcMain)), 0, 1);
  s.fPerPageIdx = fOptions->PerPageIdx();
  s.fMaxRsltIdx = fOptions->MaxRsltIdx();
  s.fCase = fOptions->Case();
  const auto profile = OpenWin32Profile(fContext.IniName);
  const bool placed = SavePlacement(Handle(), *profile);
  if (!SaveFormSettings(s, *profile) || !placed)
    ShowError(nullptr, u"The settings could not be saved to " + fContext.IniName);
}

}  // namespace corvane
