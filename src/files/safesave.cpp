#include "files/safesave.h"

namespace corvane {
namespace {

// Names tried for the new file beside the target before giving up.
constexpr int kTempNames = 100;

}  // namespace

TSafeSave SafeSave(const TText& vTarget, std::string_view vBytes, TFileOps& vFiles, TText& vError) {
  for (int n = 1; n <= kTempNames; ++n) {
    const TText temp = vTarget + u'.' + FromUtf8(std::to_string(n)) + u".tmp";
    switch (vFiles.WriteNew(temp, vBytes, vError)) {
      case TFileOps::frExists:
        continue;
      case TFileOps::frOpenFailed:
        return ssCreateFailed;
      case TFileOps::frTransferFailed:
        vFiles.Remove(temp);
        return ssWriteFailed;
      case TFileOps::frDone:
        if (!vFiles.Replace(temp, vTarget, vError)) {
          vFiles.Remove(temp);
          return ssCreateFailed;
        }
        return ssDone;
    }
  }
  return ssCreateFailed;
}

}  // namespace corvane
