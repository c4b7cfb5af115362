// Under Wine: the platform's version information read through GetFileVersionInfoW, from an
// executable of ours (its resources come from res/corvane.rc) and from files without any.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "about/verres.h"
#include "support/printers.h"

namespace corvane {
namespace {

// The build passes a Unix path; Wine shows the Unix root as drive Z:.
TText WinePath(const std::string& vUnix) {
  TText path = FromUtf8(vUnix);
  for (char16_t& c : path)
    if (c == u'/') c = u'\\';
  return vUnix.starts_with("/") ? u"Z:" + path : path;
}

TEST(VerInfoWin32, OurExecutable) {
  const TVerInfoObj info(WinePath(CORVANE_VERSIONED_EXE));
  ASSERT_EQ(info.Status(), vsTables);
  EXPECT_TRUE(info.Unicode());
  EXPECT_EQ(info.FileVersion(), u"1.0.0.4");
  EXPECT_EQ(info.ProductVersion(), u"1.0.0.0");
  EXPECT_EQ(info.FileTypeS(), u"APP");
  EXPECT_EQ(info.VFFI().dwFileFlags, 0u);
  EXPECT_EQ(info.LangCount(), 1);
  EXPECT_EQ(info.GetLanguage(0), u"040904E4");
  TText report;
  EXPECT_FALSE(info.LangProb(report));  // the translation names the same table
  EXPECT_EQ(info.GetValue(u"ProductName"), u"Corvane");
  EXPECT_EQ(info.GetValue(u"FileVersion"), u"1.0.0.4");
  EXPECT_EQ(info.GetValue(u"ProductVersion"), u"1.0.0.0");
  for (const char16_t* key :
       {u"CompanyName", u"FileDescription", u"InternalName", u"LegalCopyright"})
    EXPECT_NE(info.GetValue(key), u"") << ToUtf8(key);
  EXPECT_EQ(info.GetValue(u"Comments"), u"");
  EXPECT_EQ(info.Count(), 7);
}

TEST(VerInfoWin32, FilesWithoutVersionInformation) {
  wchar_t windows[MAX_PATH];
  ASSERT_NE(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  const TText dir = TText(reinterpret_cast<const char16_t*>(windows));
  for (const TText& path : {dir + u"\\win.ini", dir + u"\\no-such-file.exe"}) {
    const TVerInfoObj info(path);
    EXPECT_EQ(info.Status(), vsNoInfo) << ToUtf8(path);
    EXPECT_EQ(info.FileTypeS(), u"UNKNOWN");
    EXPECT_EQ(info.FileVersion() + info.GetValue(u"FileVersion"), u"");
  }
}

}  // namespace
}  // namespace corvane
