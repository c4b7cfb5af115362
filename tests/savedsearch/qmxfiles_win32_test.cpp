// Win32 only: a file open elsewhere without sharing, and a read-only file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "savedsearch/qmxfile.h"
#include "text/wide.h"
#include "support/printers.h"

namespace corvane {
namespace {

class QmxWin32Files : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, tmp), 0u);
    dir = TText(reinterpret_cast<const char16_t*>(tmp)) + u"corvane-qmx-" +
          FromUtf8(std::to_string(GetCurrentProcessId()));
    CreateDirectoryW(W(dir), nullptr);
    path = dir + u"\\a.QMX";
    saved.fKeyRows = {{0, 0, u"Run"}};
    SaveQmxFile(path, saved);
    changed = saved;
    changed.fKeyAll = true;
  }
  void TearDown() override {
    SetFileAttributesW(W(path), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(W(path));
    EXPECT_TRUE(RemoveDirectoryW(W(dir)));  // fails if a temporary file was left behind
  }
  std::string Failure(const std::function<void()>& vOp) {
    try {
      vOp();
    } catch (const TQmxError& e) {
      return e.what();
    }
    return {};
  }
  void ExpectUnchanged() {
    TSearchCriteria read;
    LoadQmxFile(path, read);
    EXPECT_EQ(read, saved);
  }

  TText dir, path;
  TSearchCriteria saved, changed;
};

TEST_F(QmxWin32Files, AFileOpenElsewhereIsNeitherReadNorReplaced) {
  const HANDLE other = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  TSearchCriteria read;
  EXPECT_EQ(Failure([&] {
              LoadQmxFile(path, read);
            }).rfind("Datei " + ToUtf8(path) + " kann nicht ge\u00f6ffnet werden. ", 0),
            0u);
  EXPECT_EQ(Failure([&] {
              SaveQmxFile(path, changed);
            }).rfind("Datei \"" + ToUtf8(path) + "\" kann nicht erstellt werden. ", 0),
            0u);
  CloseHandle(other);
  ExpectUnchanged();
}

TEST_F(QmxWin32Files, AReadOnlyFileStaysAsItWas) {
  ASSERT_TRUE(SetFileAttributesW(W(path), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Failure([&] {
              SaveQmxFile(path, changed);
            }).rfind("Datei \"" + ToUtf8(path) + "\" kann nicht erstellt werden. ", 0),
            0u);
  ExpectUnchanged();
}

}  // namespace
}  // namespace corvane
