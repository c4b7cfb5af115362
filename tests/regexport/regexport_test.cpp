#include "search/regexport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "support/printers.h"

namespace corvane {
namespace {

using TBytes = std::vector<std::uint8_t>;

const std::string kHead5 = "Windows Registry Editor Version 5.00\r\n\r\n";

std::string Utf16(TTextView vText, bool vBom = true) {
  std::string b = vBom ? "\xFF\xFE" : "";
  for (char16_t c : vText) b += {char(c & 0xFF), char(c >> 8)};
  return b;
}

TText FromUtf16(std::string_view vBytes) {
  TText t;
  for (std::size_t i = 0; i + 1 < vBytes.size(); i += 2)
    t += char16_t(std::uint8_t(vBytes[i]) | (std::uint8_t(vBytes[i + 1]) << 8));
  return t;
}

// The value's type and bytes as "type: bytes" in hex, or "absent".
std::string Val(TMemRegistry& vReg, TKeyHandle vRoot, TTextView vPath, TTextView vName) {
  TMemKey* k = vReg.Find(vRoot, vPath);
  const TMemValue* v = k ? k->Value(vName) : nullptr;
  if (!v) return "absent";
  std::ostringstream out;
  out << std::hex << v->fType << ":";
  for (auto b : v->fData) out << ' ' << unsigned(b);
  return out.str();
}

std::string Sz(TTextView vText, std::uint32_t vType = kRegSz) {
  std::ostringstream out;
  out << std::hex << vType << ":";
  for (auto b : TextBytes(vText)) out << ' ' << unsigned(b);
  return out.str();
}

// Every key and value with names as code units, for comparing whole registries.
void DumpKey(std::ostream& vOut, const TMemKey& vKey, int vDepth) {
  vOut << vDepth << " [" << std::hex;
  for (char16_t c : vKey.fName) vOut << unsigned(c) << ' ';
  for (const auto& v : vKey.fValues) {
    vOut << "] \"";
    for (char16_t c : v.fName) vOut << unsigned(c) << ' ';
    vOut << "\" " << v.fType << ':';
    for (auto b : v.fData) vOut << ' ' << unsigned(b);
  }
  vOut << "\n";
  for (const auto& s : vKey.fSubkeys) DumpKey(vOut, *s, vDepth + 1);
}

std::string Dump(const TMemRegistry& vReg) {
  std::ostringstream out;
  for (const auto& r : kSearchOrder) DumpKey(out, *vReg.Root(r.fHandle), 0);
  return out.str();
}

// "line N: ..." of the load error, or "loaded".
std::string Failure(std::string_view vBytes) {
  TMemRegistry reg;
  try {
    LoadRegExport(reg, vBytes);
  } catch (const TRegExportError& e) {
    return e.what();
  }
  return "loaded";
}

TEST(RegExportRead, EveryDataFormOfVersion5InUtf16) {
  const TText text =
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Test]\r\n"
      u"@=\"default\"\r\n"
      u"\"Str\"=\"a \\\"q\\\" C:\\\\p; no comment\"\r\n"
      u"\"Dw\"=dword:0000ff01\r\n"
      u"\"Short\"=dword:7\r\n"
      u"\"Bin\"=hex:00,01,fe,FF\r\n"
      u"\"NoData\"=hex:\r\n"
      u"\"None\"=hex(0):01\r\n"
      u"\"Exp\"=hex(2):25,00,00,00\r\n"
      u"\"Q\"=hex(b):01,00,00,00,00,00,00,80\r\n"
      u"\"Max\"=hex(FFFFFFFF):\r\n"
      u"\"Gone\"=\"x\"\r\n"
      u"\"Gone\"=-\r\n"
      u"\"\\\\n \\\"q\\\" = @\"=\"\u00e9\u20ac\U0001F600\"\r\n";
  TMemRegistry reg;
  LoadRegExport(reg, Utf16(text));
  const TText k = u"Software\\Test";
  EXPECT_EQ(Val(reg, kHKCU, k, u""), Sz(u"default"));
  EXPECT_EQ(Val(reg, kHKCU, k, u"Str"), Sz(u"a \"q\" C:\\p; no comment"));
  EXPECT_EQ(Val(reg, kHKCU, k, u"Dw"), "4: 1 ff 0 0");
  EXPECT_EQ(Val(reg, kHKCU, k, u"Short"), "4: 7 0 0 0");
  EXPECT_EQ(Val(reg, kHKCU, k, u"Bin"), "3: 0 1 fe ff");
  EXPECT_EQ(Val(reg, kHKCU, k, u"NoData"), "3:");
  EXPECT_EQ(Val(reg, kHKCU, k, u"None"), "0: 1");
  EXPECT_EQ(Val(reg, kHKCU, k, u"Exp"), "2: 25 0 0 0");
  EXPECT_EQ(Val(reg, kHKCU, k, u"Q"), "b: 1 0 0 0 0 0 0 80");
  EXPECT_EQ(Val(reg, kHKCU, k, u"Max"), "ffffffff:");
  EXPECT_EQ(Val(reg, kHKCU, k, u"Gone"), "absent");
  EXPECT_EQ(Val(reg, kHKCU, k, u"\\n \"q\" = @"), Sz(u"\u00e9\u20ac\U0001F600"));
  EXPECT_EQ(reg.Find(kHKCU, k)->fValues.size(), 11u);
}

TEST(RegExportRead, Version5InUtf8WithOrWithoutBomReadsAsUtf16) {
  const TText text =
      u"Windows Registry Editor Version 5.00\r\n\r\n[HKLM\\Caf\u00e9]\r\n"
      u"\"\u20ac\"=\"\U0001F600\"\r\n\"Exp\"=hex(2):e9,00,00,00\r\n";
  TMemRegistry wide;
  LoadRegExport(wide, Utf16(text));
  EXPECT_EQ(Val(wide, kHKLM, u"Caf\u00e9", u"\u20ac"), Sz(u"\U0001F600"));
  for (const std::string& bytes :
       {ToUtf8(text), "\xEF\xBB\xBF" + ToUtf8(text), Utf16(text, false)}) {
    TMemRegistry reg;
    LoadRegExport(reg, bytes);
    EXPECT_EQ(Dump(reg), Dump(wide));  // hex(2) bytes stay as written
  }
  EXPECT_EQ(Failure("\xFE\xFF" + Utf16(text, false)).substr(0, 8), "line 1: ");
}

TEST(RegExportRead, Regedit4IsWindows1252AndItsStringBytesAreWidened) {
  TMemRegistry reg;
  LoadRegExport(reg,
                "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Caf\xe9]\r\n"
                "\"N\xe9\"=\"\x80\x93\x81\"\r\n"
                "\"Exp\"=hex(2):25,e9,80,00\r\n"
                "\"Multi\"=hex(7):61,00,00\r\n"
                "\"Sz\"=hex(1):9c,00\r\n"
                "\"Bin\"=hex:e9,80\r\n");
  const TText k = u"Caf\u00e9";
  EXPECT_EQ(Val(reg, kHKCU, k, u"N\u00e9"), Sz(u"\u20ac\u201c\u0081"));
  EXPECT_EQ(Val(reg, kHKCU, k, u"Exp"), Sz(u"%\u00e9\u20ac", kRegExpandSz));
  EXPECT_EQ(Val(reg, kHKCU, k, u"Multi"), Sz(TTextView(u"a\0", 2), kRegMultiSz));
  EXPECT_EQ(Val(reg, kHKCU, k, u"Sz"), Sz(u"\u0153"));
  EXPECT_EQ(Val(reg, kHKCU, k, u"Bin"), "3: e9 80");
}

TEST(RegExportRead, SampleFiles) {
  TMemRegistry reg;
  LoadRegExportFile(reg, u"" CORVANE_REGEXPORT_SAMPLES "/utf16.reg");
  LoadRegExportFile(reg, u"" CORVANE_REGEXPORT_SAMPLES "/regedit4.reg");
  EXPECT_EQ(Val(reg, kHKCU, u"Software\\Corvane Sample", u"Gr\u00f6\u00dfe"), "4: 2a 0 0 0");
  EXPECT_EQ(Val(reg, kHKCU, u"Software\\Corvane Sample", u"Expand"), Sz(u"%TEMP%", kRegExpandSz));
  EXPECT_EQ(Val(reg, kHKLM, u"SOFTWARE\\Corvane Sample", u"Caf\u00e9"), Sz(u"\u20ac 5"));
  EXPECT_THROW(LoadRegExportFile(reg, u"" CORVANE_REGEXPORT_SAMPLES "/absent.reg"),
               std::runtime_error);
}

TEST(RegExportRead, KeyLinesRootNamesAndDeletions) {
  TMemRegistry reg;
  LoadRegExport(reg, kHead5 +
                         "[hklm\\A]\r\n@=\"1\"\r\n[HKCR\\B]\r\n[HKU\\C]\r\n[HKCC\\D]\r\n"
                         "[HKEY_CURRENT_USER]\r\n@=\"root\"\r\n"
                         "  [HKCU\\odd]name] ; comment\r\n"
                         "[HKCU\\Drop\\Sub]\r\n\"v\"=\"x\"\r\n"
                         "[HKCU\\Keep]\r\n\"A\"=\"1\"\r\n\"B\"=\"2\"\r\n"
                         "[-HKCU\\Drop]\r\n[-HKCU\\Never\\There]\r\n"
                         "[HKCU\\Keep]\r\n\"a\"=dword:00000003\r\n\"C\"=\"4\"\r\n\"b\"=-\r\n");
  EXPECT_EQ(Val(reg, kHKLM, u"A", u""), Sz(u"1"));
  EXPECT_TRUE(reg.Find(kHKCR, u"B") && reg.Find(kHKU, u"C") && reg.Find(kHKCC, u"D"));
  EXPECT_EQ(Val(reg, kHKCU, u"", u""), Sz(u"root"));
  EXPECT_NE(reg.Find(kHKCU, u"odd]name"), nullptr);
  EXPECT_EQ(reg.Find(kHKCU, u"Drop"), nullptr);
  // A value seen again keeps its place and the case of its first name.
  const auto& values = reg.Find(kHKCU, u"Keep")->fValues;
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].fName + values[1].fName, u"AC");
  EXPECT_EQ(values[0].fType, kRegDword);
}

TEST(RegExportRead, LineEndsContinuationsAndComments) {
  const std::string body =
      "Windows Registry Editor Version 5.00  \n\n; comment\n[HKCU\\K]\n   ; indented\n"
      "\"Bin\"=hex:01, 02 ,03,\\\n  04,\\   \n\t05,\n"
      "\"Tight\"=hex:7,8\\\n9\n"
      "\"Sp\" \t=  \"x\"   ; trailing\n"
      "@ = dword:00000001 ; one\n";
  for (const std::string_view ends : {"\n", "\r\n", "\r"}) {
    std::string text;
    for (char c : body) text += c == '\n' ? std::string(ends) : std::string(1, c);
    TMemRegistry reg;
    LoadRegExport(reg, text);
    EXPECT_EQ(Val(reg, kHKCU, u"K", u"Bin"), "3: 1 2 3 4 5") << ends.size();
    EXPECT_EQ(Val(reg, kHKCU, u"K", u"Tight"), "3: 7 8 9");
    EXPECT_EQ(Val(reg, kHKCU, u"K", u"Sp"), Sz(u"x"));
    EXPECT_EQ(Val(reg, kHKCU, u"K", u""), "4: 1 0 0 0");
  }
}

TEST(RegExportRead, KeyDepthIsCapped) {
  std::string path = "HKCU";
  for (std::size_t i = 0; i < kRegExportMaxDepth; ++i) path += "\\k";
  TMemRegistry reg;
  LoadRegExport(reg, kHead5 + "[" + path + "]\r\n");
  EXPECT_EQ(reg.KeyCount(), 5 + kRegExportMaxDepth);
  EXPECT_EQ(Failure(kHead5 + "[" + path + "\\k]\r\n"), "line 3: key path deeper than 512 levels");
}

// A key with many values goes through a name index; it must act as TMemRegistry does.
TEST(RegExportRead, ManyValuesInOneKeyActAsTheRegistryDoes) {
  std::string text = kHead5 + "[HKCU\\Many]\r\n";
  TMemRegistry model;
  std::mt19937 rnd(7);
  for (int i = 0; i < 3000; ++i) {
    const std::string name = (rnd() % 2 ? "v" : "V") + std::to_string(rnd() % 400);
    if (rnd() % 5 == 0) {
      text += "\"" + name + "\"=-\r\n";
      model.DeleteValue(kHKCU, u"Many", FromUtf8(name));
    } else {
      text += "\"" + name + "\"=dword:" + std::to_string(i % 10) + "\r\n";
      model.SetDword(kHKCU, u"Many", FromUtf8(name), std::uint32_t(i % 10));
    }
    if (i % 1000 == 999) {  // leave the key, delete another, come back
      text += "[HKCU\\Other]\r\n[-HKCU\\Other]\r\n[HKCU\\Many]\r\n";
    }
  }
  TMemRegistry reg;
  LoadRegExport(reg, text);
  EXPECT_EQ(Dump(reg), Dump(model));
}

TEST(RegExportErrors, NameTheLineWhereTheStatementStarts) {
  const std::pair<std::string, std::string> cases[] = {
      {"[HKEY_NOWHERE\\x]", "line 3: unknown root key \"HKEY_NOWHERE\""},
      {"[HKCU\\x", "line 3: key name without closing ']'"},
      {"[HKCU\\x] junk", "line 3: unexpected text after the key name"},
      {"[-HKCU]", "line 3: a root key cannot be deleted"},
      {";\r\n\"a\"=\"b\"", "line 4: value line before any key line"},
      {"[-HKCU\\x]\r\n@=\"b\"", "line 4: value line after a key deletion, outside any key"},
      {"[HKCU\\x]\r\n\"a\"=\"abc\\", "line 4: unterminated string"},
      {"[HKCU\\x]\r\n\"abc=1", "line 4: unterminated value name"},
      {"[HKCU\\x]\r\n\"a\"=\"x\\ny\"", "line 4: bad escape \"\\n\" in string"},
      {"[HKCU\\x]\r\n\"a\" \"b\"", "line 4: expected '=' after the value name"},
      {"[HKCU\\x]\r\n\"a\"=\"b\" c", "line 4: unexpected text after the value"},
      {"[HKCU\\x]\r\n\"a\"=dword:", "line 4: bad dword \"\""},
      {"[HKCU\\x]\r\n\"a\"=dword:123456789", "line 4: bad dword \"123456789\""},
      {"[HKCU\\x]\r\n\"a\"=dword:12g", "line 4: bad dword \"12g\""},
      {"[HKCU\\x]\r\n\"a\"=hex:123", "line 4: bad hex byte \"123\""},
      {"[HKCU\\x]\r\n\"a\"=hex:01,,02", "line 4: bad hex byte \",\""},
      {"[HKCU\\x]\r\n\"a\"=hex:01 02", "line 4: bad hex byte \"02\""},
      {"[HKCU\\x]\r\n\"a\"=hex:01,\\ 02", "line 4: unexpected text after '\\'"},
      {"[HKCU\\x]\r\n\"a\"=hex(1ffffffff):", "line 4: bad value type \"hex(1ffffffff)\""},
      {"[HKCU\\x]\r\n\"a\"=hex(2)00", "line 4: expected ':' after \"hex\""},
      {"[HKCU\\x]\r\n\"a\"=word:1", "line 4: unknown value data \"word:1\""},
      {"[HKCU\\x]\r\nfoo", "line 4: unexpected text \"foo\""},
      {"[HKCU\\x]\r\n\"a\"=hex:01,\\", "line 4: hex data continues past the end of the file"},
      {"[HKCU\\x]\r\n\"a\"=hex:01,\\\r\n  02,\\\r\n  zz", "line 4: bad hex byte \"zz\""},
      {"[HKCU\\x]\r\n\"a\"=hex:01,\\\r\n  02\r\n\"b\"=dword:x", "line 6: bad dword \"x\""},
  };
  for (const auto& [text, what] : cases) {
    EXPECT_EQ(Failure(kHead5 + text + "\r\n"), what);
    EXPECT_EQ(Failure(Utf16(FromUtf8(kHead5 + text))), what);
  }
  for (const std::string& text : {std::string(), std::string("REGEDIT5\r\n"),
                                  std::string("\r\nREGEDIT4\r\n"), Utf16(u"REGEDIT")})
    EXPECT_EQ(Failure(text).substr(0, 23), "line 1: missing header:") << text;
  EXPECT_EQ(Failure("REGEDIT4"), "loaded");

  TMemRegistry reg;  // what precedes the error stays
  EXPECT_THROW(LoadRegExport(reg, kHead5 + "[HKCU\\A]\r\n\"x\"=\"1\"\r\n\"y\"=dword:z\r\n"),
               TRegExportError);
  EXPECT_EQ(Val(reg, kHKCU, u"A", u"x"), Sz(u"1"));
}

// Random and damaged input ends in success or TRegExportError only; the sanitizers catch any
// read out of bounds.
TEST(RegExportErrors, GarbageOnlyEverGivesTheLoadError) {
  const std::string valid = kHead5 +
                            "[HKCU\\A\\B]\r\n@=\"x\"\r\n\"d\"=dword:00000001\r\n"
                            "\"h\"=hex(7):61,00,\\\r\n  00,00\r\n[-HKCU\\A]\r\n";
  const std::string seeds[] = {valid, Utf16(FromUtf8(valid)),
                               "REGEDIT4\r\n[HKLM\\x]\r\n@=\"\xe9\""};
  const char alphabet[] = "[]\\\"@=-,:;() \t\r\nhexdword0129abfHKCU";
  std::mt19937 rnd(2024);
  for (int i = 0; i < 6000; ++i) {
    std::string text = i % 3 == 0 ? std::string() : i % 3 == 1 ? kHead5 : seeds[rnd() % 3];
    if (i % 3 == 0)
      for (std::size_t n = rnd() % 64; n > 0; --n) text += char(rnd());
    if (i % 3 == 1)
      for (std::size_t n = rnd() % 200; n > 0; --n) text += alphabet[rnd() % (sizeof alphabet - 1)];
    if (i % 3 == 2) {
      for (int n = int(rnd() % 4); n >= 0; --n) text[rnd() % text.size()] = char(rnd());
      text.resize(rnd() % (text.size() + 1));
    }
    TMemRegistry reg;
    try {
      LoadRegExport(reg, text);
    } catch (const TRegExportError& e) {
      EXPECT_GE(e.Line(), 1);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what() << " for input " << i;
    }
  }
}

TEST(RegExportWrite, TheRegistryEditorsForms) {
  TMemRegistry reg;
  reg.SetText(kHKCU, u"Soft\\App", u"", u"def");
  reg.SetText(kHKCU, u"Soft\\App", u"Q\"\\", u"C:\\x \"y\"");
  reg.SetDword(kHKCU, u"Soft\\App", u"D", 0xA1B2C3D4);
  reg.SetValue(kHKCU, u"Soft\\App", u"Short", kRegDword, {1, 2, 3});
  reg.SetValue(kHKCU, u"Soft\\App", u"Bin", kRegBinary, {0, 0xab});
  reg.SetValue(kHKCU, u"Soft\\App", u"NoZero", kRegSz, {0x41, 0});
  reg.SetText(kHKCU, u"Soft\\App", u"Break", u"a\n");
  reg.SetValue(kHKCU, u"Soft\\App", u"Big", 0x100, {});
  reg.SetText(kHKCR, u".txt", u"", u"txtfile");
  const std::string out = SaveRegExport(reg);
  EXPECT_EQ(out.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(ToUtf8(FromUtf16(out.substr(2))),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CLASSES_ROOT]\r\n\r\n"
            "[HKEY_CLASSES_ROOT\\.txt]\r\n@=\"txtfile\"\r\n\r\n"
            "[HKEY_CURRENT_USER]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Soft]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Soft\\App]\r\n"
            "@=\"def\"\r\n"
            "\"Q\\\"\\\\\"=\"C:\\\\x \\\"y\\\"\"\r\n"
            "\"D\"=dword:a1b2c3d4\r\n"
            "\"Short\"=hex(4):01,02,03\r\n"
            "\"Bin\"=hex:00,ab\r\n"
            "\"NoZero\"=hex(1):41,00\r\n"
            "\"Break\"=hex(1):61,00,0a,00,00,00\r\n"
            "\"Big\"=hex(100):\r\n\r\n");
  EXPECT_EQ(FromUtf16(SaveRegExport(reg, TRootKeySet(1 << rHKCR)).substr(2)),
            u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CLASSES_ROOT]\r\n\r\n"
            u"[HKEY_CLASSES_ROOT\\.txt]\r\n@=\"txtfile\"\r\n\r\n");
}

TEST(RegExportWrite, LongHexWrapsWithinEightyColumns) {
  TMemRegistry reg;
  TBytes data(300, 0xab);
  reg.SetValue(kHKLM, u"K", u"Blob", kRegBinary, data);
  const TText text = FromUtf16(SaveRegExport(reg));
  std::size_t at = text.find(u"\"Blob\"=hex:ab,"), lines = 0;
  for (std::size_t end; (end = text.find(u"\r\n", at)) != TText::npos; at = end + 2, ++lines) {
    const TTextView line = TTextView(text).substr(at, end - at);
    EXPECT_LE(line.size(), 80u);
    if (lines > 0) {
      EXPECT_TRUE(line.starts_with(u"  "));
    }
    if (!line.ends_with(u"\\")) break;
    EXPECT_EQ(line.size(), 78u);  // 25 bytes on each continuation line
  }
  EXPECT_EQ(lines, 12u);  // 22 bytes on the first line, 11 full lines, 3 left for the last
  TMemRegistry back;
  LoadRegExport(back, SaveRegExport(reg));
  EXPECT_EQ(Dump(back), Dump(reg));
}

TEST(RegExportWrite, RefusesWhatTheFormatCannotHold) {
  TMemRegistry broken;
  broken.SetText(kHKCU, u"K", u"two\nlines", u"x");
  EXPECT_THROW(SaveRegExport(broken), std::runtime_error);
  TMemRegistry deep;
  TText path = u"k";
  for (std::size_t i = 0; i < kRegExportMaxDepth; ++i) path += u"\\k";
  deep.Key(kHKCU, path);
  EXPECT_THROW(SaveRegExport(deep), std::runtime_error);
}

// Seeded random registries: names with quotes, backslashes, brackets, lone surrogates; every
// type; string data with line breaks and zeros; data of any size.
TEST(RegExportRoundTrip, RandomRegistriesComeBackUnchanged) {
  static constexpr char16_t kOddChars[] = u"\"\\]=[@;,- \t\r\n\u00e9\xd83d\xde00\xdc00\xfeff";
  static constexpr std::uint32_t kTypes[] = {0, 1, 1, 2, 3, 4, 4, 7, 11, 0x100, 0xfffffffe};
  for (unsigned seed = 1; seed <= 60; ++seed) {
    std::mt19937 rnd(seed);
    auto text = [&](std::size_t vMax, bool vKey, bool vData) {
      TText t;
      for (std::size_t n = rnd() % vMax + (vData ? 0 : 1); n > 0; --n) {
        char16_t c = rnd() % 3 == 0 ? kOddChars[rnd() % (std::size(kOddChars) - 1)]
                                    : char16_t(rnd() % 3 == 0 ? rnd() % 0x10000 : 32 + rnd() % 95);
        if ((!vData && (c == u'\r' || c == u'\n')) || (vKey && c == u'\\')) c = u'k';
        t += c;
      }
      return t;
    };
    TMemRegistry reg;
    for (int k = int(rnd() % 40); k >= 0; --k) {
      const TKeyHandle root = kSearchOrder[rnd() % 5].fHandle;
      TText path = text(12, true, false);
      for (int d = int(rnd() % 5); d > 0; --d) path += u"\\" + text(12, true, false);
      reg.Key(root, path);
      for (int v = int(rnd() % 8); v > 0; --v) {
        const std::uint32_t type = kTypes[rnd() % std::size(kTypes)];
        TBytes data(rnd() % 4 == 0 ? rnd() % 400 : type == kRegDword ? 4 : rnd() % 12);
        for (auto& b : data) b = std::uint8_t(rnd());
        if (type == kRegSz && rnd() % 4 != 0) data = TextBytes(text(30, false, true));
        reg.SetValue(root, path, rnd() % 6 == 0 ? TText() : text(12, false, false), type, data);
      }
    }
    const std::string saved = SaveRegExport(reg);
    TMemRegistry back;
    ASSERT_NO_THROW(LoadRegExport(back, saved)) << "seed " << seed;
    ASSERT_EQ(Dump(back), Dump(reg)) << "seed " << seed;
    EXPECT_EQ(SaveRegExport(back), saved) << "seed " << seed;
  }
}

}  // namespace
}  // namespace corvane
