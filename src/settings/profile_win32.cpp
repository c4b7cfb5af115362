#include "settings/profile_win32.h"

#include <windows.h>

#include <vector>

#include "text/wide.h"

namespace corvane {
namespace {

class TWin32Profile final : public TProfile {
 public:
  explicit TWin32Profile(TTextView vFile) : fFile(vFile) {}

  TText ReadString(TTextView vSection, TTextView vKey) override {
    const TText section(vSection), key(vKey);
    // A result of size - 1 means the text may have been cut; try a larger buffer.
    for (DWORD size = 256; size <= (1u << 20); size *= 4) {
      std::vector<wchar_t> buf(size, 0);
      const DWORD n = GetPrivateProfileStringW(W(section), W(key), L"", buf.data(), size, W(fFile));
      if (n < size - 1) return TText(reinterpret_cast<const char16_t*>(buf.data()), n);
    }
    return {};  // a value this long is no setting of ours
  }

  bool WriteString(TTextView vSection, TTextView vKey, TTextView vValue) override {
    const TText section(vSection), key(vKey), value(vValue);
    return WritePrivateProfileStringW(W(section), W(key), W(value), W(fFile)) != FALSE;
  }

 private:
  TText fFile;
};

}  // namespace

std::unique_ptr<TProfile> OpenWin32Profile(TTextView vFile) {
  return std::make_unique<TWin32Profile>(vFile);
}

}  // namespace corvane
