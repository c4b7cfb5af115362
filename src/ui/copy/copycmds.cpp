#include "ui/copy/copycmds.h"

#include "ui/copy/clipboard.h"
#include "ui/window/window.h"

namespace corvane {

void TCopyCmds::Copy(TCopyWhat vWhat) {
  const TCopySource source = fHost.fSource();
  if (!corvane::CanCopy(source, vWhat)) return;
  TText text;
  const auto cursor = fHost.fCursors()();
  if (!CopyText(source, vWhat, *cursor, text))
    return ShowError(fHost.fOwner, CopyFailedText(source));
  TText error;
  if (!SetClipboardText(fHost.fOwner, text, error))
    ShowError(fHost.fOwner, u"The text could not be put on the clipboard: " + error);
}

}  // namespace corvane
