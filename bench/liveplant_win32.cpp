#include <windows.h>

#include <string>

#include "liveplant.h"
#include "search/win32registry.h"
#include "text/wide.h"

namespace corvane::bench {
namespace {

const TText kBase = u"Software\\CorvaneExportBench";

}  // namespace

TLivePlant::TLivePlant(std::uint32_t vCount) {
  RegDeleteTreeW(HKEY_CURRENT_USER, W(kBase));
  HKEY key = nullptr;
  for (std::uint32_t i = 0; i < vCount; ++i) {
    const TText path = kBase + u"\\Product, " + FromUtf8(std::to_string(i / 10));
    if (i % 10 == 0) {
      if (key) RegCloseKey(key);
      key = nullptr;
      RegCreateKeyExW(HKEY_CURRENT_USER, W(path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    }
    const TText name = u"Export \"value\" " + FromUtf8(std::to_string(i));
    const TText data =
        u"C:\\Program Files\\Vendor\\export\\file" + FromUtf8(std::to_string(i)) + u".dll";
    if (key)
      RegSetValueExW(key, W(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                     DWORD((data.size() + 1) * 2));
    fHits.emplace_back(u"HKEY_CURRENT_USER\\" + LowerAZ(path), name, data, 0, 1, 1, 0, 6, 6, kHKCU);
  }
  if (key) RegCloseKey(key);
}

TLivePlant::~TLivePlant() {
  RegDeleteTreeW(HKEY_CURRENT_USER, W(kBase));
}

TCursorFactory TLivePlant::Cursors() const {
  return Win32CursorFactory();
}

}  // namespace corvane::bench
