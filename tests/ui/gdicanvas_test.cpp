#include "ui/gdicanvas.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/wrapped.h"

namespace corvane {
namespace {

constexpr int kBitmapWidth = 400, kBitmapHeight = 400;

// A memory DC over a white 32-bit DIB, drawing black on a transparent background.
class GdiCanvas : public testing::Test {
 protected:
  void SetUp() override {
    fDC = CreateCompatibleDC(nullptr);
    ASSERT_NE(fDC, nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = kBitmapWidth;
    bi.bmiHeader.biHeight = -kBitmapHeight;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    fBitmap = CreateDIBSection(fDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(fBitmap, nullptr);
    fPixels = static_cast<std::uint32_t*>(bits);
    std::memset(fPixels, 0xFF, sizeof(std::uint32_t) * kBitmapWidth * kBitmapHeight);
    fOldBitmap = SelectObject(fDC, fBitmap);
    SetTextColor(fDC, RGB(0, 0, 0));
    SetBkMode(fDC, TRANSPARENT);
    fArial = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, L"Arial");
    ASSERT_NE(fArial, nullptr);
  }
  void TearDown() override {
    if (fOldBitmap) SelectObject(fDC, fOldBitmap);
    if (fBitmap) DeleteObject(fBitmap);
    if (fArial) DeleteObject(fArial);
    if (fDC) DeleteDC(fDC);
  }
  bool Ink(int x, int y) const { return (fPixels[y * kBitmapWidth + x] & 0xFFFFFF) != 0xFFFFFF; }

  HDC fDC = nullptr;
  HBITMAP fBitmap = nullptr;
  HGDIOBJ fOldBitmap = nullptr;
  HFONT fArial = nullptr;
  std::uint32_t* fPixels = nullptr;
};

std::wstring Face(HDC vDC) {
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(vDC, LF_FACESIZE, face);
  return face;
}

TEST_F(GdiCanvas, LongKeyPathMeasuredAndPaintedAlike) {
  const TText path =
      u"HKEY_LOCAL_MACHINE\\software\\microsoft\\windows nt\\currentversion\\appcompatflags\\"
      u"compatibility assistant\\store\\c:\\program files\\example tools\\bin\\tool-x64.exe";
  const std::int32_t start = std::int32_t(Pos(u"currentversion", path));
  const TRect rect{0, 0, 300, 0};
  const HGDIOBJ entryFont = GetCurrentObject(fDC, OBJ_FONT);
  {
    TGdiCanvas canvas(fDC, fArial);
    const std::wstring face = Face(fDC);
    EXPECT_TRUE(face == L"Arial" || face == L"Liberation Sans")
        << "face: " << ToUtf8(TText(reinterpret_cast<const char16_t*>(face.c_str())));
    EXPECT_EQ(canvas.FontStyle(), fsNone);
    const std::int32_t lineHeight = canvas.TextHeight(path) + 2;
    EXPECT_GE(lineHeight, 14);

    const std::int32_t measured =
        DrawWrapped(false, canvas, rect, path, WordSeparators, start, 14, 18, fsBold | fsUnderline);
    EXPECT_EQ(GetCurrentObject(fDC, OBJ_FONT), fArial);
    const std::int32_t painted =
        DrawWrapped(true, canvas, rect, path, WordSeparators, start, 14, 18, fsBold | fsUnderline);
    EXPECT_EQ(measured, painted);
    EXPECT_EQ(painted % lineHeight, 0);
    EXPECT_GE(painted / lineHeight, 3);
    EXPECT_LT(painted, kBitmapHeight);
    EXPECT_EQ(GetCurrentObject(fDC, OBJ_FONT), fArial);
    EXPECT_EQ(canvas.FontStyle(), fsNone);

    // Ink on every line, and none outside the usable width or below the measured height.
    int inkOutside = 0;
    std::vector<bool> lineInked(std::size_t(painted / lineHeight), false);
    for (int y = 0; y < kBitmapHeight; ++y)
      for (int x = 0; x < kBitmapWidth; ++x) {
        if (!Ink(x, y)) continue;
        if (x >= rect.fRight - 1 || y >= painted)
          ++inkOutside;
        else
          lineInked[std::size_t(y / lineHeight)] = true;
      }
    EXPECT_EQ(inkOutside, 0);
    for (std::size_t i = 0; i < lineInked.size(); ++i) EXPECT_TRUE(lineInked[i]) << "line " << i;
  }
  EXPECT_EQ(GetCurrentObject(fDC, OBJ_FONT), entryFont);
}

TEST_F(GdiCanvas, StylesAreFontsOfTheSameFaceAndAreDeleted) {
  const HGDIOBJ entryFont = GetCurrentObject(fDC, OBJ_FONT);
  HGDIOBJ styled = nullptr, italic = nullptr;
  {
    TGdiCanvas canvas(fDC, fArial);
    const std::wstring face = Face(fDC);
    const std::int32_t plain = canvas.TextWidth(u"Software");
    EXPECT_GT(plain, 0);
    EXPECT_EQ(canvas.TextWidth(u""), 0);

    canvas.SetFontStyle(fsBold | fsUnderline);
    EXPECT_EQ(canvas.FontStyle(), fsBold | fsUnderline);
    styled = GetCurrentObject(fDC, OBJ_FONT);
    EXPECT_NE(styled, fArial);
    LOGFONTW log{};
    ASSERT_EQ(GetObjectW(styled, sizeof(log), &log), int(sizeof(log)));
    EXPECT_EQ(log.lfWeight, FW_BOLD);
    EXPECT_TRUE(log.lfUnderline);
    EXPECT_FALSE(log.lfItalic);
    EXPECT_EQ(log.lfHeight, -13);
    EXPECT_EQ(Face(fDC), face);
    EXPECT_GT(canvas.TextWidth(u"Software"), plain);

    // Back to plain selects the caller's font again; a style asked for twice is one font.
    canvas.SetFontStyle(fsNone);
    EXPECT_EQ(GetCurrentObject(fDC, OBJ_FONT), fArial);
    canvas.SetFontStyle(fsBold | fsUnderline);
    EXPECT_EQ(GetCurrentObject(fDC, OBJ_FONT), styled);
    canvas.SetFontStyle(fsItalic);
    italic = GetCurrentObject(fDC, OBJ_FONT);
    EXPECT_NE(italic, styled);
    // Left in a style of its own: the canvas still restores the context and deletes both.
  }
  EXPECT_EQ(GetCurrentObject(fDC, OBJ_FONT), entryFont);
  EXPECT_EQ(GetObjectType(styled), 0u);
  EXPECT_EQ(GetObjectType(italic), 0u);
  EXPECT_EQ(GetObjectType(fArial), DWORD(OBJ_FONT));
}

TEST_F(GdiCanvas, BoldEntryFontIsLeftPlainAndRestoredByTheCanvas) {
  LOGFONTW log{};
  GetObjectW(fArial, sizeof(log), &log);
  log.lfWeight = FW_BOLD;
  HFONT bold = CreateFontIndirectW(&log);
  ASSERT_NE(bold, nullptr);
  const HGDIOBJ entryFont = SelectObject(fDC, bold);
  {
    TGdiCanvas canvas(fDC);
    EXPECT_EQ(canvas.FontStyle(), fsBold);
    DrawWrapped(true, canvas, TRect{0, 0, 300, 0}, u"Software\\Classes", WordSeparators, 0, 0, 18,
                fsBold | fsUnderline);
    EXPECT_EQ(canvas.FontStyle(), fsNone);
    LOGFONTW now{};
    GetObjectW(GetCurrentObject(fDC, OBJ_FONT), sizeof(now), &now);
    EXPECT_EQ(now.lfWeight, FW_NORMAL);
  }
  EXPECT_EQ(GetCurrentObject(fDC, OBJ_FONT), bold);
  SelectObject(fDC, entryFont);
  DeleteObject(bold);
}

}  // namespace
}  // namespace corvane
