// The Export results command's rules: which format and file a chosen name gives, and the
// status texts that report an export.
#include "ui/export/exportlogic.h"

#include <gtest/gtest.h>

#include "support/printers.h"

namespace corvane {
namespace {

TEST(ExportTarget, AKnownExtensionDecidesWhateverTypeWasChosen) {
  for (int type = 1; type <= 3; ++type) {
    EXPECT_EQ(ExportTarget(u"C:\\out\\hits.reg", type).fFormat, efRegExport) << type;
    EXPECT_EQ(ExportTarget(u"C:\\out\\hits.CSV", type).fFormat, efCsv) << type;
    EXPECT_EQ(ExportTarget(u"C:\\out\\hits.JsonL", type).fFormat, efJsonLines) << type;
    EXPECT_EQ(ExportTarget(u"C:\\out\\hits.json", type).fFormat, efJsonLines) << type;
    EXPECT_EQ(ExportTarget(u"C:\\out\\hits.reg", type).fPath, u"C:\\out\\hits.reg")
        << "the name is kept";
  }
}

TEST(ExportTarget, OtherNamesTakeTheChosenTypeAndItsExtensionWhenTheyHaveNone) {
  EXPECT_EQ(ExportTarget(u"C:\\out\\hits", 2).fPath, u"C:\\out\\hits.jsonl");
  EXPECT_EQ(ExportTarget(u"C:\\out\\hits", 2).fFormat, efJsonLines);
  EXPECT_EQ(ExportTarget(u"C:\\out\\hits", 3).fPath, u"C:\\out\\hits.reg");
  EXPECT_EQ(ExportTarget(u"C:\\out\\hits.txt", 3).fPath, u"C:\\out\\hits.txt");
  EXPECT_EQ(ExportTarget(u"C:\\out\\hits.txt", 3).fFormat, efRegExport);
  // A dot in a folder's name is not the file's extension.
  EXPECT_EQ(ExportTarget(u"C:\\my.reg\\hits", 1).fPath, u"C:\\my.reg\\hits.csv");
  EXPECT_EQ(ExportTarget(u"C:\\my.reg\\hits", 1).fFormat, efCsv);
  // A name that ends in a dot asks for no extension.
  EXPECT_EQ(ExportTarget(u"C:\\out\\hits.", 1).fPath, u"C:\\out\\hits.");
  // A type the dialog did not offer: CSV.
  EXPECT_EQ(ExportTarget(u"hits", 0).fFormat, efCsv);
  EXPECT_EQ(ExportTarget(u"hits", 9).fPath, u"hits.csv");
}

TEST(ExportTexts, TheReportSaysWhatWasWrittenAndWhatWasLeftOut) {
  TExportCounts c;
  c.fHits = 1;
  EXPECT_EQ(ExportDoneText(c, efCsv, u"C:\\a.csv"), u"Exported 1 hit to C:\\a.csv");
  c.fHits = 3000;
  c.fReplaced = 2;
  EXPECT_EQ(ExportDoneText(c, efJsonLines, u"C:\\a.jsonl"),
            u"Exported 3000 hits to C:\\a.jsonl; 2 unpaired surrogates written as U+FFFD");
  TExportCounts r;
  r.fHits = 10;
  r.fKeys = 1;
  r.fValues = 7;
  r.fGone = 2;
  r.fUnwritable = 1;
  EXPECT_EQ(ExportDoneText(r, efRegExport, u"C:\\a.reg"),
            u"Exported 10 hits (1 key, 7 values) to C:\\a.reg; 2 no longer in the registry, left "
            u"out; 1 with a line break in the name, left out");
  EXPECT_EQ(ExportFailedText(u"C:\\a.csv", u"Access denied."),
            u"The results could not be saved to C:\\a.csv: Access denied.");
}

}  // namespace
}  // namespace corvane
