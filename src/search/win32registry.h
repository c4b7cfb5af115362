// The registry cursor over advapi32 (Windows only): the W functions, the default view.
#pragma once

#include <memory>

#include "search/registry.h"

namespace corvane {

std::unique_ptr<TRegCursor> NewWin32Cursor();
TCursorFactory Win32CursorFactory();

}  // namespace corvane
