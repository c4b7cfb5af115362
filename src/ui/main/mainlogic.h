// The main window's rules that do not need the window: the settings it keeps, the placement
// correction, the paging steps of the results list, the enabling of its actions and the texts
// it shows. Everything here is plain data in, plain data out.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "settings/profile.h"
#include "text/text.h"
#include "search/searchtexts.h"
#include "search/types.h"

namespace corvane {

// --- Settings ---------------------------------------------------------------------------

inline constexpr char16_t kFormSettingsSection[] = u"Settings";
inline constexpr char16_t kPlacementSection[] = u"MainForm Settings";

inline constexpr std::array<std::int32_t, 5> kPerPageValues{10, 25, 50, 100, 1000};
inline constexpr std::array<std::int32_t, 4> kMaxRsltValues{10, 100, 1000, 10000};

// The window's own keys of section "Settings", read at creation.
struct TFormSettings {
  bool fButtons = false;         // "Buttons" = exactly 1: the criteria tabs look like buttons
  std::int32_t fActivePage = 0;  // 0 Basic, 1 Advanced
  std::int32_t fPerPageIdx = 0;
  std::int32_t fMaxRsltIdx = 2;
  bool fCase = false;
};

std::int32_t Clamp(std::int32_t vValue, std::int32_t vLow, std::int32_t vHigh);

// Reads the keys with their defaults and clamps the numbers into their lists.
TFormSettings ReadFormSettings(TProfile& vProfile);

// The keys and texts written when the window closes, in writing order ("Buttons" is never
// written).
std::vector<std::pair<TText, TText>> FormSettingsEntries(const TFormSettings& vSettings);

// PerPage for a position of cbPerPage: 10, 25, 50, 100 for 0 to 3, 1000 for any other.
std::int32_t PerPageAt(std::int32_t vIndex);
// MaxRslt for a position of cbMaxRslt: 10, 100, 1000 for 0 to 2, 10000 for any other.
std::int32_t MaxRsltAt(std::int32_t vIndex);

// --- Placement --------------------------------------------------------------------------

struct TPlaceRect {
  std::int32_t fLeft = 0, fTop = 0, fRight = 0, fBottom = 0;
  std::int32_t Width() const { return fRight - fLeft; }
  std::int32_t Height() const { return fBottom - fTop; }
  bool operator==(const TPlaceRect&) const = default;
};

// The fields of a window placement record that the settings file carries.
struct TPlacement {
  TPlaceRect fNormal;
  std::int32_t fMinX = 0, fMinY = 0, fMaxX = 0, fMaxY = 0;
  std::int32_t fShowCmd = 0;
  std::int32_t fFlags = 0;
  std::int32_t fDpi = 96;  // the scale its numbers are in ("PixelsPerInch")
  bool operator==(const TPlacement&) const = default;
};

// A rectangle moved back into the work area: a right edge beyond it moves the rectangle left
// by the excess, a bottom edge below it moves it up; then a negative left or top edge becomes
// 0 (only that edge moves, so a rectangle larger than the work area ends narrowed or
// shortened).
TPlaceRect FitIntoWorkArea(TPlaceRect vRect, const TPlaceRect& vWork);

// The placement to give the window at start: vCurrent is what the system reports, vWindow
// the window's current outer rectangle, vWork the work area. Reads "Left", "Top", "Right",
// "Bottom", "MinX", "MinY", "MaxX", "MaxY" and "flags" with the window centred in the work
// area as the default position; with vWithSize also the size, then fits it into the work
// area. A size written at another scale ("PixelsPerInch", 96 when absent, as files of
// earlier versions were written) is scaled to vCurrent's, keeping the top left corner. The
// show state is left hidden (0); the maximised state is not restored.
TPlacement LoadPlacement(TProfile& vProfile, const TPlacement& vCurrent, const TPlaceRect& vWindow,
                         const TPlaceRect& vWork, bool vWithSize);

// The keys and texts written for a placement, in writing order.
std::vector<std::pair<TText, TText>> PlacementEntries(const TPlacement& vPlacement, bool vWithSize);

// --- Actions ----------------------------------------------------------------------------

// What the action update pass looks at.
struct TWindowState {
  std::int32_t fPage = 0;       // 0 criteria, 1 results, 2 key detail
  bool fAdvancedTab = false;    // the Advanced criteria tab is shown
  bool fBasicTextEmpty = true;  // ebNow is empty
  bool fBasicValid = true;      // ebNow holds no pattern that fails to compile
  bool fAdvancedValid = false;  // roots chosen, at least one row, every row valid
  bool fTimeValid = true;       // the time limit gives a range (or there is none)
  bool fSearched = false;
  bool fDetailEmpty = true;     // DetKStr is empty
  bool fRowSelected = false;    // a row of lbResults is selected
  bool fThreadRunning = false;  // sThread is set
  bool fRegEditKnown = false;   // RegEditExe is not empty
  bool fHits = false;           // the last search found something
  bool fLoading = false;        // an export file is being loaded
  bool fFileSearched = false;   // searches run over a loaded export file or a hive file
  bool fHiveSearched = false;   // searches run over a hive file
  bool fCopyKey = false;        // the shown page has a key to copy (selected hit, detail key)
  bool fCopyValue = false;      // ... and a value
};

struct TActionStates {
  bool fRegedit = false, fBack = false, fForward = false, fKDetail = false, fStop = false,
       fSearch = false, fSave = false;
  bool fExport = false, fSearchFile = false, fSearchHive = false, fSearchRegistry = false;
  bool fCopyKey = false, fCopyValue = false, fCopyData = false;
  bool operator==(const TActionStates&) const = default;
};

TActionStates ActionStates(const TWindowState& vState);

// --- Texts ------------------------------------------------------------------------------

// The long part of a hint (after the first "|"), or the whole hint when it has no "|".
TText LongHint(TTextView vHint);
// The short part of a hint (before the first "|").
TText ShortHint(TTextView vHint);

}  // namespace corvane
