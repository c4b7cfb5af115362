// The alias builder's Win32 side (Windows only): the user's identity from advapi32, GUIDs
// from ole32, the platform from GetVersionEx, the registry through the advapi32 cursor.
#pragma once

#include <cstdint>

#include "regequiv/regequiv.h"

namespace corvane {

TAliasSystem& Win32AliasSystem();
TAliasHost Win32AliasHost();

// What a front end calls once at start: builds the process-wide list by probing the real
// registry (first call only) and returns it, to be passed as TSearchHost::fAliases.
const TAliasList& BuildProcessAliasList(std::uint32_t* vMask = nullptr);

}  // namespace corvane
