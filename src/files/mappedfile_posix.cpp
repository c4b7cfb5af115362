#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/mappedfile.h"

namespace corvane {

struct TMappedFile::TImpl {
  void* fView = MAP_FAILED;
  std::size_t fLength = 0;
  std::string fCopy;  // the bytes read when no mapping was made
  ~TImpl() {
    if (fView != MAP_FAILED) ::munmap(fView, fLength);
  }
};

namespace {

struct TFd {
  int fFd = -1;
  ~TFd() {
    if (fFd >= 0) ::close(fFd);
  }
};

TText ErrnoText(int vErr) { return FromUtf8(std::strerror(vErr)); }

}  // namespace

TMappedFile::TMappedFile() = default;
TMappedFile::TMappedFile(TMappedFile&&) noexcept = default;
TMappedFile& TMappedFile::operator=(TMappedFile&&) noexcept = default;
TMappedFile::~TMappedFile() = default;

bool TMappedFile::Mapped() const { return fImpl && fImpl->fView != MAP_FAILED; }

bool TMappedFile::Open(const TText& vPath, TText& vError) {
  fImpl.reset();
  fData = nullptr;
  fSize = 0;
  TFd fd{::open(ToUtf8(vPath).c_str(), O_RDONLY | O_CLOEXEC)};
  if (fd.fFd < 0) {
    vError = ErrnoText(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd.fFd, &st) != 0) {
    vError = ErrnoText(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    vError = ErrnoText(EISDIR);
    return false;
  }
  auto impl = std::make_unique<TImpl>();
  const auto length = static_cast<std::size_t>(st.st_size);
  if (length > 0) {
    impl->fView = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd.fFd, 0);
    if (impl->fView != MAP_FAILED) impl->fLength = length;
  }
  if (impl->fView == MAP_FAILED) {
    char buf[65536];
    for (;;) {
      const ssize_t n = ::read(fd.fFd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        vError = ErrnoText(errno);
        return false;
      }
      if (n == 0) break;
      impl->fCopy.append(buf, static_cast<std::size_t>(n));
    }
    fData = reinterpret_cast<const std::uint8_t*>(impl->fCopy.data());
    fSize = impl->fCopy.size();
  } else {
    fData = static_cast<const std::uint8_t*>(impl->fView);
    fSize = impl->fLength;
  }
  fImpl = std::move(impl);
  return true;
}

}  // namespace corvane
