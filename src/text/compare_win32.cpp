#include <windows.h>

#include "text/compare.h"

namespace corvane {
namespace {

class TWin32Compare final : public TLocaleCompare {
 public:
  int Compare(TTextView a, TTextView b) const override {
    const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                                 reinterpret_cast<const wchar_t*>(a.data()), static_cast<int>(a.size()),
                                 reinterpret_cast<const wchar_t*>(b.data()), static_cast<int>(b.size()));
    if (r == 0) return CompareFoldWide(a, b);
    return r - CSTR_EQUAL;
  }
};

}  // namespace

const TLocaleCompare& PlatformCompare() {
  static const TWin32Compare compare;
  return compare;
}

}  // namespace corvane
