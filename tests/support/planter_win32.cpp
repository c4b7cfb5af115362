#include <windows.h>

#include <stdexcept>

#include "text/wide.h"
#include "search/win32registry.h"
#include "support/planter.h"

namespace corvane::test {
namespace {

class TWin32Planter final : public TPlanter {
 public:
  TWin32Planter() {
    static int serial = 0;
    fBase = u"Software\\CorvaneTest-" + FromUtf8(std::to_string(GetCurrentProcessId())) + u"-" +
            FromUtf8(std::to_string(++serial));
    RegDeleteTreeW(HKEY_CURRENT_USER, W(fBase));
    Key(u"");
  }
  ~TWin32Planter() override { RegDeleteTreeW(HKEY_CURRENT_USER, W(fBase)); }

  void Key(TTextView vPath) override {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, W(Full(vPath)), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
      throw std::runtime_error("cannot create test key");
    RegCloseKey(key);
  }
  void Value(TTextView vPath, TTextView vName, std::uint32_t vType,
             const std::vector<std::uint8_t>& vData) override {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, W(Full(vPath)), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
      throw std::runtime_error("cannot create test key");
    const TText name(vName);
    const LONG rc = RegSetValueExW(key, W(name), 0, vType, vData.data(), static_cast<DWORD>(vData.size()));
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) throw std::runtime_error("cannot set test value");
  }
  void RemoveKey(TTextView vPath) override { RegDeleteTreeW(HKEY_CURRENT_USER, W(Full(vPath))); }
  TCursorFactory Cursors() override { return Win32CursorFactory(); }
  const char* Name() const override { return "win32"; }

 private:
  TText Full(TTextView vPath) const { return vPath.empty() ? fBase : fBase + u"\\" + TText(vPath); }
};

}  // namespace

std::unique_ptr<TPlanter> NewWin32Planter() { return std::make_unique<TWin32Planter>(); }

}  // namespace corvane::test
