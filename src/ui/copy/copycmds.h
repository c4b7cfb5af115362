// The window's copy commands: "Copy key path", "Copy value name" and "Copy data" from the
// pop-up menus, and Ctrl+C, which copies the key path. What they copy from (the selected hit
// or the key detail page) and the registry its data are read from the window decides.
#pragma once

#include <windows.h>

#include <functional>

#include "search/registry.h"
#include "ui/copy/copylogic.h"

namespace corvane {

class TCopyCmds {
 public:
  struct THost {
    HWND fOwner = nullptr;
    // What the shown page offers to copy; fHasKey false for nothing.
    std::function<TCopySource()> fSource;
    // The registry that is searched now (data are read afresh from it).
    std::function<TCursorFactory()> fCursors;
  };

  explicit TCopyCmds(THost vHost) : fHost(std::move(vHost)) {}

  // Puts the text on the clipboard; a value that can no longer be read, or a clipboard that
  // refuses, is shown in one error box.
  void Copy(TCopyWhat vWhat);

 private:
  THost fHost;
};

}  // namespace corvane
