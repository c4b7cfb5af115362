#include <windows.h>

#include <climits>

#include "text/ansi.h"

namespace corvane {

TText AnsiToText(std::string_view vBytes) {
  if (vBytes.empty()) return {};
  // MultiByteToWideChar counts in int; texts that large are never real, so fall back.
  if (vBytes.size() > static_cast<std::size_t>(INT_MAX)) return Windows1252ToText(vBytes);
  const int n = static_cast<int>(vBytes.size());
  const int units = MultiByteToWideChar(CP_ACP, 0, vBytes.data(), n, nullptr, 0);
  if (units <= 0) return Windows1252ToText(vBytes);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, vBytes.data(), n, wide.data(), units);
  return TText(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
}

}  // namespace corvane
