// The texts of searching an export file: the caption that says what is searched, the load's
// progress and its outcomes.
#include "ui/regfile/regfilelogic.h"

#include <gtest/gtest.h>

#include "support/printers.h"

namespace corvane {
namespace {

TEST(RegFileTexts, TheCaptionNamesTheFileSearched) {
  EXPECT_EQ(SearchedCaption(false, u""), u"Corvane");
  EXPECT_EQ(SearchedCaption(false, u"C:\\x\\old.reg"), u"Corvane");
  EXPECT_EQ(SearchedCaption(true, u"C:\\exports\\machine.reg"), u"Corvane - machine.reg");
  EXPECT_EQ(SearchedCaption(true, u"machine.reg"), u"Corvane - machine.reg");
  EXPECT_EQ(FileNameOf(u"/tmp/a.reg"), u"a.reg");
}

TEST(RegFileTexts, ProgressRunsFromZeroToAHundredPercent) {
  EXPECT_EQ(LoadProgressText(u"C:\\e\\m.reg", 0, 200), u"Loading m.reg: 0% (Esc cancels)");
  EXPECT_EQ(LoadProgressText(u"C:\\e\\m.reg", 199, 200), u"Loading m.reg: 99% (Esc cancels)");
  EXPECT_EQ(LoadProgressText(u"C:\\e\\m.reg", 200, 200), u"Loading m.reg: 100% (Esc cancels)");
  EXPECT_EQ(LoadProgressText(u"m.reg", 0, 0), u"Loading m.reg: 100% (Esc cancels)")
      << "an empty file";
  EXPECT_EQ(LoadProgressText(u"m.reg", 5, 3), u"Loading m.reg: 100% (Esc cancels)");
  // A file of 100 GB does not overflow the arithmetic.
  EXPECT_EQ(LoadProgressText(u"m.reg", 50'000'000'000ull, 100'000'000'000ull),
            u"Loading m.reg: 50% (Esc cancels)");
}

TEST(RegFileTexts, FailuresNameTheFileAndKeepTheLoadersText) {
  EXPECT_EQ(LoadFailedText(TRegLoadThread::loMalformed, u"C:\\m.reg", u"line 3: unexpected text"),
            u"The file C:\\m.reg is not a registry export that can be read: line 3: unexpected "
            u"text");
  EXPECT_EQ(LoadFailedText(TRegLoadThread::loOpenFailed, u"C:\\m.reg", u"Access denied."),
            u"The file C:\\m.reg could not be opened: Access denied.");
  EXPECT_EQ(LoadFailedText(TRegLoadThread::loReadFailed, u"C:\\m.reg", u"not enough memory"),
            u"The file C:\\m.reg could not be read: not enough memory");
  EXPECT_EQ(LoadDoneText(u"C:\\m.reg", 12, 34),
            u"Searching the export file C:\\m.reg (12 keys, 34 values)");
}

}  // namespace
}  // namespace corvane
