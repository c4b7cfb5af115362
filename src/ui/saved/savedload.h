// What loading a saved search leaves behind, without the window: a load first resets the
// criteria as a new search does, then applies the file field by field, and a failure keeps
// everything applied before it. The window applies the resulting record to its controls and
// shows the error, if any, in one message box.
#pragma once

#include <optional>

#include "savedsearch/qmxfile.h"
#include "text/text.h"

namespace corvane {

struct TLoadOutcome {
  // False when the path is empty or names no existing file: nothing changes, nothing is
  // shown.
  bool fRan = false;
  // The criteria to apply: a new search's (keeping vCurrent's options), then the file's
  // fields up to a failure.
  TSearchCriteria fCrit;
  std::optional<TText> fError;
};

// Reads vPath for a window whose criteria are vCurrent.
TLoadOutcome ReadSavedSearch(const TText& vPath, const TSearchCriteria& vCurrent,
                             TQmxFiles& vFiles);

}  // namespace corvane
