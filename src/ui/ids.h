// Command and control identifiers of the main window and its pages, shared with the GUI test
// driver and the benchmarks.
#pragma once

namespace corvane::ids {

inline constexpr wchar_t kMainClass[] = L"TMainForm";

// Actions: every menu item, tool bar button and push button bound to one uses its number.
enum : int {
  acSave = 101,
  acLoad,
  acNew,
  acRegedit,
  acBack,
  acForward,
  acStop,
  acSearch,
  acKDetail,
  acCritAdd,
  acCritDel,
  acExport,
  acSearchFile,
  acSearchRegistry,
  acCopyKey,
  acCopyValue,
  acCopyData,
  acSearchHive,
};

enum : int {
  mnuExit = 201,
  mnuP10 = 211,  // mnuP10 + position for the five per-page items
  mnuM10 = 221,  // mnuM10 + position for the four maximum items
  mnuCase = 230,
  mnuAbout = 240,
};

enum : int {
  pcMain = 300,
  ebNow,
  cbRegex,
  cbPerPage = 310,
  cbMaxRslt,
  lblSearch = 320,
  btnPrev,
  btnNext,
  lbResults,
  StatusBar1 = 330,
  ToolBar1,
  CoolBar1,
  Animate1,
  cbHKCR = 340,  // cbHKCR + bit number for the five root key boxes
  btnAllRoot = 345,
  btnNoRoot,
  rbKeyAny = 350,  // + 10 for the value-name box, + 20 for the value-data box
  rbKeyAll,
  btnAddKey,
  btnDelKey,
  lbValues = 380,
  meData,
  rbDText,
  rbDBinary,
  rbdDword,
  sgData,
  lblValSize,
  lblValType,
  lblValDec,
  lblValHex,
  pbKey1,
  pbVal1,
  Splitter1,
  pnlValues,
  pnlAllData,
  lblKeyTime,
};

// The Advanced tab: the scroll box, the root key box and the three criteria boxes (+ 0 key
// names, + 1 value names, + 2 value data); in every criterion row its four controls.
enum : int {
  scMain = 410,
  pnlRoot,
  pnlCritKey,
  cbCrit = 420,
  ebCrit,
  cxCrit,
  pbStat,
};

// The time limit strip under the criteria and its controls.
enum : int {
  pnlTime = 430,
  cbTime,
  dtFrom,
  dtTo,
  ebCount,
  cbUnit,
  pbTime,
};

// Posted to the main window: run the search thread's pending hand-offs; release a search
// thread that has ended.
inline constexpr unsigned kRunPendingMsg = 0x8000 + 1;  // WM_APP + 1
inline constexpr unsigned kReleaseThreadMsg = 0x8000 + 2;
// Posted to the main window at its first activation: load the command-line file.
inline constexpr unsigned kLoadArgumentMsg = 0x8000 + 3;

}  // namespace corvane::ids
