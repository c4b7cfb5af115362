// The system's text for a Win32 error code (Windows only), without its line break: the one
// place where an error code becomes words.
#pragma once

#include "text/text.h"

namespace corvane {

// "Error N" when the system has no text for the code.
TText SystemErrorText(unsigned long vCode);

}  // namespace corvane
