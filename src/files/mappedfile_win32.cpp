#include <windows.h>

#include <string>
#include <utility>

#include "files/mappedfile.h"
#include "text/syserror_win32.h"
#include "text/wide.h"
#include "win32/handles.h"

namespace corvane {

struct TMappedFile::TImpl {
  TOwnedFile fFile;
  TOwnedHandle fMapping;
  TMappedView fView;
  std::string fCopy;  // the bytes read when no mapping was made
};

TMappedFile::TMappedFile() = default;
TMappedFile::TMappedFile(TMappedFile&&) noexcept = default;
TMappedFile& TMappedFile::operator=(TMappedFile&&) noexcept = default;
TMappedFile::~TMappedFile() = default;

bool TMappedFile::Mapped() const { return fImpl && fImpl->fView; }

bool TMappedFile::Open(const TText& vPath, TText& vError) {
  fImpl.reset();
  fData = nullptr;
  fSize = 0;
  auto impl = std::make_unique<TImpl>();
  // A hive in use by the system is open for writing elsewhere: share reading and writing.
  impl->fFile = TOwnedFile(CreateFileW(W(vPath), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!impl->fFile) {
    vError = SystemErrorText(GetLastError());
    return false;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(impl->fFile.Get(), &size)) {
    vError = SystemErrorText(GetLastError());
    return false;
  }
  if constexpr (sizeof(std::size_t) < 8) {
    if (size.QuadPart > 0x7FFFFFFF) {
      vError = SystemErrorText(ERROR_NOT_ENOUGH_MEMORY);
      return false;
    }
  }
  const auto length = static_cast<std::size_t>(size.QuadPart);
  if (length > 0) {
    impl->fMapping =
        TOwnedHandle(CreateFileMappingW(impl->fFile.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (impl->fMapping)
      impl->fView = TMappedView(MapViewOfFile(impl->fMapping.Get(), FILE_MAP_READ, 0, 0, 0));
  }
  if (impl->fView) {
    fData = static_cast<const std::uint8_t*>(impl->fView.Get());
    fSize = length;
  } else {
    char buf[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(impl->fFile.Get(), buf, sizeof buf, &got, nullptr)) {
        vError = SystemErrorText(GetLastError());
        return false;
      }
      if (got == 0) break;
      impl->fCopy.append(buf, got);
    }
    fData = reinterpret_cast<const std::uint8_t*>(impl->fCopy.data());
    fSize = impl->fCopy.size();
  }
  fImpl = std::move(impl);
  return true;
}

}  // namespace corvane
