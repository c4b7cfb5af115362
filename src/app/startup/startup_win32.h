// The start-up derivations' Win32 side (Windows only).
#pragma once

#include "app/startup/startup.h"

namespace corvane {

// Shell folders, system folders, the environment, files, GetVersionEx, profile files and the
// advapi32 registry cursor.
TStartupSystem& Win32StartupSystem();

// What the process entry calls first: derives the process-wide values with the Win32 side
// (first call only) and returns them. Throws TStartupError when the settings folder cannot
// be created.
const TStartupValues& DeriveStartupValues();

}  // namespace corvane
