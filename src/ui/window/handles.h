// Small move-only owners of Win32 handles and GDI objects; each closes in its destructor.
#pragma once

#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <utility>

namespace corvane {

template <typename H, typename Traits>
class TOwned {
 public:
  TOwned() = default;
  explicit TOwned(H vHandle) : fHandle(vHandle) {}
  TOwned(TOwned&& v) noexcept : fHandle(std::exchange(v.fHandle, Traits::Null())) {}
  TOwned& operator=(TOwned&& v) noexcept {
    if (this != &v) Reset(std::exchange(v.fHandle, Traits::Null()));
    return *this;
  }
  TOwned(const TOwned&) = delete;
  TOwned& operator=(const TOwned&) = delete;
  ~TOwned() { Reset(); }

  H Get() const { return fHandle; }
  explicit operator bool() const { return fHandle != Traits::Null(); }
  void Reset(H vHandle = Traits::Null()) {
    if (fHandle != Traits::Null()) Traits::Close(fHandle);
    fHandle = vHandle;
  }
  H Release() { return std::exchange(fHandle, Traits::Null()); }

 private:
  H fHandle = Traits::Null();
};

struct THandleTraits {
  static HANDLE Null() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct TGdiTraits {
  static HGDIOBJ Null() { return nullptr; }
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct TViewTraits {
  static void* Null() { return nullptr; }
  static void Close(void* h) { UnmapViewOfFile(h); }
};
struct TImageListTraits {
  static HIMAGELIST Null() { return nullptr; }
  static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
struct TAccelTraits {
  static HACCEL Null() { return nullptr; }
  static void Close(HACCEL h) { DestroyAcceleratorTable(h); }
};

using TOwnedHandle = TOwned<HANDLE, THandleTraits>;
using TGdiObject = TOwned<HGDIOBJ, TGdiTraits>;
using TMappedView = TOwned<void*, TViewTraits>;
using TOwnedImageList = TOwned<HIMAGELIST, TImageListTraits>;
using TOwnedAccel = TOwned<HACCEL, TAccelTraits>;

// Selects an object into a device context for one scope.
class TSelect {
 public:
  TSelect(HDC vDC, HGDIOBJ vObject) : fDC(vDC), fOld(SelectObject(vDC, vObject)) {}
  ~TSelect() { SelectObject(fDC, fOld); }
  TSelect(const TSelect&) = delete;
  TSelect& operator=(const TSelect&) = delete;

 private:
  HDC fDC;
  HGDIOBJ fOld;
};

}  // namespace corvane
