// The C++ half of the hive oracle test (hive_oracle.py):
//   hiveoracle write FOLDER   writes hives of every layout the writer knows, each NAME.hive
//                             with NAME.expected, the tree it was written from as dump lines
//   hiveoracle dump FILE      the dump lines of a hive file as our reader reads it
//   hiveoracle seeds FOLDER   small hives in the input form of fuzz/fuzz_hive.cpp (the
//                             first 512 bytes of the base block, then the bins up to their
//                             last cell), for its corpus fuzz/corpus/hive/
// Dump lines, keys depth first and values in stored order, text as UTF-16LE in hex:
//   K <path> <last-write time> <class>     (class "-" when there is none)
//   V <path> <name> <type> <data>
// Paths are the key names below the root joined by backslashes ("" for the root).
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "hive/hivetree.h"

using namespace corvane;
using namespace corvane::test;

namespace {

std::string TextHex(TTextView vText) {
  const std::vector<std::uint8_t> bytes = TextBytes(vText, false);
  return "x" + Hex(bytes.data(), bytes.size());
}

void Dump(TRegCursor& vCursor, const TText& vPath, int vDepth, std::ostream& vOut) {
  TKeyInfo info;
  if (!vCursor.OpenKeyInfo(info)) return;
  vOut << "K " << TextHex(vPath) << " " << info.fLastWriteTime << " "
       << (info.fClass.empty() ? std::string("-") : TextHex(info.fClass)) << "\n";
  TValueList list;
  if (vCursor.ListValues(list, true)) {
    for (const TValueEntry& e : list.fValues) {
      vOut << "V " << TextHex(vPath) << " " << TextHex(e.fName) << " " << e.fType << " "
           << (e.fReadable ? "x" + Hex(list.Data(e), e.fSize) : std::string("unreadable"))
           << "\n";
    }
  }
  if (vDepth >= kMaxKeyDepth) return;
  for (const TText& name : vCursor.SubkeyNames()) {
    if (!vCursor.OpenSubkeyRead(name)) continue;
    Dump(vCursor, vPath.empty() ? name : vPath + u"\\" + name, vDepth + 1, vOut);
    vCursor.CloseSubkey();
  }
}

void DumpCursor(TRegCursor& vCursor, std::ostream& vOut) { Dump(vCursor, TText(), 0, vOut); }

struct TCase {
  const char* fName;
  THiveWriterOptions fOptions;
};

THiveWriterOptions With(THiveList vList, std::uint32_t vFanOut = 512, THiveList vLeaf = THiveList::lh) {
  THiveWriterOptions o;
  o.fList = vList;
  o.fFanOut = vFanOut;
  o.fLeaf = vLeaf;
  return o;
}

int Write(const std::string& vFolder) {
  TMemRegistry reg;
  TMemKey& root = SampleTree(reg);
  // Big data at the segment boundaries.
  for (std::size_t size : {16344u, 16345u, 40000u, 1u << 20}) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = std::uint8_t(i * 7 + (i >> 11));
    reg.SetValue(kHKLM, u"SOFTWARE\\Big", u"b" + DecimalText(size), kRegBinary, data);
  }
  reg.Key(kHKLM, u"SOFTWARE\\Big").fWriteTime = 0x01D8000000000001ull;
  std::vector<TCase> cases = {
      {"lh", With(THiveList::lh)},
      {"li", With(THiveList::li)},
      {"lf", With(THiveList::lf)},
      {"ri_lh", With(THiveList::ri, 3, THiveList::lh)},
      {"ri_li", With(THiveList::ri, 2, THiveList::li)},
      {"ri_lf", With(THiveList::ri, 5, THiveList::lf)},
  };
  THiveWriterOptions wide;
  wide.fCompressNames = false;
  cases.push_back({"utf16_names", wide});
  THiveWriterOptions old;
  old.fMinor = 3;
  cases.push_back({"version13", old});
  auto memCursor = reg.NewCursor();
  memCursor->SelectRoot(kHKLM);
  for (const TCase& c : cases) {
    const THiveImage image = WriteHive(root, c.fOptions);
    const std::string base = vFolder + "/" + c.fName;
    std::ofstream(base + ".hive", std::ios::binary)
        .write(reinterpret_cast<const char*>(image.fBytes.data()),
               static_cast<std::streamsize>(image.fBytes.size()));
    std::ofstream expected(base + ".expected");
    if (!memCursor->OpenRead(u"\\SOFTWARE")) return 1;
    DumpCursor(*memCursor, expected);
  }
  return 0;
}

int Seeds(const std::string& vFolder) {
  TMemRegistry reg;
  reg.SetText(kHKLM, u"S", u"", u"root default");
  reg.SetDword(kHKLM, u"S\\Alpha", u"n", 7);
  reg.SetValue(kHKLM, u"S\\Alpha", u"bin", kRegBinary, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  reg.SetValue(kHKLM, u"S\\Alpha\\Beta", u"odd", 0x12345, {1, 2});
  reg.SetText(kHKLM, u"S\\Caf\u00E9", u"\u03B1", u"\u4E2D");
  for (int i = 0; i < 6; ++i) reg.Key(kHKLM, u"S\\Many\\K" + DecimalText(i));
  reg.Key(kHKLM, u"S\\Alpha").fClass = u"Cls";
  std::vector<TCase> cases = {{"seed-lh", With(THiveList::lh)},
                              {"seed-li", With(THiveList::li)},
                              {"seed-lf", With(THiveList::lf)},
                              {"seed-ri", With(THiveList::ri, 2, THiveList::lh)},
                              {"seed-ri-li", With(THiveList::ri, 4, THiveList::li)}};
  THiveWriterOptions wide;
  wide.fCompressNames = false;
  wide.fDirty = true;
  cases.push_back({"seed-utf16-dirty", wide});
  THiveWriterOptions old;
  old.fMinor = 3;
  cases.push_back({"seed-version13", old});
  for (const TCase& c : cases) {
    const THiveImage image = WriteHive(*reg.Find(kHKLM, u"S"), c.fOptions);
    // The base block's checksum becomes 0 (the fuzz target fills it in), its unused part
    // and the free space at the end of the bins go.
    std::vector<std::uint8_t> bytes(image.fBytes.begin(), image.fBytes.begin() + 512);
    std::fill(bytes.begin() + 508, bytes.end(), 0);
    std::size_t end = image.fBytes.size();
    while (end > 4096 + 32 && image.fBytes[end - 1] == 0) --end;
    bytes.insert(bytes.end(), image.fBytes.begin() + 4096, image.fBytes.begin() + end);
    std::ofstream(vFolder + "/" + c.fName, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  return 0;
}

// A hive in the form the fuzz targets take it: the first 512 bytes of the base block with
// its checksum 0 (the targets fill it in), then the bins up to their last cell.
std::vector<std::uint8_t> FuzzForm(const THiveImage& vImage) {
  std::vector<std::uint8_t> bytes(vImage.fBytes.begin(), vImage.fBytes.begin() + 512);
  std::fill(bytes.begin() + 508, bytes.end(), 0);
  std::size_t end = vImage.fBytes.size();
  while (end > 4096 + 32 && vImage.fBytes[end - 1] == 0) --end;
  bytes.insert(bytes.end(), vImage.fBytes.begin() + 4096, vImage.fBytes.begin() + end);
  return bytes;
}

int LogSeeds(const std::string& vFolder) {
  TMemRegistry reg;
  reg.SetDword(kHKLM, u"S\\Alpha", u"n", 7);
  reg.SetText(kHKLM, u"S\\Beta", u"t", u"text");
  THiveWriterOptions dirty;
  dirty.fDirty = true;
  const THiveImage before = WriteHive(*reg.Find(kHKLM, u"S"), dirty);
  reg.SetText(kHKLM, u"S\\Alpha", u"logged", u"from the log");
  reg.SetValue(kHKLM, u"S\\Gamma", u"b", kRegBinary, {1, 2, 3});
  const THiveImage after = WriteHive(*reg.Find(kHKLM, u"S"));
  // Pages of 512 bytes keep the seeds short; checksums and hashes are 0, for the target to
  // fill in.
  auto log = [&](std::uint32_t vSequence, const std::vector<THiveLogEntry>& vEntries) {
    THiveLogImage image = WriteHiveLog(before, vSequence, vEntries);
    std::fill(image.fBytes.begin() + 508, image.fBytes.begin() + 512, 0);
    for (std::uint32_t at : image.fEntries)
      std::fill(image.fBytes.begin() + at + 24, image.fBytes.begin() + at + 40, 0);
    return image.fBytes;
  };
  auto write = [&](const std::string& vName, const std::vector<std::uint8_t>& vLog1,
                   const std::vector<std::uint8_t>& vLog2) {
    const std::vector<std::uint8_t> hive = FuzzForm(before);
    std::vector<std::uint8_t> bytes = {std::uint8_t(hive.size()), std::uint8_t(hive.size() >> 8),
                                       std::uint8_t(vLog1.size()), std::uint8_t(vLog1.size() >> 8)};
    bytes.insert(bytes.end(), hive.begin(), hive.end());
    bytes.insert(bytes.end(), vLog1.begin(), vLog1.end());
    bytes.insert(bytes.end(), vLog2.begin(), vLog2.end());
    std::ofstream(vFolder + "/" + vName, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
  const auto entries = LogEntries(before, after, 2, 1, 512);
  const auto together = LogEntries(before, after, 2, 8, 512);
  write("seed-one-log", log(2, entries), {});
  write("seed-one-entry", log(2, together), {});
  const std::size_t half = entries.size() / 2;
  write("seed-two-logs", log(2, {entries.begin(), entries.begin() + half}),
        log(2 + std::uint32_t(half), {entries.begin() + half, entries.end()}));
  write("seed-two-logs-swapped", log(2 + std::uint32_t(half), {entries.begin() + half, entries.end()}),
        log(2, {entries.begin(), entries.begin() + half}));
  return 0;
}

int DumpFile(const std::string& vPath) {
  TText error;
  auto hive = THiveRegistry::Open(FromUtf8(vPath), error);
  if (!hive) {
    std::cerr << ToUtf8(error) << "\n";
    return 1;
  }
  auto cursor = hive->NewCursor();
  if (!cursor->OpenRead(u"")) return 1;
  DumpCursor(*cursor, std::cout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc == 3 ? argv[1] : "";
  if (command == "write") return Write(argv[2]);
  if (command == "dump") return DumpFile(argv[2]);
  if (command == "seeds") return Seeds(argv[2]);
  if (command == "logseeds") return LogSeeds(argv[2]);
  std::cerr << "usage: hiveoracle write FOLDER | dump FILE | seeds FOLDER | logseeds FOLDER\n";
  return 2;
}
