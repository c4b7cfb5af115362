// The bytes of a whole file, read-only: mapped into memory where the system maps it (POSIX
// mmap, a Win32 file mapping), read into memory where it does not (an empty file, a file
// system that refuses mappings). The bytes stay valid while the object lives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "text/text.h"

namespace corvane {

class TMappedFile {
 public:
  TMappedFile();
  TMappedFile(TMappedFile&&) noexcept;
  TMappedFile& operator=(TMappedFile&&) noexcept;
  TMappedFile(const TMappedFile&) = delete;
  TMappedFile& operator=(const TMappedFile&) = delete;
  ~TMappedFile();

  // Opens vPath (others may still read and write it); on failure vError receives the
  // system's error text and the object holds nothing.
  [[nodiscard]] bool Open(const TText& vPath, TText& vError);

  const std::uint8_t* Data() const { return fData; }
  std::size_t Size() const { return fSize; }
  bool Mapped() const;

 private:
  struct TImpl;  // the platform's handles, or the bytes read
  std::unique_ptr<TImpl> fImpl;
  const std::uint8_t* fData = nullptr;
  std::size_t fSize = 0;
};

}  // namespace corvane
