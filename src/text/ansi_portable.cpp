#include "text/ansi.h"

namespace corvane {

TText AnsiToText(std::string_view vBytes) {
  return Windows1252ToText(vBytes);
}

}  // namespace corvane
