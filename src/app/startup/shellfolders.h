// The shell's special folders (Windows only).
#pragma once

#include "text/text.h"

namespace corvane {

// The path of shell folder vFolder (a CSIDL number), not created: SHGetSpecialFolderPathW
// into a 260-character buffer, the text up to its first zero. False when the shell fails.
[[nodiscard]] bool SpecialFolderPath(int vFolder, TText& vPath);

}  // namespace corvane
