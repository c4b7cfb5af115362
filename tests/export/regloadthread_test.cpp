// The export-file loader on its worker thread: progress on the test's thread (acting as the
// GUI thread), cancel, and the failures that leave nothing behind.
#include "export/regloadthread.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "search/regexport.h"
#include "support/printers.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class RegLoadThread : public testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("corvane-load-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  // An export of vKeys keys with 10 values each.
  TText Write(const char* vName, int vKeys) {
    TMemRegistry reg;
    for (int k = 0; k < vKeys; ++k)
      for (int v = 0; v < 10; ++v)
        reg.SetText(kHKLM, u"Software\\K" + FromUtf8(std::to_string(k)),
                    u"v" + FromUtf8(std::to_string(v)), u"some data to make the file longer");
    return Write(vName, SaveRegExport(reg));
  }
  TText Write(const char* vName, const std::string& vBytes) {
    std::ofstream(dir / vName, std::ios::binary) << vBytes;
    return (dir / vName).u16string();
  }
  // Runs the load to its end and returns the outcome its end notification saw.
  TRegLoadThread::TOutcome Run(TRegLoadThread& vThread) {
    TRegLoadThread::TOutcome seen = TRegLoadThread::loLoading;
    vThread.OnTerminate = [&](TThread&) {
      seen = vThread.Outcome();
      ++ends;
    };
    vThread.Start();
    vThread.WaitFor();
    return seen;
  }

  fs::path dir;
  TGuiSync sync;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
  int ends = 0;
  TRegLoadThread::TLoadProgProc Record() {
    return [this](std::uint64_t d, std::uint64_t t) {
      EXPECT_TRUE(sync.OnGuiThread());
      progress.emplace_back(d, t);
    };
  }
};

TEST_F(RegLoadThread, ProgressRunsOnTheGuiThreadFromStartToEnd) {
  const TText path = Write("big.reg", 500);
  const std::uint64_t size = fs::file_size(dir / "big.reg");
  TRegLoadThread t(path, sync, Record(), PlatformFiles(), 4096);
  ASSERT_EQ(Run(t), TRegLoadThread::loDone);
  EXPECT_EQ(ends, 1);
  ASSERT_GT(progress.size(), size / 4096 / 2);
  EXPECT_EQ(progress.front(), std::make_pair(std::uint64_t(0), size));
  EXPECT_EQ(progress.back(), std::make_pair(size, size));
  for (std::size_t i = 1; i < progress.size(); ++i) {
    EXPECT_LE(progress[i - 1].first, progress[i].first);
    EXPECT_LE(progress[i].first - progress[i - 1].first, 4096u + 200u);  // a step and a line
  }
  std::unique_ptr<TMemRegistry> reg = t.TakeRegistry();
  ASSERT_TRUE(reg);
  EXPECT_EQ(reg->ValueCount(), 5000u);
  EXPECT_FALSE(t.TakeRegistry());
}

TEST_F(RegLoadThread, CancelGivesTheLoadUpAndLeavesNothing) {
  const TText path = Write("big.reg", 500);
  const std::uint64_t size = fs::file_size(dir / "big.reg");
  std::unique_ptr<TRegLoadThread> t;
  t = std::make_unique<TRegLoadThread>(
      path, sync,
      [&](std::uint64_t d, std::uint64_t s) {
        progress.emplace_back(d, s);
        if (progress.size() == 3) t->Terminate();
      },
      PlatformFiles(), 4096);
  EXPECT_EQ(Run(*t), TRegLoadThread::loCancelled);
  EXPECT_EQ(progress.size(), 3u);  // no report after the cancel
  EXPECT_LT(progress.back().first, size);
  EXPECT_FALSE(t->TakeRegistry());

  // Cancelled before it starts: it reads the file and gives up before the first report.
  progress.clear();
  TRegLoadThread early(path, sync, Record(), PlatformFiles(), 4096);
  early.Terminate();
  EXPECT_EQ(Run(early), TRegLoadThread::loCancelled);
  EXPECT_TRUE(progress.empty());
}

TEST_F(RegLoadThread, FailuresCarryTheirTextAndLeaveNothing) {
  const std::string bad =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:1\r\n"
      "\"y\"=what\r\n";
  TRegLoadThread malformed(Write("bad.reg", bad), sync, Record());
  EXPECT_EQ(Run(malformed), TRegLoadThread::loMalformed);
  EXPECT_EQ(malformed.ErrorLine(), 5);
  EXPECT_EQ(ToUtf8(malformed.Error()).substr(0, 8), "line 5: ");
  EXPECT_FALSE(malformed.TakeRegistry());
  EXPECT_NE(progress.back().first, progress.back().second);  // never reported as complete

  TRegLoadThread missing((dir / "none.reg").u16string(), sync, Record());
  EXPECT_EQ(Run(missing), TRegLoadThread::loOpenFailed);
  EXPECT_FALSE(missing.Error().empty());
  EXPECT_FALSE(missing.TakeRegistry());
  EXPECT_TRUE(fs::equivalent(fs::path(missing.Path()).parent_path(), dir));
}

}  // namespace
}  // namespace corvane
