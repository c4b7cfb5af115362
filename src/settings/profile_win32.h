// Profile files through the Win32 profile API (Windows only).
#pragma once

#include <memory>

#include "settings/profile.h"

namespace corvane {

// Reads vFile with GetPrivateProfileStringW; numbers are parsed by ReadProfileInt, not by
// GetPrivateProfileIntW (which takes "12abc" as 12).
std::unique_ptr<TProfile> OpenWin32Profile(TTextView vFile);

}  // namespace corvane
