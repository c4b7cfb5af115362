// "Launch REGEDIT": which key and value the main window hands to the registry editor
// launcher (launcher/launcher_win32.h runs the launch).
#pragma once

#include <cstdint>
#include <vector>

#include "search/types.h"
#include "text/text.h"

namespace corvane {

struct TRegeditTarget {
  TText fKey;    // empty: the launch only finds or starts the editor
  TText fValue;  // empty: the key's default value
  bool fKeyOnly = false;  // a key hit: the key alone, no value row (fValue is empty)
};

// In this order: the key loaded on the key detail page and the value selected there, while
// that page holds a key (vDetailKey not empty, on every page, until the next search empties
// it); else the hit selected in the results list, vResults[vPageBeg + vRow] (vRow -1: none),
// the key alone when it is a key hit of a search of kind vFrom; else nothing.
TRegeditTarget RegeditTarget(const TText& vDetailKey, const TText& vDetailValue,
                             const std::vector<TResult>& vResults, std::int32_t vPageBeg,
                             std::int32_t vRow, THitsFrom vFrom);

}  // namespace corvane
