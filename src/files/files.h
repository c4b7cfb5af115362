// The file operations that saving and loading need: Win32 on Windows, the C library
// elsewhere, fakes in tests. vError receives the system's error text of a failure.
#pragma once

#include <string>
#include <string_view>

#include "text/text.h"

namespace corvane {

class TFileOps {
 public:
  enum TResult { frDone, frExists, frOpenFailed, frTransferFailed };

  virtual ~TFileOps() = default;
  // vPath made absolute, as messages show it.
  virtual TText FullPath(const TText& vPath) const = 0;
  // Whether vPath names an existing file (not a folder).
  virtual bool FileExists(const TText& vPath) const = 0;
  // The whole file, opened with no sharing: frDone, frOpenFailed or frTransferFailed.
  virtual TResult ReadAll(const TText& vPath, std::string& vBytes, TText& vError) = 0;
  // Creates the file, which must not exist yet (frExists), opened with no sharing, writes
  // vBytes and closes it, flushed: frDone, frExists, frOpenFailed or frTransferFailed (the
  // partly written file is left).
  virtual TResult WriteNew(const TText& vPath, std::string_view vBytes, TText& vError) = 0;
  // Moves vFrom over vTo, replacing it.
  [[nodiscard]] virtual bool Replace(const TText& vFrom, const TText& vTo, TText& vError) = 0;
  virtual void Remove(const TText& vPath) = 0;
};

TFileOps& PlatformFiles();

// The file name without its folder (either separator ends a folder).
inline TText FileNameOf(const TText& vPath) {
  const auto slash = vPath.find_last_of(u"\\/");
  return slash == TText::npos ? vPath : vPath.substr(slash + 1);
}

}  // namespace corvane
