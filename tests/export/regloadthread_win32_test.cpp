// Win32 only: the export-file loader reads files in folders whose names the ANSI code page
// cannot spell.
#include <gtest/gtest.h>

#include "export/regloadthread.h"
#include "search/regexport.h"
#include "support/printers.h"
#include "support/widefolders.h"

namespace corvane {
namespace {

TEST(RegLoadThreadWin32, LoadsFromFoldersWithNamesBeyondAscii) {
  TMemRegistry source;
  source.SetText(kHKCU, u"Software\\Caf\u00e9", u"Gr\u00fc\u00dfe",
                 u"\u3053\u3093\u306b\u3061\u306f");
  source.SetDword(kHKCU, u"Software\\Caf\u00e9", u"Count", 7);
  test::TWideFolders folders;
  const std::vector<TText> paths = folders.WriteEach(u"hits.reg", SaveRegExport(source));
  ASSERT_EQ(paths.size(), 2u);
  for (const TText& path : paths) {
    SCOPED_TRACE(ToUtf8(path));
    TGuiSync sync;
    TRegLoadThread t(path, sync, nullptr);
    t.Start();
    t.WaitFor();
    ASSERT_EQ(t.Outcome(), TRegLoadThread::loDone) << ToUtf8(t.Error());
    EXPECT_EQ(t.Path(), path);
    std::unique_ptr<TMemRegistry> reg = t.TakeRegistry();
    ASSERT_TRUE(reg);
    TMemKey* key = reg->Find(kHKCU, u"Software\\Caf\u00e9");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->fValues.size(), 2u);
    EXPECT_EQ(key->fValues[0].fName, u"Gr\u00fc\u00dfe");
    EXPECT_EQ(key->fValues[0].fData, source.Find(kHKCU, u"Software\\Caf\u00e9")->fValues[0].fData);
    EXPECT_EQ(key->fValues[1].fName, u"Count");
    EXPECT_EQ(key->fValues[1].fData, (std::vector<std::uint8_t>{7, 0, 0, 0}));
  }
}

}  // namespace
}  // namespace corvane
