// Small move-only owners of Win32 handles: kernel handles (processes, threads, files,
// mappings), registry keys, GDI objects and device contexts, mapped views, image lists and
// accelerator tables. Each closes what it owns in its destructor; Close() says whether the
// system closed it (a file written through the handle is complete only then).
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
  // Closes now; false when the system refused (nothing owned: true).
  bool Close() {
    const bool ok = fHandle == Traits::Null() || Traits::Close(fHandle);
    fHandle = Traits::Null();
    return ok;
  }
  H Release() { return std::exchange(fHandle, Traits::Null()); }

 private:
  H fHandle = Traits::Null();
};

struct THandleTraits {
  static HANDLE Null() { return nullptr; }
  static bool Close(HANDLE h) { return CloseHandle(h) != FALSE; }
};
// CreateFileW's handles, whose "none" is INVALID_HANDLE_VALUE.
struct TFileTraits {
  static HANDLE Null() { return INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE h) { return CloseHandle(h) != FALSE; }
};
struct TRegKeyTraits {
  static HKEY Null() { return nullptr; }
  static bool Close(HKEY h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};
struct TGdiTraits {
  static HGDIOBJ Null() { return nullptr; }
  static bool Close(HGDIOBJ h) { return DeleteObject(h) != FALSE; }
};
struct TMemoryDCTraits {
  static HDC Null() { return nullptr; }
  static bool Close(HDC h) { return DeleteDC(h) != FALSE; }
};
struct TViewTraits {
  static void* Null() { return nullptr; }
  static bool Close(void* h) { return UnmapViewOfFile(h) != FALSE; }
};
struct TImageListTraits {
  static HIMAGELIST Null() { return nullptr; }
  static bool Close(HIMAGELIST h) { return ImageList_Destroy(h) != FALSE; }
};
struct TAccelTraits {
  static HACCEL Null() { return nullptr; }
  static bool Close(HACCEL h) { return DestroyAcceleratorTable(h) != FALSE; }
};

using TOwnedHandle = TOwned<HANDLE, THandleTraits>;
using TOwnedFile = TOwned<HANDLE, TFileTraits>;
using TRegKey = TOwned<HKEY, TRegKeyTraits>;
using TMemoryDC = TOwned<HDC, TMemoryDCTraits>;
using TGdiObject = TOwned<HGDIOBJ, TGdiTraits>;
using TMappedView = TOwned<void*, TViewTraits>;
using TOwnedImageList = TOwned<HIMAGELIST, TImageListTraits>;
using TOwnedAccel = TOwned<HACCEL, TAccelTraits>;

// A window's device context (GetDC), released (ReleaseDC) at the end of the scope.
class TWindowDC {
 public:
  explicit TWindowDC(HWND vWnd) : fWnd(vWnd), fDC(GetDC(vWnd)) {}
  ~TWindowDC() {
    if (fDC) ReleaseDC(fWnd, fDC);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return fDC; }
  explicit operator bool() const { return fDC != nullptr; }

 private:
  HWND fWnd;
  HDC fDC;
};

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
