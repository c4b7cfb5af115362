#include "ui/saved/savedload.h"

#include "ui/crit/critlogic.h"

namespace corvane {

TLoadOutcome ReadSavedSearch(const TText& vPath, const TSearchCriteria& vCurrent,
                             TQmxFiles& vFiles) {
  TLoadOutcome o;
  if (vPath.empty() || !vFiles.FileExists(vPath)) {
    o.fCrit = vCurrent;
    return o;
  }
  o.fRan = true;
  o.fCrit = NewSearchCriteria(vCurrent);
  try {
    LoadQmxFile(vPath, o.fCrit, vFiles);
  } catch (const TQmxError& e) {
    o.fError = e.Message();
  }
  return o;
}

}  // namespace corvane
