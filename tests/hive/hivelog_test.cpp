// The replay of transaction logs (new format) over dirty hives the test writer made: entries
// that continue the hive applied in order across both logs, damaged entries and sequence
// breaks ending the replay, the copy's growth bounded, and files on disk never changed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "hive/hivelog.h"
#include "hive/hivetree.h"

namespace corvane::test {
namespace {

using TBytes = std::vector<std::uint8_t>;

std::uint32_t Get32(const TBytes& b, std::size_t at) {
  return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) |
         (std::uint32_t(b[at + 2]) << 16) | (std::uint32_t(b[at + 3]) << 24);
}

// A hive written from the sample tree (dirty: its primary sequence number 2, the secondary
// 1), and the same tree with a key added whose values need pages beyond the first hive's.
struct TChange {
  TMemRegistry fReg;  // the tree after the change
  THiveImage fBefore, fAfter;

  TChange() {
    SampleTree(fReg);
    THiveWriterOptions dirty;
    dirty.fDirty = true;
    fBefore = WriteHive(*fReg.Find(kHKLM, u"SOFTWARE"), dirty);
    fReg.SetText(kHKLM, u"SOFTWARE\\Added", u"Logged", u"only in the log");
    fReg.SetValue(kHKLM, u"SOFTWARE\\Added", u"Big", kRegBinary, TBytes(9000, 0x5A));
    fAfter = WriteHive(*fReg.Find(kHKLM, u"SOFTWARE"));
  }

  std::vector<std::string> AfterLines() { return WalkLines(fReg, u"SOFTWARE"); }
};

struct TReplayed {
  THiveReplay fResult;
  TBytes fBytes;
  std::unique_ptr<THiveRegistry> fHive;
};

TReplayed Replay(const THiveImage& vHive, const TBytes& vLog1, const TBytes& vLog2 = {}) {
  TReplayed r;
  r.fResult = ReplayHiveLogs(vHive.fBytes, vLog1, vLog2, r.fBytes);
  if (r.fResult.fEntries > 0) {
    TText error;
    r.fHive = THiveRegistry::FromBytes(r.fBytes, u"SOFTWARE", error);
    EXPECT_TRUE(r.fHive) << ToUtf8(error);
  }
  return r;
}

TEST(HiveLog, Marvin32GivesTheReferenceHashes) {
  struct TCase {
    TBytes fData;
    std::uint64_t fHash;
  };
  const std::uint64_t seed = 0x004FB61A001BDBCCull;
  const TCase cases[] = {
      {{}, 0x30ED35C100CD3C7Dull},
      {{0xAF}, 0x48E73FC77D75DDC1ull},
      {{0xE7, 0x0F}, 0xB5F6E1FC485DBFF8ull},
      {{0x37, 0xF4, 0x95}, 0xF0B07C789B8CF7E8ull},
      {{0x86, 0x42, 0xDC, 0x59}, 0x7008F2E87E9CF556ull},
      {{0x15, 0x3F, 0xB7, 0x98, 0x26}, 0xE6C08C6DA2AFA997ull},
      {{0x09, 0x32, 0xE6, 0x24, 0x6C, 0x47}, 0x6F04BF1A5EA24060ull},
      {{0xAB, 0x42, 0x7E, 0xA8, 0xD1, 0x0F, 0xC7}, 0xE11847E4F0678C41ull},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(Marvin32(c.fData.data(), c.fData.size(), seed), c.fHash) << c.fData.size() << " bytes";
}

TEST(HiveLog, EntriesThatContinueTheHiveAreApplied) {
  TChange change;
  const auto entries = LogEntries(change.fBefore, change.fAfter, 2);
  ASSERT_GE(entries.size(), 3u);  // the test below needs several entries
  const TReplayed r = Replay(change.fBefore, WriteHiveLog(change.fBefore, 2, entries).fBytes);
  EXPECT_EQ(r.fResult.fEntries, entries.size());
  EXPECT_EQ(r.fResult.fSequence, 1 + entries.size());
  ASSERT_TRUE(r.fHive);
  EXPECT_FALSE(r.fHive->Dirty());
  EXPECT_EQ(Get32(r.fBytes, 4), Get32(r.fBytes, 8));
  EXPECT_EQ(Get32(r.fBytes, 40), change.fAfter.fBytes.size() - 4096);
  EXPECT_EQ(WalkLines(*r.fHive), change.AfterLines());
  // The copy holds the hive's bytes with the pages written, and grows by the new bins alone.
  EXPECT_EQ(r.fBytes.size(), change.fAfter.fBytes.size());
  EXPECT_TRUE(std::equal(r.fBytes.begin() + 4096, r.fBytes.end(), change.fAfter.fBytes.begin() + 4096));

  // Entries of several pages each, and entries older than the hive (written to it before).
  THiveLogEntry stale;
  stale.fSequence = 1;
  stale.fBinsSize = 4096;
  stale.fPages.push_back({0, TBytes(4096, 0xEE)});
  std::vector<THiveLogEntry> withStale{stale};
  for (auto e : LogEntries(change.fBefore, change.fAfter, 2, 2)) withStale.push_back(e);
  const TReplayed s = Replay(change.fBefore, WriteHiveLog(change.fBefore, 1, withStale).fBytes);
  EXPECT_EQ(s.fResult.fEntries, withStale.size() - 1);
  ASSERT_TRUE(s.fHive);
  EXPECT_EQ(WalkLines(*s.fHive), change.AfterLines());
}

// An entry that is damaged or breaks the sequence ends the replay; those before it apply.
TEST(HiveLog, TheFirstBadEntryEndsTheReplay) {
  TChange change;
  const auto entries = LogEntries(change.fBefore, change.fAfter, 2);
  ASSERT_GE(entries.size(), 3u);
  const TBytes before = change.fBefore.fBytes;
  ASSERT_GE(entries[1].fPages[0].fOffset, 4096u);
  struct TCase {
    const char* fName;
    std::size_t fEntry;
    std::uint32_t fAt, fValue;
    bool fRehash;  // the hashes made right again, so that the field itself is judged
  };
  const TCase cases[] = {
      {"signature", 1, 0, 0x654C7648, true},          // "HvLe"
      {"page data under hash 1", 1, 44 + 8, 0, false},  // a byte of the page, hashes kept
      {"hash 1", 1, 24, 0, false},
      {"hash 2", 1, 32, 0, false},
      {"size not whole sectors", 1, 4, 4096 + 100, true},
      {"size beyond the file", 1, 4, 0x10000000, true},
      {"bins size not whole bins", 1, 16, entries[1].fBinsSize + 512, true},
      {"bins size zero", 1, 16, 0, true},
      {"page count beyond the entry", 1, 20, 0x20000000, true},
      {"page far beyond the hive", 1, 40, 0x7FFFF000, true},
      {"page beyond the entry's bins size", 1, 16, 4096, true},  // its page lies later
      {"page size zero", 1, 44, 0, true},
      {"page size beyond the entry", 1, 44, 8192, true},
      {"sequence gap", 1, 12, 4, true},
      {"sequence repeated", 1, 12, 2, true},
      {"first entry's hash 1", 0, 24, 1, false},
      {"first entry's hash 2", 0, 32, 1, false},
      {"first entry's signature", 0, 0, 0, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.fName);
    THiveLogImage log = WriteHiveLog(change.fBefore, 2, entries);
    log.Put32(c.fEntry, c.fAt, c.fValue);
    if (c.fRehash) log.FixHashes(c.fEntry);
    TBytes out;
    const THiveReplay r = ReplayHiveLogs(before, log.fBytes, {}, out);
    EXPECT_EQ(r.fEntries, c.fEntry);
    if (c.fEntry == 0) {
      EXPECT_TRUE(out.empty());
      continue;
    }
    EXPECT_EQ(r.fSequence, 2u);
    EXPECT_EQ(Get32(out, 4), 2u);
    EXPECT_EQ(Get32(out, 8), 2u);
    // The first entry's page is written, the second's is not.
    const std::uint32_t page1 = entries[0].fPages[0].fOffset, page2 = entries[1].fPages[0].fOffset;
    EXPECT_TRUE(std::equal(entries[0].fPages[0].fBytes.begin(), entries[0].fPages[0].fBytes.end(),
                           out.begin() + 4096 + page1));
    if (4096 + page2 + 4096 <= before.size())
      EXPECT_TRUE(std::equal(out.begin() + 4096 + page2, out.begin() + 4096 + page2 + 4096,
                             before.begin() + 4096 + page2));
    else
      EXPECT_LE(out.size(), 4096 + page2);
  }

  // An entry without pages is judged by its header alone.
  std::vector<THiveLogEntry> empty{entries[0], THiveLogEntry{3, 0, {}}};
  TBytes out;
  EXPECT_EQ(ReplayHiveLogs(before, WriteHiveLog(change.fBefore, 2, empty).fBytes, {}, out).fEntries, 1u);
  empty[1].fBinsSize = entries[0].fBinsSize;
  EXPECT_EQ(ReplayHiveLogs(before, WriteHiveLog(change.fBefore, 2, empty).fBytes, {}, out).fEntries, 2u);
}

// A page count beyond the entry is damage even when the bytes after the references, read as
// more references, look sound up to the entry's end.
TEST(HiveLog, PageCountBeyondTheEntryIsNotFollowed) {
  TChange change;
  auto entries = LogEntries(change.fBefore, change.fAfter, 2);
  entries.resize(1);
  THiveLogImage log = WriteHiveLog(change.fBefore, 2, entries);
  const std::uint32_t size = Get32(log.fBytes, log.fEntries[0] + 4);
  ASSERT_EQ(log.fEntries[0] + size, log.fBytes.size());  // the last bytes of the log
  for (std::uint32_t at = 48; at < size; at += 8) {
    log.Put32(0, at, 0);
    log.Put32(0, at + 4, 512);
  }
  log.Put32(0, 20, (size - 40) / 8 + 1);
  log.FixHashes(0);
  TBytes out;
  EXPECT_EQ(ReplayHiveLogs(change.fBefore.fBytes, log.fBytes, {}, out).fEntries, 0u);
}

// A log is read only with a sound base block of the new format; a clean hive takes nothing.
TEST(HiveLog, LogsOfAnotherKindAreNotRead) {
  TChange change;
  const auto entries = LogEntries(change.fBefore, change.fAfter, 2);
  TBytes out;
  THiveLogImage log = WriteHiveLog(change.fBefore, 2, entries);
  ASSERT_EQ(ReplayHiveLogs(change.fBefore.fBytes, log.fBytes, {}, out).fEntries, entries.size());

  TBytes oldFormat = log.fBytes;
  oldFormat[28] = 1;
  const std::uint32_t sum = BaseBlockChecksum(oldFormat.data());
  for (int i = 0; i < 4; ++i) oldFormat[508 + i] = std::uint8_t(sum >> (8 * i));
  EXPECT_EQ(ReplayHiveLogs(change.fBefore.fBytes, oldFormat, {}, out).fEntries, 0u);
  TBytes badChecksum = log.fBytes;
  badChecksum[100] ^= 1;
  EXPECT_EQ(ReplayHiveLogs(change.fBefore.fBytes, badChecksum, {}, out).fEntries, 0u);
  TBytes notRegf = log.fBytes;
  notRegf[0] = 'R';
  EXPECT_EQ(ReplayHiveLogs(change.fBefore.fBytes, notRegf, {}, out).fEntries, 0u);
  EXPECT_EQ(ReplayHiveLogs(change.fBefore.fBytes, TBytes(log.fBytes.begin(), log.fBytes.begin() + 511),
                           {}, out).fEntries, 0u);
}

// The log whose base block is older is read first, whichever name it has; the entries of the
// other continue it.
TEST(HiveLog, EntriesContinueAcrossBothLogsOlderLogFirst) {
  TChange change;
  const auto entries = LogEntries(change.fBefore, change.fAfter, 2);
  ASSERT_GE(entries.size(), 3u);
  const std::vector<THiveLogEntry> first(entries.begin(), entries.begin() + 2),
      second(entries.begin() + 2, entries.end());
  const TBytes older = WriteHiveLog(change.fBefore, 2, first).fBytes;
  const TBytes newer = WriteHiveLog(change.fBefore, 4, second).fBytes;
  for (bool olderIsLog1 : {true, false}) {
    SCOPED_TRACE(olderIsLog1 ? "LOG1 older than LOG2" : "LOG2 older than LOG1");
    const TReplayed r = olderIsLog1 ? Replay(change.fBefore, older, newer)
                                    : Replay(change.fBefore, newer, older);
    EXPECT_EQ(r.fResult.fEntries, entries.size());
    ASSERT_TRUE(r.fHive);
    EXPECT_EQ(WalkLines(*r.fHive), change.AfterLines());
  }
  // The newer log alone does not continue the hive's sequence from its start: its entries
  // apply (they are later than the hive), but not the ones missing before them.
  const TReplayed alone = Replay(change.fBefore, newer);
  EXPECT_EQ(alone.fResult.fEntries, second.size());
  // A newer log whose entries do not continue the older one's is not read on.
  const TBytes gap = WriteHiveLog(change.fBefore, 5,
                                  LogEntries(change.fBefore, change.fAfter, 5)).fBytes;
  EXPECT_EQ(Replay(change.fBefore, older, gap).fResult.fEntries, 2u);
}

// Pages beyond the hive's end may only add as many bytes as the log holds.
TEST(HiveLog, TheCopyGrowsByNoMoreThanThePagesApplied) {
  TChange change;
  THiveLogEntry far;
  far.fSequence = 2;
  far.fBinsSize = 0x7FFFF000u;
  far.fPages.push_back({0x7FFFE000u, TBytes(4096, 1)});
  TBytes out;
  EXPECT_EQ(ReplayHiveLogs(change.fBefore.fBytes, WriteHiveLog(change.fBefore, 2, {far}).fBytes,
                           {}, out).fEntries, 0u);
  EXPECT_TRUE(out.empty());
  // Just after the end is growth.
  const std::uint32_t end = static_cast<std::uint32_t>(change.fBefore.fBytes.size() - 4096);
  far.fBinsSize = end + 4096;
  far.fPages[0].fOffset = end;
  EXPECT_EQ(ReplayHiveLogs(change.fBefore.fBytes, WriteHiveLog(change.fBefore, 2, {far}).fBytes,
                           {}, out).fEntries, 1u);
  EXPECT_EQ(out.size(), change.fBefore.fBytes.size() + 4096);
}

class HiveLogFiles : public testing::Test {
 protected:
  void SetUp() override {
    fDir = std::filesystem::temp_directory_path() /
           ("corvane-hivelog-" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(fDir);
  }
  void TearDown() override { std::filesystem::remove_all(fDir); }

  TText Write(const std::string& vName, const TBytes& vBytes) {
    std::ofstream out(fDir / vName, std::ios::binary);
    out.write(reinterpret_cast<const char*>(vBytes.data()), std::streamsize(vBytes.size()));
    return (fDir / vName).u16string();
  }
  TBytes Read(const std::string& vName) {
    std::ifstream in(fDir / vName, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::filesystem::path fDir;
};

TEST_F(HiveLogFiles, LogsBesideTheHiveAreAppliedAndNoFileChanges) {
  TChange change;
  const auto entries = LogEntries(change.fBefore, change.fAfter, 2);
  const TBytes log1 = WriteHiveLog(change.fBefore, 2, {entries.begin(), entries.begin() + 1}).fBytes;
  const TBytes log2 = WriteHiveLog(change.fBefore, 3, {entries.begin() + 1, entries.end()}).fBytes;
  for (const std::string name : {"SOFTWARE", "NTUSER.DAT"}) {
    SCOPED_TRACE(name);
    const TText path = Write(name, change.fBefore.fBytes);
    Write(name + ".LOG1", log1);
    Write(name + ".LOG2", log2);
    TText error;
    {
      auto hive = THiveRegistry::Open(path, error);
      ASSERT_TRUE(hive) << ToUtf8(error);
      EXPECT_FALSE(hive->Dirty());
      EXPECT_EQ(hive->Replayed().fEntries, entries.size());
      EXPECT_EQ(hive->Path(), path);
      auto lines = WalkLines(*hive);
      EXPECT_EQ(lines, change.AfterLines());
    }
    EXPECT_EQ(Read(name), change.fBefore.fBytes);
    EXPECT_EQ(Read(name + ".LOG1"), log1);
    EXPECT_EQ(Read(name + ".LOG2"), log2);
  }

  // Logs whose entries do not hash right: the hive as it stands, with its notice.
  TBytes bad = log1;
  bad[512 + 24] ^= 1;
  const TText path = Write("SYSTEM", change.fBefore.fBytes);
  Write("SYSTEM.LOG1", bad);
  TText error;
  auto hive = THiveRegistry::Open(path, error);
  ASSERT_TRUE(hive) << ToUtf8(error);
  EXPECT_TRUE(hive->Dirty());
  EXPECT_EQ(hive->Replayed().fEntries, 0u);
  EXPECT_EQ(ToUtf8(hive->DirtyNotice()).rfind("SYSTEM was not closed cleanly;", 0), 0u);

  // Logs whose pages leave no readable root: the hive as it stands, with its notice.
  THiveLogEntry wipe{2, static_cast<std::uint32_t>(change.fBefore.fBytes.size() - 4096),
                     {{0, TBytes(4096, 0)}}};
  const TText wiped = Write("DEFAULT", change.fBefore.fBytes);
  Write("DEFAULT.LOG2", WriteHiveLog(change.fBefore, 2, {wipe}).fBytes);
  TBytes out;
  ASSERT_EQ(ReplayHiveLogs(change.fBefore.fBytes, WriteHiveLog(change.fBefore, 2, {wipe}).fBytes,
                           {}, out).fEntries, 1u);
  auto kept = THiveRegistry::Open(wiped, error);
  ASSERT_TRUE(kept) << ToUtf8(error);
  EXPECT_TRUE(kept->Dirty());
  EXPECT_EQ(kept->Replayed().fEntries, 0u);
  TMemRegistry sample;
  SampleTree(sample);
  EXPECT_EQ(WalkLines(*kept), WalkLines(sample, u"SOFTWARE"));

  // A clean hive takes nothing from logs beside it.
  THiveImage clean = change.fBefore;
  clean.fBytes[4] = 1;
  clean.FixChecksum();
  const TText cleanPath = Write("SAM", clean.fBytes);
  Write("SAM.LOG1", log1);
  auto cleanHive = THiveRegistry::Open(cleanPath, error);
  ASSERT_TRUE(cleanHive) << ToUtf8(error);
  EXPECT_EQ(cleanHive->Replayed().fEntries, 0u);
  EXPECT_EQ(WalkLines(*cleanHive), WalkLines(sample, u"SOFTWARE"));
}

}  // namespace
}  // namespace corvane::test
