// Saving a whole file so that a failure never destroys the file it was to replace: the bytes
// go to a new file beside the target (<target>.1.tmp, or the next free number), which then
// moves over the target. Saved searches and results exports both save this way.
#pragma once

#include <string_view>

#include "files/files.h"

namespace corvane {

enum TSafeSave {
  ssDone,
  ssCreateFailed,  // the new file could not be created, or could not replace the target
  ssWriteFailed,   // writing the new file failed; it has been removed
};

// Writes vBytes to vTarget (an absolute path: see TFileOps::FullPath). On a failure the
// target is as it was, no new file is left behind, and vError holds the system's text
// (ssCreateFailed) or what it said about the write (ssWriteFailed).
[[nodiscard]] TSafeSave SafeSave(const TText& vTarget, std::string_view vBytes, TFileOps& vFiles,
                                 TText& vError);

}  // namespace corvane
