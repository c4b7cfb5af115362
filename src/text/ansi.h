// 8-bit text in the system's ANSI code page, as old file formats store it.
#pragma once

#include <string_view>

#include "text/text.h"

namespace corvane {

// Decodes vBytes in the system's ANSI code page (MultiByteToWideChar with CP_ACP on Windows,
// Windows-1252 elsewhere).
TText AnsiToText(std::string_view vBytes);

// Windows-1252 with the five unassigned bytes kept as the C1 controls of the same code, as
// Windows maps them.
TText Windows1252ToText(std::string_view vBytes);

}  // namespace corvane
