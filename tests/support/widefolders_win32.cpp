#include "support/widefolders.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "text/wide.h"

namespace corvane::test {

TWideFolders::TWideFolders() {
  wchar_t tmp[MAX_PATH] = {};
  EXPECT_NE(GetTempPathW(MAX_PATH, tmp), 0u);
  static int serial = 0;
  fBase = FromW(tmp) + u"corvane-wide-" + FromUtf8(std::to_string(GetCurrentProcessId())) + u"-" +
          FromUtf8(std::to_string(++serial));
  EXPECT_TRUE(CreateDirectoryW(W(fBase), nullptr)) << ToUtf8(fBase);
  for (const char16_t* name : {u"Donn\u00e9es", u"\u30c6\u30b9\u30c8"}) {
    fFolders.push_back(fBase + u"\\" + name);
    EXPECT_TRUE(CreateDirectoryW(W(fFolders.back()), nullptr)) << ToUtf8(fFolders.back());
  }
}

TWideFolders::~TWideFolders() {
  for (const TText& f : fFiles) DeleteFileW(W(f));
  for (const TText& d : fFolders) RemoveDirectoryW(W(d));
  RemoveDirectoryW(W(fBase));
}

std::vector<TText> TWideFolders::WriteEach(const TText& vName, std::string_view vBytes) {
  std::vector<TText> written;
  for (const TText& folder : fFolders) {
    const TText path = folder + u"\\" + vName;
    const HANDLE f = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(f, INVALID_HANDLE_VALUE) << ToUtf8(path);
    if (f == INVALID_HANDLE_VALUE) continue;
    DWORD put = 0;
    EXPECT_TRUE(WriteFile(f, vBytes.data(), DWORD(vBytes.size()), &put, nullptr) &&
                put == vBytes.size())
        << ToUtf8(path);
    CloseHandle(f);
    fFiles.push_back(path);
    written.push_back(path);
  }
  return written;
}

}  // namespace corvane::test
