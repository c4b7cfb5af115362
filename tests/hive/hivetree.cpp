#include "hive/hivetree.h"

#include <gtest/gtest.h>

namespace corvane::test {

TMemKey& SampleTree(TMemRegistry& vReg) {
  TMemKey& root = vReg.Key(kHKLM, u"SOFTWARE");
  vReg.SetText(kHKLM, u"SOFTWARE", u"", u"the default");
  vReg.SetDword(kHKLM, u"SOFTWARE\\Alpha", u"Number", 0x01020304);
  vReg.SetText(kHKLM, u"SOFTWARE\\Alpha", u"Path", u"%SystemRoot%\\x", kRegExpandSz);
  vReg.SetValue(kHKLM, u"SOFTWARE\\Alpha", u"Multi", kRegMultiSz,
                TextBytes(TTextView(u"a\0b\0", 4)));
  vReg.SetValue(kHKLM, u"SOFTWARE\\Alpha", u"Quad", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8});
  vReg.SetValue(kHKLM, u"SOFTWARE\\Alpha", u"Odd", 0x12345, {9, 8, 7, 6, 5});
  vReg.SetValue(kHKLM, u"SOFTWARE\\Alpha", u"None", kRegNone, {});
  vReg.SetValue(kHKLM, u"SOFTWARE\\Alpha\\Beta", u"Bin", kRegBinary,
                std::vector<std::uint8_t>(300, 0xAB));
  for (std::uint8_t n = 1; n <= 3; ++n)
    vReg.SetValue(kHKLM, u"SOFTWARE\\Alpha\\Beta", u"Short" + DecimalText(n), kRegBinary,
                  std::vector<std::uint8_t>(n, std::uint8_t(0x10 + n)));
  // Latin-1 names are stored one byte a character; Greek and Cyrillic ones in UTF-16.
  vReg.SetText(kHKLM, u"SOFTWARE\\Caf\u00E9 \u00C4rger", u"Gr\u00FC\u00DFe", u"\u00FCber");
  vReg.SetText(kHKLM, u"SOFTWARE\\\u041A\u043B\u044E\u0447", u"\u03B1\u03B2\u03B3",
               u"\u4E2D\u6587");
  for (int i = 0; i < 40; ++i)
    vReg.SetDword(kHKLM, u"SOFTWARE\\Many\\Sub" + DecimalText(100 + i), u"i", std::uint32_t(i));
  vReg.Key(kHKLM, u"SOFTWARE\\Alpha").fClass = u"AlphaClass";
  vReg.Key(kHKLM, u"SOFTWARE\\Many\\Sub105").fClass = u"K\u00E4fer";
  std::uint64_t time = 0x01D9000000000000ull;
  std::function<void(TMemKey&)> stamp = [&](TMemKey& k) {
    k.fWriteTime = time += 0x1234567;
    for (auto& s : k.fSubkeys) stamp(*s);
  };
  stamp(root);
  return root;
}

std::string Hex(const std::uint8_t* vData, std::size_t vSize) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  for (std::size_t i = 0; i < vSize; ++i) {
    s += kDigits[vData[i] >> 4];
    s += kDigits[vData[i] & 15];
  }
  return s;
}

namespace {

// The listings a walk reads: the copying ones, or the scanning ones the search uses, with
// one value list and one name list per depth kept from key to key as the search keeps them.
struct TWalkLists {
  bool fScan = false;
  TValueList fValues;
  std::vector<std::vector<TText>> fNames = std::vector<std::vector<TText>>(kMaxKeyDepth + 2);
};

void Walk(TRegCursor& vCursor, const std::string& vPath, int vDepth,
          std::vector<std::string>& vLines, TWalkLists& vLists) {
  TKeyInfo info;
  std::string line = vPath;
  if (vCursor.OpenKeyInfo(info)) {
    if (!info.fClass.empty()) line += " [" + ToUtf8(info.fClass) + "]";
    line += " @" + std::to_string(info.fLastWriteTime);
  }
  vLines.push_back(line);
  TValueList copied;
  TValueList& list = vLists.fScan ? vLists.fValues : copied;
  if (vLists.fScan ? vCursor.ScanValues(list, true) : vCursor.ListValues(list, true)) {
    for (const TValueEntry& e : list.fValues) {
      std::string v = "  " + ToUtf8(e.fName) + " " + std::to_string(e.fType);
      v += e.fReadable ? " " + std::to_string(e.fSize) + " " + Hex(list.Data(e), e.fSize)
                       : " unreadable";
      vLines.push_back(v);
    }
  }
  if (vDepth >= kMaxKeyDepth) return;
  std::vector<TText>& names = vLists.fNames[vDepth];
  if (vLists.fScan)
    vCursor.ListSubkeyNames(names);
  else
    names = vCursor.SubkeyNames();
  for (const TText& name : names) {
    if (!vCursor.OpenSubkeyRead(name)) {
      vLines.push_back(vPath + "\\" + ToUtf8(name) + " cannot be opened");
      continue;
    }
    Walk(vCursor, vPath + "\\" + ToUtf8(name), vDepth + 1, vLines, vLists);
    vCursor.CloseSubkey();
  }
}

}  // namespace

std::vector<std::string> WalkLines(TRegCursor& vCursor) {
  std::vector<std::string> lines;
  TWalkLists lists;
  Walk(vCursor, "", 0, lines, lists);
  return lines;
}

std::vector<std::string> WalkLines(const THiveRegistry& vHive) {
  auto cursor = vHive.NewCursor();
  cursor->SelectRoot(kHKLM);
  if (!cursor->OpenRead(u"")) return {"root cannot be opened"};
  std::vector<std::string> lines = WalkLines(*cursor);
  // The scanning listings the search reads must give the same walk, damage included.
  std::vector<std::string> scanned;
  TWalkLists lists;
  lists.fScan = true;
  Walk(*cursor, "", 0, scanned, lists);
  EXPECT_EQ(scanned, lines) << "the scanning listings differ from the copying ones";
  return lines;
}

std::vector<std::string> WalkLines(TMemRegistry& vReg, TTextView vPath) {
  auto cursor = vReg.NewCursor();
  cursor->SelectRoot(kHKLM);
  if (!cursor->OpenRead(u"\\" + TText(vPath))) return {"key cannot be opened"};
  return WalkLines(*cursor);
}

std::unique_ptr<THiveRegistry> OpenImage(const THiveImage& vImage) {
  TText error;
  auto hive = THiveRegistry::FromBytes(vImage.fBytes, u"SOFTWARE", error);
  EXPECT_TRUE(hive) << ToUtf8(error);
  return hive;
}

std::string OpenError(std::vector<std::uint8_t> vBytes) {
  TText error;
  auto hive = THiveRegistry::FromBytes(std::move(vBytes), u"SOFTWARE", error);
  return hive ? std::string() : ToUtf8(error);
}

}  // namespace corvane::test
