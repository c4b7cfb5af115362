#include <gtest/gtest.h>

#include "app/find/findcli.h"
#include "search/memregistry.h"

namespace corvane::find {
namespace {

struct TCapture {
  std::string fOut, fErr;
  std::atomic<bool> fStop{false};
  TFindIo Io(TMemRegistry& reg) {
    TFindIo io;
    io.fOut = [this](const std::string& s) { fOut += s; };
    io.fErr = [this](const std::string& s) { fErr += s; };
    io.fLiveRegistry = reg.Factory();
    io.fStopRequest = &fStop;
    return io;
  }
};

int RunWith(TMemRegistry& reg, TCapture& cap, std::vector<TText> args) {
  TFindIo io = cap.Io(reg);
  return RunFind(args, io);
}

TEST(FindArgs, OptionsAndErrors) {
  TFindOptions o;
  std::string err;
  ASSERT_TRUE(ParseArgs({u"-m", u"0x10", u"--case", u"--json", u"needle"}, o, err));
  EXPECT_EQ(o.fMaxRslt, 16);
  EXPECT_TRUE(o.fDatCase);
  EXPECT_TRUE(o.fJson);
  EXPECT_EQ(o.fText, u"needle");

  TFindOptions dash;
  ASSERT_TRUE(ParseArgs({u"--", u"-x-"}, dash, err));
  EXPECT_EQ(dash.fText, u"-x-");

  for (const auto& bad : std::vector<std::vector<TText>>{
           {}, {u"a", u"b"}, {u"--max"}, {u"--max", u"0", u"a"}, {u"--max", u"ten", u"a"},
           {u"--bogus", u"a"}, {u""}}) {
    TFindOptions x;
    err.clear();
    EXPECT_FALSE(ParseArgs(bad, x, err));
    EXPECT_FALSE(err.empty());
  }
}

TEST(FindOutput, HitBlockJsonAndEndTexts) {
  const TResult hit(u"HKEY_CURRENT_USER\\run", u"", u"a\"b\\c\u00e9", 19, 0, 1, 3, 0, 1, kHKCU);
  EXPECT_EQ(ToUtf8(HitLines(hit)),
            "Key: HKEY_CURRENT_USER\\[run]\nVal: (default)\nDat: [a]\"b\\c\u00e9\n");
  EXPECT_EQ(HitJson(hit),
            "{\"root\":2147483649,\"key\":\"HKEY_CURRENT_USER\\\\run\",\"value\":\"\","
            "\"data\":\"a\\\"b\\\\c\u00e9\",\"keyStart\":19,\"valueStart\":0,\"dataStart\":1,"
            "\"keyLength\":3,\"valueLength\":0,\"dataLength\":1}\n");
  const TResult ctl(u"K", TText(u"a\x01", 2), u"d", 0, 0, 0, 0, 0, 0, kHKLM);
  EXPECT_NE(HitJson(ctl).find("\"a\\u0001\""), std::string::npos);
  EXPECT_EQ(EndText(stFinished, 3), u"Found 3 items");
  EXPECT_EQ(EndText(stOverflow, 10), u"Found 10 items (the maximum)");
  EXPECT_EQ(EndText(stStopped, 2), u"Found 2 items before being stopped");
  EXPECT_EQ(EndText(stWorking, 2), u"Found 2 items before being stopped");
}

TEST(FindRun, ExitCodesFollowTheOutcome) {
  TMemRegistry reg;
  for (int i = 0; i < 5; ++i)
    reg.SetText(kHKCU, u"K", u"needle" + FromUtf8(std::to_string(i)), u"x");
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"needle"}), kExitFound);
    EXPECT_NE(cap.fOut.find("Val: [needle]0"), std::string::npos);
    EXPECT_EQ(cap.fOut.substr(cap.fOut.size() - 14), "Found 5 items\n");
  }
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"-m", u"2", u"needle"}), kExitFound);
    EXPECT_NE(cap.fOut.find("Found 2 items (the maximum)\n"), std::string::npos);
  }
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"haystack"}), kExitNothing);
    EXPECT_EQ(cap.fOut, "Found 0 items\n");
  }
  {
    // Ctrl+C after the first hit: the key in hand finishes its current value.
    TCapture cap;
    TFindIo io = cap.Io(reg);
    io.fOut = [&](const std::string& s) {
      cap.fOut += s;
      cap.fStop = true;
    };
    EXPECT_EQ(RunFind({u"needle"}, io), kExitStopped);
    EXPECT_NE(cap.fOut.find("before being stopped\n"), std::string::npos);
  }
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"--file", u"/nonexistent/x.reg", u"needle"}), kExitInput);
    EXPECT_NE(cap.fErr.find("x.reg"), std::string::npos);
  }
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"--help"}), kExitFound);
    EXPECT_NE(cap.fOut.find("Exit codes:"), std::string::npos);
  }
}

}  // namespace
}  // namespace corvane::find
