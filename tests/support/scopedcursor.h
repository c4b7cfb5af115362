// A cursor that shows only the path to one key of HKEY_CURRENT_USER and what lies below it,
// so walk tests on the real registry stay inside their own test key (and stay fast).
#pragma once

#include "search/registry.h"

namespace corvane::test {

// vBase: the test key's path below HKEY_CURRENT_USER, without leading backslash.
TCursorFactory ScopedCursors(TCursorFactory vInner, const TText& vBase);

}  // namespace corvane::test
