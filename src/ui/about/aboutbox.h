// TAboutForm: the modal About dialog: the program's title and file version (a pre-release in
// red), the copyright and comment lines, the About picture and a link to the web site.
#pragma once

#include <windows.h>

#include <atomic>

#include "about/abouttexts.h"
#include "ui/window/dpi.h"
#include "win32/handles.h"

namespace corvane {

// Control identifiers, shared with the GUI tests.
namespace aboutids {
inline constexpr int btnAboutOK = IDOK;
inline constexpr int Panel1 = 1001;
inline constexpr int lnklbl1 = 1002;
inline constexpr int lblVersion = 1003;
inline constexpr int lblCopyright = 1004;
inline constexpr int lblcomment = 1005;
inline constexpr int lblRights = 1006;
}  // namespace aboutids

class TAboutForm {
 public:
  TAboutForm() = default;
  TAboutForm(const TAboutForm&) = delete;
  TAboutForm& operator=(const TAboutForm&) = delete;

  // Shows the dialog owned by vOwner until OK, Enter or Esc closes it.
  void ShowModal(HWND vOwner);

  const TVersionTexts& Texts() const { return fTexts; }
  // The picture shown: the "AboutMe" bitmap, or the application's icon without it.
  bool ShowsIcon() const { return fShowsIcon; }

 private:
  static INT_PTR CALLBACK DlgProc(HWND vDlg, UINT vMsg, WPARAM wParam, LPARAM lParam) noexcept;
  INT_PTR Handle(UINT vMsg, WPARAM wParam, LPARAM lParam);
  void FormCreate();
  void GetVersionTexts();
  void Panel1Paint(const DRAWITEMSTRUCT& vItem);
  void lnklbl1LinkClick(const wchar_t* vLink);
  HWND Label(int vId, const TText& vText, int vX, int vY, int vW, int vH);

  HWND fDlg = nullptr;
  TVersionTexts fTexts;
  int S(int v) const { return fScale(v); }
  TScale fScale;
  TGdiObject fFont;
  TGdiObject fPicture;    // the "AboutMe" bitmap
  HICON fIcon = nullptr;  // shared, not destroyed
  std::atomic<bool> fShowsIcon{false};
};

}  // namespace corvane
