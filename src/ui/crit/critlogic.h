// The Advanced tab's rules that need no window: the names and heights of criterion rows and
// their boxes, which box a keyboard shortcut means, the root key boxes and their bits,
// whether the criteria are complete enough to search, and their encoding for the search
// thread. The window reads its controls into a TSearchCriteria and hands it here.
#pragma once

#include <array>
#include <cstdint>

#include "savedsearch/qmxfile.h"
#include "search/criteria.h"
#include "search/types.h"
#include "text/text.h"

namespace corvane {

// --- Rows and boxes ---------------------------------------------------------------------

inline constexpr std::int32_t kCritBoxCount = 3;  // key names, value names, value data
inline constexpr std::int32_t kEmptyBoxHeight = 33;
inline constexpr std::int32_t kBoxHeaderHeight = 24;
inline constexpr std::int32_t kCritRowHeight = 25;

// The name of a row added to a box of tag vTag (1 key names, 2 value names, 3 value data)
// that holds vChildCount children (its header strip and its rows): "CF" + (vChildCount +
// vTag * 1000). A box's rows are named in sequence, so a name is unique within its box.
TText CritRowName(std::int32_t vTag, std::int32_t vChildCount);

// The height of a box that holds vRows rows.
std::int32_t CritBoxHeight(std::int32_t vRows);

// Tops of the value-name and value-data boxes: each 1 pixel below the box above it.
struct TBoxTops {
  std::int32_t fVal = 0;
  std::int32_t fDat = 0;
  bool operator==(const TBoxTops&) const = default;
};
TBoxTops StackCritBoxes(std::int32_t vKeyTop, std::int32_t vKeyHeight, std::int32_t vValHeight);

// The box (its tag) that Ctrl+Ins or Ctrl+Del means, or 0 for none. vParentTag and
// vGrandTag are the tags of the focused control's parent and grandparent when they are
// criteria boxes, 0 otherwise. With vFallBack (Ctrl+Ins), focus elsewhere on the shown
// Advanced tab means the key-name box.
struct TShortcutFocus {
  bool fHasFocus = false;
  std::int32_t fParentTag = 0;
  std::int32_t fGrandTag = 0;
  bool fAdvancedShown = false;
};
std::int32_t ShortcutBox(const TShortcutFocus& vFocus, bool vFallBack);

// --- Root key boxes ---------------------------------------------------------------------

// The five check boxes as the box shows them: left column HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE, HKEY_USERS; right column HKEY_CURRENT_CONFIG, HKEY_CLASSES_ROOT. The
// bit of each is its TRootKey, so the bits are the TRootKeySet of the search.
struct TRootBox {
  TRootKey fBit;
  std::int32_t fColumn;  // 0 left, 1 right
  std::int32_t fLine;    // 0 to 2
};
inline constexpr std::array<TRootBox, 5> kRootBoxes{{
    {rHKCU, 0, 0},
    {rHKLM, 0, 1},
    {rHKU, 0, 2},
    {rHKCC, 1, 0},
    {rHKCR, 1, 1},
}};
inline constexpr std::uint8_t DefaultRoots = 31;

// The box's caption, the root's name ("HKEY_CURRENT_USER" and so on).
TText RootBoxName(const TRootBox& vBox);
// "HKEY_CURRENT_USER|Search the HKEY_CURRENT_USER root key" and so on.
TText RootBoxHint(const TRootBox& vBox);

// --- Criteria ---------------------------------------------------------------------------

// The criteria of a new search, keeping the options that a new search leaves alone (results
// per page, maximum results, case-sensitive data search).
TSearchCriteria NewSearchCriteria(const TSearchCriteria& vCurrent);

// Whether an Advanced search can start (and be saved): a root key chosen, every row valid,
// and at least one row or a time limit; a time limit must give a range.
bool CriteriaComplete(const TSearchCriteria& vCrit);


// Each box's rows in their order: name rows with a to z upper-cased, data rows with their
// text as typed and a TDatCrit of text, match type and data type.
TComplexCriteria EncodeCriteria(const TSearchCriteria& vCrit);

}  // namespace corvane
