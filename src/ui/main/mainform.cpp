#include "ui/main/mainform.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>

#include "launcher/launcher_win32.h"
#include "search/keytime.h"
#include "search/win32registry.h"
#include "settings/profile_win32.h"
#include "text/timetext_win32.h"
#include "ui/gdicanvas.h"
#include "ui/ids.h"
#include "ui/main/mainbars.h"
#include "ui/main/mainsettings.h"
#include "ui/main/maintables.h"
#include "ui/main/menus.h"
#include "ui/main/regeditcmd.h"
#include "ui/regfile/regfilelogic.h"
#include "ui/wrapped.h"

namespace corvane {

namespace {

constexpr int kClientWidth = 492;
constexpr int kClientHeight = 374;
constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

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
  // The system's scale until the window knows its own screen's.
  fDisplay.fScale.SetDpi(DpiOf(nullptr));
  RECT r{0, 0, fDisplay.S(kClientWidth), fDisplay.S(kClientHeight)};
  AdjustWindowRectEx(&r, kMainStyle, TRUE, 0);
  return CreateHandle(0, ids::kMainClass, kAppTitle, kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      r.right - r.left, r.bottom - r.top, nullptr, nullptr);
}

void TMainForm::Show() {
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
  SetForegroundWindow(Handle());
  fCriteria->FocusBasicText();
}

// --- Building -------------------------------------------------------------------------

void TMainForm::CreateActions() {
  for (const TActionRow& r : ActionRows()) {
    TAction a;
    a.fId = r.fId;
    a.fCaption = r.fCaption;
    a.fShortcut = r.fShortcut;
    a.fKeyFlags = r.fKeyFlags;
    a.fKey = r.fKey;
    a.fImage = r.fImage;
    a.fHint = r.fHint;
    a.fExecute = ActionWork(r.fId);
    fActions.Add(std::move(a));
  }
  fActions.Find(ids::acStop)->fEnabled = false;
  fActions.fOnUpdate = [this] { acAllUpdate(); };
}

std::function<void()> TMainForm::ActionWork(int vId) {
  switch (vId) {
    case ids::acSave:
      return [this] { fSaved->acSaveExecute(); };
    case ids::acLoad:
      return [this] { fSaved->acLoadExecute(); };
    case ids::acNew:
      return [this] { acNewExecute(); };
    case ids::acRegedit:
      return [this] { acRegeditExecute(); };
    case ids::acBack:
      return [this] { ShowPage(fPage - 1); };
    case ids::acForward:
      return [this] { ShowPage(fPage + 1); };
    case ids::acStop:
      return [this] { acStopExecute(); };
    case ids::acSearch:
      return [this] { acSearchExecute(); };
    case ids::acKDetail:
      return [this] { acKDetailExecute(); };
    // Rows are not added or deleted while a search runs: its criteria controls are disabled.
    case ids::acCritAdd:
      return [this] {
        if (!fSearch->Running()) fCriteria->Boxes().acCritAddExecute(AdvancedShown());
      };
    case ids::acCritDel:
      return [this] {
        if (!fSearch->Running()) fCriteria->Boxes().acCritDelExecute();
      };
    case ids::acExport:
      return [this] { fExport->acExportExecute(); };
    case ids::acSearchFile:
      return [this] { fRegFile->acSearchFileExecute(); };
    case ids::acSearchHive:
      return [this] { fRegFile->acSearchHiveExecute(); };
    case ids::acSearchRegistry:
      return [this] { fRegFile->acSearchRegistryExecute(); };
    case ids::acCopyKey:
      return [this] { fCopy->Copy(cwKeyPath); };
    case ids::acCopyValue:
      return [this] { fCopy->Copy(cwValueName); };
    case ids::acCopyData:
      return [this] { fCopy->Copy(cwData); };
    default:
      return [] {};
  }
}

// --- Window events ----------------------------------------------------------------------

void TMainForm::FormCreate() {
  fSync = std::make_unique<TGuiSync>(
      [wnd = Handle()] { PostMessageW(wnd, ids::kRunPendingMsg, 0, 0); });
  fDisplay.fScale.SetDpi(DpiOf(Handle()));
  fFont.Reset(CreateMainFont());
  fDisplay.fFont = HFONT(fFont.Get());
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(fFont.Get()), FALSE);
  fOptions = std::make_unique<TOptions>(fDisplay);

  ImageList1 = BuildToolImages(fDisplay.fScale);
  if (!fContext.DataDir.empty()) CreateDirectoryW(W(fContext.DataDir), nullptr);
  const TText exe = ExePath();
  const auto slash = exe.find_last_of(u"\\/");
  fExeDir = slash == TText::npos ? TText() : exe.substr(0, slash);
  TSavedSearchCmds::THost saved;
  saved.fOwner = Handle();
  saved.fRead = [this] { return CurrentCriteria(); };
  saved.fNewSearch = [this] {
    acNewExecute();
    fCriteria->ShowTab(1);
  };
  saved.fApply = [this](const TSearchCriteria& c) { ApplyCriteria(c); };
  saved.fFinish = [this] {
    fCriteria->Boxes().StackCritPanels();
    ClearResults();
  };
  fSaved = std::make_unique<TSavedSearchCmds>(std::move(saved), fExeDir);
  CreateLeavingCommands();
  CreateSearchRun();

  CreateActions();
  SetMenu(Handle(), BuildMenuBar(fActions, *fOptions));  // destroyed with the window
  pmResults = BuildResultsMenu(fActions);
  fBars = BuildCoolBar(Handle(), fActions, ImageList1.Get(), fDisplay.fScale);
  CoolBar1 = fBars.fCoolBar;
  ToolBar1 = fBars.fToolBar;
  Animate1 = fBars.fAnimate;
  StatusBar1 = CreateControl(Handle(), STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, 0, 0, 0,
                             ids::StatusBar1, fDisplay.fFont);
  int parts[1] = {-1};
  SendMessageW(StatusBar1, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
  fCriteria = std::make_unique<TCriteriaPage>(fApp, fDisplay, [this] { ClearResults(); });
  fPages[0] = fCriteria->Create(Handle(), *fOptions);
  fActions.BindButton(ids::acSearch, fCriteria->SearchButton());
  TResultsPage::THost results;
  results.fPerPage = [this] { return fOptions->PerPage(); };
  results.fOpen = [this] { fActions.Execute(ids::acKDetail); };
  results.fContextMenu = [this](POINT vAt) { ShowPopupMenu(vAt); };
  results.fCopy = [this] { fActions.Execute(ids::acCopyKey); };
  results.fSelected = [this] {
    if (const TResult* hit = fResults->SelectedHit())
      SetStatus(u"Last written: " + LocalTimeText(hit->fModified));
  };
  fResults = std::make_unique<TResultsPage>(Handle(), fDisplay, std::move(results));
  fPages[1] = fResults->Create(Handle());
  lbResults = fResults->List();
  btnKDetail = fResults->DetailButton();
  fActions.BindButton(ids::acKDetail, btnKDetail);
  fApp.SetHint(btnKDetail, u"Detail|View detail for highlighted result");
  // The detail page reads what is searched: the registry or a hive file.
  fDetail = std::make_unique<TDetailPage>(fApp, Handle(), fDisplay,
                                          [this] { return fRegFile->Cursors()(); });
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

HFONT TMainForm::CreateMainFont() const {
  return CreateFontW(fDisplay.fScale.FontHeight(13), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, L"Arial");
}

void TMainForm::DpiChanged(int vDpi, const RECT& vSuggested) {
  const int old = fDisplay.fScale.Dpi();
  if (vDpi > 0 && vDpi != old && fCriteria && fResults && fDetail) {
    fDisplay.fScale.SetDpi(vDpi);
    TGdiObject font(CreateMainFont());
    fDisplay.fFont = HFONT(font.Get());
    // Every control where it stood, at the new scale and in the new font; then each part
    // lays out what it measures itself.
    RescaleChildren(Handle(), old, vDpi, HFONT(fFont.Get()), fDisplay.fFont);
    fFont = std::move(font);  // the old font goes once no control uses it
    ImageList1 = BuildToolImages(fDisplay.fScale);
    SizeCoolBar(fBars, ImageList1.Get(), fDisplay.fScale);
    fOptions->LayoutLists();
    fCriteria->Rescale(old);
    fResults->Rescale(old);
    fDetail->Rescale(old);
  }
  SetWindowPos(Handle(), nullptr, vSuggested.left, vSuggested.top,
               vSuggested.right - vSuggested.left, vSuggested.bottom - vSuggested.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  LayoutClient();
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
  if (IsIconic(Handle()) || !fCriteria || !fResults) return;
  const RECT client = ClientRect(Handle());
  const int width = client.right;
  fCriteria->Layout();
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

void TMainForm::ShowPage(int vPage) {
  fPage = std::clamp(vPage, 0, 2);
  for (int i = 0; i < 3; ++i) ShowWindow(fPages[i], i == fPage ? SW_SHOW : SW_HIDE);
  fFocus.Focus(Handle(), PageFirstControl());
}

HWND TMainForm::PageFirstControl() const {
  if (fPage == 1) return lbResults;
  if (fPage == 0) return fCriteria->FirstControl();
  return FirstTabStop(fPages[fPage]);
}

void TMainForm::SetStatus(const TText& vText) {
  SendMessageW(StatusBar1, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(W(vText)));
}

// --- Actions ----------------------------------------------------------------------------

void TMainForm::acAllUpdate() {
  if (!fCriteria || !fResults || !fDetail) return;  // not built yet
  TWindowState s;
  s.fPage = fPage;
  s.fAdvancedTab = fCriteria->AdvancedTab();
  s.fBasicTextEmpty = fCriteria->BasicTextEmpty();
  s.fBasicValid = fCriteria->BasicProblem().empty();
  s.fAdvancedValid = CriteriaComplete(CurrentCriteria());
  s.fTimeValid = fCriteria->Time().Valid();
  s.fSearched = Searched;
  s.fDetailEmpty = !fDetail->HasKey();
  s.fRowSelected = SendMessageW(lbResults, LB_GETCURSEL, 0, 0) != LB_ERR;
  s.fThreadRunning = fSearch->Running();
  s.fRegEditKnown = !fContext.RegEditExe.empty();
  s.fHits = !fResults->Hits().empty();
  s.fLoading = fRegFile->Loading();
  s.fFileSearched = fRegFile->FileSearched();
  s.fHiveSearched = fRegFile->HiveSearched();
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
  fActions.SetEnabled(ids::acSearchHive, a.fSearchHive);
  fActions.SetEnabled(ids::acSearchRegistry, a.fSearchRegistry);
  fActions.SetEnabled(ids::acCopyKey, a.fCopyKey);
  fActions.SetEnabled(ids::acCopyValue, a.fCopyValue);
  fActions.SetEnabled(ids::acCopyData, a.fCopyData);
}

void TMainForm::acRegeditExecute() {
  // The key detail page's key and selected value (DetKStr, DetVStr) come first.
  const TLaunchTarget detail = fDetail->LaunchTarget();
  const TRegeditTarget target =
      RegeditTarget(detail.fHasKey ? detail.fKeyPath : TText(), detail.fValueName, fResults->Hits(),
                    fResults->PageBeg(), fResults->SelectedRow(), fSearch->From());
  // The result code is not shown: the editor shows how far the launch got.
  const std::optional<TTextView> value =
      target.fKeyOnly ? std::nullopt : std::optional<TTextView>(target.fValue);
  (void)LaunchRegedit(Handle(), fContext.RegEditExe, target.fKey, value);
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
    // "Within the last" counts back from this moment.
    const std::optional<TTimeRange> range = TimeRangeOf(fCriteria->Time().Filter(), TimeNow());
    if (range && fRegFile->FileSearched() && !fRegFile->HiveSearched())
      throw std::invalid_argument(ToUtf8(kExportHasNoTimes));
    if (fCriteria->AdvancedTab())
      fSearch->StartComplex(CurrentCriteria(), fOptions->MaxRslt(), range);
    else
      fSearch->StartSimple(fCriteria->BasicText(), fCriteria->BasicRegex(), fOptions->Case(),
                           fOptions->MaxRslt(), range);
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
    h.fSingleRoot = fRegFile->SingleRoot();
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
  host.fCriteriaPanels = [this] { return fCriteria->LockedPanels(); };
  host.fBoundToAction = [this](HWND vChild) {
    return vChild == fCriteria->SearchButton() || vChild == btnKDetail;
  };
  host.fEnableMenus = [this](bool vEnabled) {
    fOptions->EnableMenuItems(vEnabled);
    DrawMenuBar(Handle());
  };
  host.fUpdateDeleteButtons = [this] { fCriteria->Boxes().UpdateDeleteButtons(); };
  fSearch = std::make_unique<TSearchRun>(std::move(host));
}

void TMainForm::acStopExecute() {
  // Stop gives up a file being loaded as well as a search.
  fRegFile->Cancel();
  fSearch->Stop();
}

void TMainForm::acNewExecute() {
  // A running search ends first, as Stop ends it: a hit still in the hand-off would land in
  // the emptied list.
  if (fSearch->Running()) fSearch->Stop();
  fCriteria->NewSearch();
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
  exportHost.fSingleRoot = [this] { return fRegFile->SingleRoot(); };
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
  return fPage == 0 && fCriteria->AdvancedTab();
}

TSearchCriteria TMainForm::CurrentCriteria() const {
  TSearchCriteria c;
  c.fPerPageIdx = fOptions->PerPageIdx();
  c.fMaxRsltIdx = fOptions->MaxRsltIdx();
  c.fDatCase = fOptions->Case();
  fCriteria->Boxes().ReadInto(c);
  c.fTime = fCriteria->Time().Filter();
  return c;
}

void TMainForm::ApplyCriteria(const TSearchCriteria& vCrit) {
  fOptions->SetPerPageIdx(vCrit.fPerPageIdx);
  fOptions->SetMaxRsltIdx(vCrit.fMaxRsltIdx);
  fOptions->SetCase(vCrit.fDatCase);
  fCriteria->Boxes().Apply(vCrit);
  fCriteria->Time().SetFilter(vCrit.fTime);
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
  if (s.fButtons) fCriteria->TabsAsButtons();
  fCriteria->ShowTab(s.fActivePage);
  fOptions->SetPerPageIdx(s.fPerPageIdx);
  fOptions->SetMaxRsltIdx(s.fMaxRsltIdx);
  fOptions->SetCase(s.fCase);
}

void TMainForm::WriteSettings() {
  TFormSettings s;
  s.fActivePage = fCriteria->AdvancedTab() ? 1 : 0;
  s.fPerPageIdx = fOptions->PerPageIdx();
  s.fMaxRsltIdx = fOptions->MaxRsltIdx();
  s.fCase = fOptions->Case();
  const auto profile = OpenWin32Profile(fContext.IniName);
  const bool placed = SavePlacement(Handle(), *profile);
  if (!SaveFormSettings(s, *profile) || !placed)
    ShowError(nullptr, u"The settings could not be saved to " + fContext.IniName);
}

}  // namespace corvane
