// The hive reader and its cursor over hives the test writer made: every list kind and name
// storage, data of every size class, lookups, the key information, and each kind of damage
// (the readable rest, or one error naming the file and the byte offset).
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>

#include "hive/hivetree.h"

namespace corvane::test {
namespace {

std::vector<std::string> Without(std::vector<std::string> vLines, const std::string& vPrefix) {
  std::vector<std::string> kept;
  bool skipping = false;
  for (auto& line : vLines) {
    if (line.rfind("  ", 0) != 0) skipping = line.rfind(vPrefix, 0) == 0;
    if (!skipping) kept.push_back(std::move(line));
  }
  return kept;
}

std::vector<std::string> Utf8(const std::vector<TText>& vNames) {
  std::vector<std::string> r;
  for (const auto& n : vNames) r.push_back(ToUtf8(n));
  return r;
}

struct TLayout {
  const char* fName;
  THiveWriterOptions fOptions;
};

THiveWriterOptions Layout(THiveList vList, std::uint32_t vFanOut = 512,
                          THiveList vLeaf = THiveList::lh) {
  THiveWriterOptions o;
  o.fList = vList;
  o.fFanOut = vFanOut;
  o.fLeaf = vLeaf;
  return o;
}

std::vector<TLayout> Layouts() {
  std::vector<TLayout> all = {
      {"li", Layout(THiveList::li)},
      {"lf", Layout(THiveList::lf)},
      {"lh", Layout(THiveList::lh)},
      {"riOverLh", Layout(THiveList::ri, 3, THiveList::lh)},
      {"riOverLi", Layout(THiveList::ri, 2, THiveList::li)},
      {"riOverLf", Layout(THiveList::ri, 7, THiveList::lf)},
  };
  THiveWriterOptions wide = Layout(THiveList::lh);
  wide.fCompressNames = false;
  all.push_back({"utf16Names", wide});
  for (std::uint32_t minor : {3u, 4u, 6u}) {
    THiveWriterOptions o;
    o.fMinor = minor;
    all.push_back({minor == 3 ? "version13" : minor == 4 ? "version14" : "version16", o});
  }
  return all;
}

class HiveLayouts : public testing::TestWithParam<TLayout> {};

// The hive reads back as the tree it was written from, through the same walk.
TEST_P(HiveLayouts, ReadsWhatTheTreeHolds) {
  TMemRegistry reg;
  auto hive = OpenImage(WriteHive(SampleTree(reg), GetParam().fOptions));
  ASSERT_TRUE(hive);
  const auto lines = WalkLines(*hive);
  EXPECT_EQ(lines, WalkLines(reg, u"SOFTWARE"));
  std::uint64_t keys = 0, values = 0;
  for (const auto& l : lines) (l.rfind("  ", 0) == 0 ? values : keys)++;
  EXPECT_EQ(hive->KeyCount(), keys);
  EXPECT_EQ(hive->ValueCount(), values);
  EXPECT_FALSE(hive->Dirty());
  EXPECT_FALSE(hive->Hive().Truncated());
}

INSTANTIATE_TEST_SUITE_P(Writer, HiveLayouts, testing::ValuesIn(Layouts()),
                         [](const testing::TestParamInfo<TLayout>& i) { return i.param.fName; });

TEST(HiveCursor, KeyInformationAsTheRegistryGivesIt) {
  TMemRegistry reg;
  auto hive = OpenImage(WriteHive(SampleTree(reg)));
  ASSERT_TRUE(hive);
  auto mine = hive->NewCursor();
  auto theirs = reg.NewCursor();
  theirs->SelectRoot(kHKLM);
  for (TTextView path : {u"", u"Alpha", u"Many", u"Many\\Sub105", u"\u041A\u043B\u044E\u0447"}) {
    SCOPED_TRACE(ToUtf8(path));
    ASSERT_TRUE(mine->OpenRead(u"\\" + TText(path)));
    ASSERT_TRUE(theirs->OpenRead(u"\\SOFTWARE\\" + TText(path)));
    TKeyInfo a, b;
    ASSERT_TRUE(mine->OpenKeyInfo(a));
    ASSERT_TRUE(theirs->OpenKeyInfo(b));
    EXPECT_EQ(a.fClass, b.fClass);
    EXPECT_EQ(a.fSubKeys, b.fSubKeys);
    EXPECT_EQ(a.fMaxSubKeyLen, b.fMaxSubKeyLen);
    EXPECT_EQ(a.fMaxClassLen, b.fMaxClassLen);
    EXPECT_EQ(a.fValues, b.fValues);
    EXPECT_EQ(a.fMaxValueNameLen, b.fMaxValueNameLen);
    EXPECT_EQ(a.fMaxValueLen, b.fMaxValueLen);
    EXPECT_EQ(a.fSecurityDescriptor, 20u);
    EXPECT_EQ(a.fLastWriteTime, b.fLastWriteTime);
  }
  // Every root shows the hive's root key.
  TKeyInfo root;
  ASSERT_TRUE(mine->RootKeyInfo(kHKCU, root));
  EXPECT_EQ(root.fLastWriteTime, reg.Find(kHKLM, u"SOFTWARE")->fWriteTime);
  EXPECT_EQ(root.fSubKeys, 4u);
  mine->CloseKey();
  TKeyInfo none;
  EXPECT_FALSE(mine->OpenKeyInfo(none));
}

TEST(HiveCursor, LookupsIgnoreCaseAndFollowPaths) {
  TMemRegistry reg;
  THiveWriterOptions o = Layout(THiveList::ri, 3);
  auto hive = OpenImage(WriteHive(SampleTree(reg), o));
  ASSERT_TRUE(hive);
  auto c = hive->NewCursor();
  c->SelectRoot(kHKU);
  EXPECT_TRUE(c->OpenRead(u"\\alpha\\BETA"));
  EXPECT_TRUE(c->OpenRead(u"\\caf\u00C9 \u00E4RGER"));
  EXPECT_TRUE(c->OpenRead(u"\\\u041A\u041B\u042E\u0427"));
  std::uint32_t type = 0, size = 0;
  EXPECT_TRUE(c->QueryValue(u"\u0391\u0392\u0393", type, size));
  EXPECT_FALSE(c->OpenRead(u"\\missing"));
  EXPECT_FALSE(c->OpenRead(u"\\Alpha\\Beta\\missing"));
  // Relative paths count from the open key; a failed open leaves it open.
  ASSERT_TRUE(c->OpenRead(u"\\Many"));
  EXPECT_FALSE(c->OpenRead(u"Sub999"));
  EXPECT_TRUE(c->OpenRead(u"sub101"));
  EXPECT_TRUE(c->KeyExists(u"\\Many\\SUB120"));
  EXPECT_FALSE(c->KeyExists(u"\\Many\\Sub999"));
  EXPECT_TRUE(c->KeyExists(u""));

  // Subkeys open by name in any order, below the open key, which stays open.
  ASSERT_TRUE(c->OpenRead(u"\\Many"));
  auto names = c->SubkeyNames();
  ASSERT_EQ(names.size(), 40u);
  EXPECT_EQ(ToUtf8(names.front()), "Sub100");
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    ASSERT_TRUE(c->OpenSubkeyRead(LowerAZ(*it))) << ToUtf8(*it);
    TValueList list;
    ASSERT_TRUE(c->ListValues(list, true));
    ASSERT_EQ(list.fValues.size(), 1u);
    EXPECT_EQ(list.Data(list.fValues[0])[0], std::uint8_t(std::stoi(ToUtf8(it->substr(3))) - 100));
    c->CloseSubkey();
  }
  EXPECT_EQ(c->SubkeyNames().size(), 40u);
  EXPECT_FALSE(c->OpenSubkeyRead(u"Sub999"));
  ASSERT_TRUE(c->OpenSubkeyRead(u"Sub100"));
  c->CloseSubkey();
  c->CloseSubkey();
  // With no key open, a subkey opens below the root.
  EXPECT_TRUE(c->SubkeyNames().empty());
  ASSERT_TRUE(c->OpenSubkeyRead(u"Alpha"));
  EXPECT_EQ(Utf8(c->SubkeyNames()), std::vector<std::string>{"Beta"});
  ASSERT_TRUE(c->OpenSubkeyRead(u"Beta"));
  c->CloseSubkey();
  c->CloseSubkey();
  EXPECT_TRUE(c->SubkeyNames().empty());
}

TEST(HiveCursor, WritesFailAsOnAKeyOpenedReadOnly) {
  TMemRegistry reg;
  auto hive = OpenImage(WriteHive(SampleTree(reg)));
  ASSERT_TRUE(hive);
  auto c = hive->NewCursor();
  EXPECT_FALSE(c->OpenFull(u"\\Alpha"));
  ASSERT_TRUE(c->OpenReadAccess(u"\\Alpha"));
  EXPECT_FALSE(c->CreateSubkey(u"New"));
  EXPECT_THROW(c->WriteText(u"Mark", u"x"), TRegError);
  EXPECT_FALSE(c->DeleteKey(u"\\Alpha\\Beta"));
  EXPECT_TRUE(c->KeyExists(u"\\Alpha\\Beta"));
  EXPECT_EQ(c->ReadNumber(u"number"), 0x01020304u);
  EXPECT_EQ(c->ReadText(u"Path"), u"%SystemRoot%\\x");
  EXPECT_EQ(c->ReadText(u"Absent"), u"");
  EXPECT_THROW(c->ReadText(u"Number"), TRegError);
  EXPECT_THROW(c->ReadNumber(u"Quad"), TRegError);
  EXPECT_THROW(c->ReadNumber(u"Absent"), TRegError);
  c->CloseKey();
  EXPECT_EQ(c->ReadText(u""), u"the default");  // no key open: the root's
}

std::vector<std::uint8_t> Pattern(std::size_t vSize, std::uint8_t vSeed) {
  std::vector<std::uint8_t> d(vSize);
  for (std::size_t i = 0; i < vSize; ++i) d[i] = std::uint8_t(i * 31 + vSeed + (i >> 13));
  return d;
}

// Inline data up to 4 bytes, one cell up to 16344 bytes, big data segments beyond (from
// version 1.4 on; one cell before).
TEST(HiveValues, DataOfEverySizeClass) {
  const std::vector<std::size_t> sizes = {0,     1,     2,         3,     4,     5,       16343,
                                          16344, 16345, 2 * 16344, 32689, 40000, 1u << 20};
  for (std::uint32_t minor : {3u, 5u}) {
    SCOPED_TRACE("version 1." + std::to_string(minor));
    TMemRegistry reg;
    for (std::size_t s : sizes)
      reg.SetValue(kHKLM, u"R\\Data", u"s" + DecimalText(s), kRegBinary,
                   Pattern(s, std::uint8_t(s)));
    // The same sizes the other way round, so a list scanned here first holds data in place
    // where the next scan copies big data.
    for (auto s = sizes.rbegin(); s != sizes.rend(); ++s)
      reg.SetValue(kHKLM, u"R\\Reversed", u"s" + DecimalText(*s), kRegBinary,
                   Pattern(*s, std::uint8_t(*s)));
    THiveWriterOptions o;
    o.fMinor = minor;
    const THiveImage image = WriteHive(*reg.Find(kHKLM, u"R"), o);
    const auto& cells = image.Key(u"Data").fValues;
    for (std::size_t i = 0; i < sizes.size(); ++i)
      EXPECT_EQ(cells[i].fSegments != kNoCell, minor >= 4 && sizes[i] > 16344) << sizes[i];
    auto hive = OpenImage(image);
    ASSERT_TRUE(hive);
    auto c = hive->NewCursor();
    ASSERT_TRUE(c->OpenRead(u"\\Data"));
    TValueList list;
    ASSERT_TRUE(c->ListValues(list, true));
    ASSERT_EQ(list.fValues.size(), sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      SCOPED_TRACE(sizes[i]);
      const auto want = Pattern(sizes[i], std::uint8_t(sizes[i]));
      const TValueEntry& e = list.fValues[i];
      ASSERT_TRUE(e.fReadable);
      EXPECT_EQ(std::vector<std::uint8_t>(list.Data(e), list.Data(e) + e.fSize), want);
      std::uint32_t type = 0, size = 0;
      ASSERT_TRUE(c->QueryValue(e.fName, type, size));
      EXPECT_EQ(size, sizes[i]);
      std::vector<std::uint8_t> buf(size + 1, 0xEE);
      ASSERT_TRUE(c->ReadValue(e.fName, buf.data(), type, size));
      EXPECT_EQ(std::vector<std::uint8_t>(buf.begin(), buf.begin() + size), want);
      EXPECT_EQ(buf[size], 0xEE);  // nothing written past the data
      if (size > 0) {
        std::uint32_t small = size - 1;
        EXPECT_FALSE(c->ReadValue(e.fName, buf.data(), type, small));
      }
    }
    // The search's scan leaves data in the file where they lie in one piece: only big data
    // segments are copied.
    TValueList scanned;
    ASSERT_TRUE(c->OpenRead(u"\\Reversed"));
    ASSERT_TRUE(c->ScanValues(scanned, true));
    ASSERT_TRUE(c->OpenRead(u"\\Data"));
    ASSERT_TRUE(c->ScanValues(scanned, true));
    ASSERT_EQ(scanned.fValues.size(), sizes.size());
    const auto file = hive->Hive().Bytes();
    std::size_t copied = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      SCOPED_TRACE(sizes[i]);
      const TValueEntry& e = scanned.fValues[i];
      ASSERT_TRUE(e.fReadable);
      EXPECT_EQ(std::vector<std::uint8_t>(scanned.Data(e), scanned.Data(e) + e.fSize),
                Pattern(sizes[i], std::uint8_t(sizes[i])));
      const bool segmented = minor >= 4 && sizes[i] > 16344;
      EXPECT_EQ(e.fBytes == nullptr, segmented);
      if (e.fBytes) {
        EXPECT_TRUE(e.fBytes >= file.data() && e.fBytes + e.fSize <= file.data() + file.size());
      }
      if (segmented) copied += sizes[i];
    }
    EXPECT_EQ(scanned.fData.size(), copied);
  }
}

TEST(HiveValues, EveryTypeNumberIsKept) {
  TMemRegistry reg;
  const std::uint32_t types[] = {kRegNone, kRegLink,   kRegResourceList, 12,
                                 0x12345,  0x7FFFFFFF, 0x80000000u,      0xFFFFFFFFu};
  int n = 0;
  for (std::uint32_t t : types) {
    reg.SetValue(kHKLM, u"R", u"t" + DecimalText(n++), t, {1, 2, 3});
    reg.SetValue(kHKLM, u"R", u"t" + DecimalText(n++), t, Pattern(9, 1));
  }
  auto hive = OpenImage(WriteHive(*reg.Find(kHKLM, u"R")));
  ASSERT_TRUE(hive);
  EXPECT_EQ(WalkLines(*hive), WalkLines(reg, u"R"));
}

TEST(HiveFile, FilesThatAreNoHiveFailWithTheirName) {
  TMemRegistry reg;
  const THiveImage good = WriteHive(SampleTree(reg));
  auto with = [&](auto vChange) {
    THiveImage image = good;
    vChange(image);
    return OpenError(image.fBytes);
  };
  EXPECT_EQ(OpenError({}),
            "SOFTWARE is not a registry hive file: it is 0 bytes long, shorter than a hive's "
            "base block");
  EXPECT_EQ(OpenError(std::vector<std::uint8_t>(good.fBytes.begin(), good.fBytes.begin() + 4095)),
            "SOFTWARE is not a registry hive file: it is 4095 bytes long, shorter than a hive's "
            "base block");
  EXPECT_EQ(with([](THiveImage& i) { i.fBytes[0] = 'R'; }),
            "SOFTWARE is not a registry hive file: it does not begin with \"regf\"");
  EXPECT_EQ(with([](THiveImage& i) { damage::BreakChecksum(i); }),
            "SOFTWARE: the checksum of the base block is wrong (byte offset 0x1FC)");
  EXPECT_EQ(with([](THiveImage& i) {
              i.fBytes[24] = 7;
              i.FixChecksum();
            }),
            "SOFTWARE: hive format version 1.7 is not supported (byte offset 0x14)");
  EXPECT_EQ(with([](THiveImage& i) {
              i.fBytes[20] = 2;
              i.fBytes[24] = 5;
              i.FixChecksum();
            }),
            "SOFTWARE: hive format version 2.5 is not supported (byte offset 0x14)");
  EXPECT_EQ(with([](THiveImage& i) {
              i.fBytes[28] = 1;
              i.FixChecksum();
            }),
            "SOFTWARE is a transaction log or another kind of hive file, not a primary hive "
            "(byte offset 0x1C)");
  EXPECT_EQ(with([](THiveImage& i) {
              i.fBytes[36] = 0x38;  // inside the security record, which begins the first bin
              i.FixChecksum();
            }),
            "SOFTWARE: the root key cannot be read (byte offset 0x1038)");
  EXPECT_EQ(with([](THiveImage& i) { i.fBytes[4096] = 'x'; }),
            "SOFTWARE: the hive has no bin that can be read (byte offset 0x1000)");
}

TEST(HiveFile, DirtyHiveIsReadAsItStands) {
  TMemRegistry reg;
  SampleTree(reg);
  THiveWriterOptions o;
  o.fDirty = true;
  auto hive = OpenImage(WriteHive(*reg.Find(kHKLM, u"SOFTWARE"), o));
  ASSERT_TRUE(hive);
  EXPECT_TRUE(hive->Dirty());
  EXPECT_EQ(ToUtf8(hive->DirtyNotice()),
            "SOFTWARE was not closed cleanly; changes still in its transaction logs are not "
            "included");
  EXPECT_EQ(WalkLines(*hive), WalkLines(reg, u"SOFTWARE"));

  THiveImage image = WriteHive(*reg.Find(kHKLM, u"SOFTWARE"));
  damage::Dirty(image);
  TText error;
  auto named =
      THiveRegistry::FromBytes(image.fBytes, u"C:\\Windows\\System32\\config\\SYSTEM", error);
  ASSERT_TRUE(named) << ToUtf8(error);
  EXPECT_EQ(ToUtf8(named->DirtyNotice()).rfind("SYSTEM was not closed cleanly;", 0), 0u);
}

TEST(HiveFile, OpensFromDiskAndNamesAFileItCannotOpen) {
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() /
      ("corvane-hive-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::create_directories(dir);
  struct TCleanup {
    fs::path fDir;
    ~TCleanup() { fs::remove_all(fDir); }
  } cleanup{dir};
  TMemRegistry reg;
  const THiveImage image = WriteHive(SampleTree(reg));
  {
    std::ofstream out(dir / "SOFTWARE", std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.fBytes.data()),
              static_cast<std::streamsize>(image.fBytes.size()));
    std::ofstream empty(dir / "EMPTY", std::ios::binary);
  }
  TText error;
  const TText path = (dir / "SOFTWARE").u16string();
  auto hive = THiveRegistry::Open(path, error);
  ASSERT_TRUE(hive) << ToUtf8(error);
  EXPECT_EQ(hive->Path(), path);
  EXPECT_TRUE(hive->Hive().FileName() == u"SOFTWARE");
  EXPECT_EQ(WalkLines(*hive), WalkLines(reg, u"SOFTWARE"));

  const TText missing = (dir / "MISSING").u16string();
  EXPECT_FALSE(THiveRegistry::Open(missing, error));
  EXPECT_EQ(ToUtf8(error).rfind("Cannot open " + ToUtf8(missing) + ": ", 0), 0u) << ToUtf8(error);
  const TText empty = (dir / "EMPTY").u16string();
  EXPECT_FALSE(THiveRegistry::Open(empty, error));
  EXPECT_EQ(ToUtf8(error), ToUtf8(empty) +
                               " is not a registry hive file: it is 0 bytes long, "
                               "shorter than a hive's base block");
}

// Cut anywhere, a hive opens with what its complete bins hold, or fails naming the file.
TEST(HiveDamage, TruncatedFileGivesTheBinsThatRemain) {
  TMemRegistry reg;
  SampleTree(reg);
  for (int i = 0; i < 200; ++i)
    reg.SetValue(kHKLM, u"SOFTWARE\\Bulk\\K" + DecimalText(i), u"v", kRegBinary, Pattern(200, 3));
  const THiveImage image = WriteHive(*reg.Find(kHKLM, u"SOFTWARE"));
  ASSERT_GT(image.fBytes.size(), 4096u * 6);
  const auto whole = WalkLines(reg, u"SOFTWARE");
  for (std::size_t cut = 0; cut < image.fBytes.size(); cut += cut < 4200 ? 97 : 509) {
    SCOPED_TRACE(cut);
    std::vector<std::uint8_t> bytes(image.fBytes.begin(), image.fBytes.begin() + cut);
    TText error;
    auto hive = THiveRegistry::FromBytes(bytes, u"SOFTWARE", error);
    if (!hive) {
      EXPECT_EQ(ToUtf8(error).rfind("SOFTWARE", 0), 0u);
      continue;
    }
    EXPECT_TRUE(hive->Hive().Truncated());
    EXPECT_EQ(hive->Hive().BinsLength() % 4096, 0u);
    const auto lines = WalkLines(*hive);
    EXPECT_LE(lines.size(), whole.size());
    EXPECT_LE(hive->KeyCount(), 1u + 5 + 1 + 40 + 201);
  }
  std::vector<std::uint8_t> firstBin(image.fBytes.begin(), image.fBytes.begin() + 8192);
  TText error;
  auto hive = THiveRegistry::FromBytes(firstBin, u"SOFTWARE", error);
  ASSERT_TRUE(hive) << ToUtf8(error);
  EXPECT_EQ(ToUtf8(hive->Hive().TruncatedNotice())
                .rfind("SOFTWARE ends early: its hive bins stop at byte offset 0x2000 of ", 0),
            0u);
}

TEST(HiveDamage, SubkeyListsPointingBackLeadNowhere) {
  TMemRegistry reg;
  reg.Key(kHKLM, u"R\\A\\B\\C");
  reg.Key(kHKLM, u"R\\A\\D");
  reg.SetDword(kHKLM, u"R\\A\\D", u"d", 4);
  for (THiveList kind : {THiveList::li, THiveList::lh, THiveList::ri}) {
    SCOPED_TRACE(int(kind));
    const THiveImage clean = WriteHive(*reg.Find(kHKLM, u"R"), Layout(kind, 1));
    const auto whole = WalkLines(*OpenImage(clean));
    ASSERT_EQ(whole, WalkLines(reg, u"R"));
    {
      // B lists the root instead of C.
      THiveImage image = clean;
      damage::PointSubkeyEntry(image, u"A\\B", 0, image.Key(u"").fNode);
      auto hive = OpenImage(image);
      EXPECT_EQ(WalkLines(*hive), Without(whole, "\\A\\B\\C"));
      EXPECT_EQ(hive->KeyCount(), 4u);
    }
    {
      // A lists itself instead of B.
      THiveImage image = clean;
      damage::PointSubkeyEntry(image, u"A", 0, image.Key(u"A").fNode);
      auto hive = OpenImage(image);
      EXPECT_EQ(WalkLines(*hive), Without(whole, "\\A\\B"));
      auto c = hive->NewCursor();
      ASSERT_TRUE(c->OpenRead(u"\\A"));
      EXPECT_EQ(Utf8(c->SubkeyNames()), std::vector<std::string>{"D"});
    }
    {
      // The root names B as its parent and B lists the root: a loop every check but the
      // open keys themselves would let through.
      THiveImage image = clean;
      damage::PointSubkeyEntry(image, u"A\\B", 0, image.Key(u"").fNode);
      image.Put32(image.Key(u"").fNode, 16, image.Key(u"A\\B").fNode);
      auto hive = OpenImage(image);
      const auto lines = WalkLines(*hive);
      EXPECT_EQ(lines.size(), whole.size()) << testing::PrintToString(lines);
      EXPECT_EQ(hive->KeyCount(), 4u);
    }
  }
}

TEST(HiveDamage, IndexRootInALoopIsNotFollowed) {
  TMemRegistry reg;
  for (int i = 0; i < 9; ++i) reg.Key(kHKLM, u"R\\Many\\K" + DecimalText(i));
  THiveImage image = WriteHive(*reg.Find(kHKLM, u"R"), Layout(THiveList::ri, 2));
  ASSERT_EQ(image.Key(u"Many").fLeafLists.size(), 5u);
  damage::IndexRootLoop(image, u"Many");
  auto hive = OpenImage(image);
  auto c = hive->NewCursor();
  ASSERT_TRUE(c->OpenRead(u"\\Many"));
  // The first leaf list (K0, K1) is replaced by the index root itself.
  EXPECT_EQ(Utf8(c->SubkeyNames()),
            (std::vector<std::string>{"K2", "K3", "K4", "K5", "K6", "K7", "K8"}));
  EXPECT_EQ(hive->KeyCount(), 9u);
}

TEST(HiveDamage, WrongSegmentCountMakesTheValueUnreadable) {
  TMemRegistry reg;
  reg.SetValue(kHKLM, u"R\\Data", u"big", kRegBinary, Pattern(40000, 5));  // 3 segments
  reg.SetDword(kHKLM, u"R\\Data", u"small", 7);
  const THiveImage clean = WriteHive(*reg.Find(kHKLM, u"R"));
  for (std::uint16_t count : {0, 1, 2, 4, 0xFFFF}) {
    SCOPED_TRACE(count);
    THiveImage image = clean;
    damage::SegmentCount(image, u"Data", 0, count);
    auto hive = OpenImage(image);
    auto c = hive->NewCursor();
    ASSERT_TRUE(c->OpenRead(u"\\Data"));
    TValueList list;
    ASSERT_TRUE(c->ListValues(list, true));
    ASSERT_EQ(list.fValues.size(), 2u);
    EXPECT_FALSE(list.fValues[0].fReadable);
    EXPECT_TRUE(list.fValues[1].fReadable);
    std::uint32_t type = 0, size = 0;
    EXPECT_TRUE(c->QueryValue(u"big", type, size));
    std::vector<std::uint8_t> buf(size);
    EXPECT_FALSE(c->ReadValue(u"big", buf.data(), type, size));
  }
  // A segment list whose cell is too small for its count, and a segment that is missing.
  THiveImage image = clean;
  const THiveValueCells big = image.Key(u"Data").fValues[0];
  damage::CellSize(image, big.fSegments, -8);
  auto hive = OpenImage(image);
  auto c = hive->NewCursor();
  ASSERT_TRUE(c->OpenRead(u"\\Data"));
  TValueList list;
  ASSERT_TRUE(c->ListValues(list, true));
  EXPECT_FALSE(list.fValues[0].fReadable);
  image = clean;
  image.Put32(big.fSegments, 8, 0x7FFFFFF8);
  hive = OpenImage(image);
  c = hive->NewCursor();
  ASSERT_TRUE(c->OpenRead(u"\\Data"));
  ASSERT_TRUE(c->ListValues(list, true));
  EXPECT_FALSE(list.fValues[0].fReadable);
}

TEST(HiveDamage, NamesLongerThanTheirCellAreLeftOut) {
  TMemRegistry reg;
  SampleTree(reg);
  const THiveImage clean = WriteHive(*reg.Find(kHKLM, u"SOFTWARE"));
  const auto whole = WalkLines(reg, u"SOFTWARE");
  THiveImage image = clean;
  damage::KeyNameLength(image, u"Alpha", 0xFFFF);
  EXPECT_EQ(WalkLines(*OpenImage(image)), Without(whole, "\\Alpha"));
  image = clean;
  // One byte beyond the room the cell has (the name's 5 bytes and the padding).
  const std::uint32_t room = image.CellDataSize(image.Key(u"Alpha").fNode) - 76;
  ASSERT_GT(room, 5u);
  damage::KeyNameLength(image, u"Alpha", static_cast<std::uint16_t>(room + 1));
  EXPECT_EQ(WalkLines(*OpenImage(image)), Without(whole, "\\Alpha"));
  image = clean;
  damage::ValueNameLength(image, u"Alpha", 0, 0x7FFF);
  auto lines = WalkLines(*OpenImage(image));
  EXPECT_EQ(lines.size(), whole.size() - 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "  Number 4 4 04030201"), 0);
}

TEST(HiveDamage, CountsLargerThanTheirCellsGiveWhatTheCellsHold) {
  TMemRegistry reg;
  SampleTree(reg);
  const THiveImage clean = WriteHive(*reg.Find(kHKLM, u"SOFTWARE"), Layout(THiveList::li));
  const auto whole = WalkLines(reg, u"SOFTWARE");
  THiveImage image = clean;
  damage::ListCount(image, u"Many", 0xFFFF);
  image.Put32(image.Key(u"Many").fNode, 20, 0xFFFFFFFF);
  damage::ValueCount(image, u"Alpha", 0xFFFFFFFF);
  EXPECT_EQ(WalkLines(*OpenImage(image)), whole);
  // Fewer in the list than the key node says: those in the list.
  image = clean;
  damage::ListCount(image, u"Many", 3);
  auto hive = OpenImage(image);
  auto c = hive->NewCursor();
  ASSERT_TRUE(c->OpenRead(u"\\Many"));
  EXPECT_EQ(Utf8(c->SubkeyNames()), (std::vector<std::string>{"Sub100", "Sub101", "Sub102"}));
  TKeyInfo info;
  ASSERT_TRUE(c->OpenKeyInfo(info));
  EXPECT_EQ(info.fSubKeys, 3u);
}

TEST(HiveDamage, OffsetsOutsideTheBinsAndImpossibleCellSizes) {
  TMemRegistry reg;
  SampleTree(reg);
  const THiveImage clean = WriteHive(*reg.Find(kHKLM, u"SOFTWARE"));
  const auto whole = WalkLines(reg, u"SOFTWARE");
  for (std::uint32_t cell :
       {0x7FFFFFF8u, 0xFFFFFFF8u, std::uint32_t(clean.fBytes.size()), 2u, 0u}) {
    SCOPED_TRACE(cell);
    THiveImage image = clean;
    damage::SubkeyListCell(image, u"Many", cell);
    auto lines = WalkLines(*OpenImage(image));
    EXPECT_EQ(lines, Without(whole, "\\Many\\"));
    image = clean;
    image.Put32(image.Key(u"Alpha").fValueList, 0, cell);          // the first value record
    image.Put32(image.Key(u"Alpha").fValues[2].fRecord, 8, cell);  // data of "Multi"
    lines = WalkLines(*OpenImage(image));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "  Number 4 4 04030201"), 0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "  Multi 7 unreadable"), 1);
  }
  for (std::int32_t size : {0, 16, -4, INT_MIN, -0x7FFFFFF8, 1 << 30}) {
    SCOPED_TRACE(size);
    THiveImage image = clean;
    damage::CellSize(image, image.Key(u"Alpha").fNode, size);
    EXPECT_EQ(WalkLines(*OpenImage(image)), Without(whole, "\\Alpha"));
  }
}

// The walk goes kMaxKeyDepth levels deep and no further; paths open at any depth.
TEST(HiveTree, DeepTreeOfMoreLevelsThanTheWalkVisits) {
  TMemRegistry reg;
  TText path = u"R";
  for (int i = 0; i < 600; ++i) path += u"\\L" + DecimalText(i % 10);
  reg.SetDword(kHKLM, path, u"deep", 1);
  auto hive = OpenImage(WriteHive(*reg.Find(kHKLM, u"R")));
  ASSERT_TRUE(hive);
  EXPECT_EQ(WalkLines(*hive).size(), std::size_t(kMaxKeyDepth) + 1);
  EXPECT_EQ(hive->KeyCount(), std::uint64_t(kMaxKeyDepth) + 1);
  auto c = hive->NewCursor();
  ASSERT_TRUE(c->OpenRead(path.substr(1)));
  std::uint32_t type = 0, size = 0;
  EXPECT_TRUE(c->QueryValue(u"deep", type, size));
}

}  // namespace
}  // namespace corvane::test
