// GoogleTest prints UTF-16 text itself (as u"..."); this header keeps the test includes
// uniform should a printer of our own be needed.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "text/text.h"
