#include "text/compare.h"

namespace corvane {

const TLocaleCompare& PlatformCompare() {
  static const TFoldCompare compare;
  return compare;
}

}  // namespace corvane
