#include "search/regexport.h"

#include <algorithm>
#include <climits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "text/ansi.h"
#include "search/number.h"

namespace corvane {
namespace {

constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view kHeader4 = u"REGEDIT4";

// Keys with at least this many values get a hash index of their folded value names, so a key
// with many values loads in linear time.
constexpr std::size_t kIndexFrom = 32;

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

TText Fold(TTextView vName) {
  TText f(vName);
  for (auto& c : f) c = FoldWide(c);
  return f;
}

// A short UTF-8 excerpt of input text for error messages.
std::string Excerpt(TTextView vText) {
  constexpr std::size_t kMax = 40;
  if (vText.size() <= kMax) return ToUtf8(vText);
  return ToUtf8(vText.substr(0, kMax)) + "...";
}

enum TEncoding { enUtf16, enUtf8, enAnsi };

// The text of an export split into lines, each decoded to UTF-16. Lines end at CR LF, LF or
// a lone CR; a last line without an end counts as a line.
class TLines {
 public:
  TLines(std::string_view vBytes, std::size_t vStart, TEncoding vEncoding)
      : fBytes(vBytes), fAt(vStart), fEncoding(vEncoding) {}

  void SetEncoding(TEncoding vEncoding) { fEncoding = vEncoding; }
  int Number() const { return fNumber; }
  // Bytes consumed so far.
  std::size_t Position() const { return fAt; }

  // The next line into vLine (its buffer is reused); false at the end of the text.
  bool Next(TText& vLine) {
    if (fAt >= fBytes.size()) return false;
    vLine.clear();
    if (fNumber < INT_MAX) ++fNumber;
    if (fEncoding == enUtf16) {
      NextUtf16(vLine);
      return true;
    }
    std::size_t end = fBytes.find_first_of("\r\n", fAt);
    if (end == std::string_view::npos) end = fBytes.size();
    const std::string_view piece = fBytes.substr(fAt, end - fAt);
    if (fEncoding == enUtf8) {
      vLine = FromUtf8(piece);
    } else {
      vLine = Windows1252ToText(piece);
    }
    fAt = end;
    if (fAt < fBytes.size()) {
      const bool crlf = fBytes[fAt] == '\r' && fAt + 1 < fBytes.size() && fBytes[fAt + 1] == '\n';
      fAt += crlf ? 2 : 1;
    }
    return true;
  }

 private:
  char16_t Unit(std::size_t vAt) const {
    return char16_t(static_cast<unsigned char>(fBytes[vAt]) |
                    (static_cast<unsigned char>(fBytes[vAt + 1]) << 8));
  }

  void NextUtf16(TText& vLine) {
    const std::size_t size = fBytes.size();
    while (fAt < size) {
      if (fAt + 1 >= size) {  // a lone last byte
        vLine += u'\uFFFD';
        fAt = size;
        break;
      }
      const char16_t c = Unit(fAt);
      fAt += 2;
      if (c == u'\n') break;
      if (c == u'\r') {
        if (fAt + 1 < size && Unit(fAt) == u'\n') fAt += 2;
        break;
      }
      vLine += c;
    }
  }

  std::string_view fBytes;
  std::size_t fAt;
  TEncoding fEncoding;
  int fNumber = 0;
};

// A position in one line.
struct TScan {
  TTextView fText;
  std::size_t fAt = 0;

  bool AtEnd() const { return fAt >= fText.size(); }
  char16_t Peek() const { return AtEnd() ? u'\0' : fText[fAt]; }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(fText[fAt])) ++fAt;
  }
  bool Eat(char16_t c) {
    if (AtEnd() || fText[fAt] != c) return false;
    ++fAt;
    return true;
  }
  // Consumes vWord (ASCII, letters in any case) when the text continues with it.
  bool EatWord(std::string_view vWord) {
    if (fText.size() - fAt < vWord.size()) return false;
    for (std::size_t i = 0; i < vWord.size(); ++i)
      if (FoldAZ(fText[fAt + i]) != FoldAZ(char16_t(vWord[i]))) return false;
    fAt += vWord.size();
    return true;
  }
  // Only blanks, or blanks and a ";" comment, remain.
  bool RestIsEmpty() {
    SkipBlanks();
    return AtEnd() || Peek() == u';';
  }
  TTextView Rest() const { return AtEnd() ? TTextView() : fText.substr(fAt); }
};

// Folded value name -> position in the key's value list.
using TValueIndex = std::unordered_map<TText, std::size_t>;

// Reads one export statement by statement. A statement is one line, except a hex value whose
// byte list continues over lines ending with a backslash.
class TReader {
 public:
  TReader(TMemRegistry& vReg, std::string_view vBytes, const TRegLoadProgress& vProgress)
      : fReg(vReg), fBytes(vBytes), fLines(vBytes, 0, enAnsi), fProgress(vProgress) {}

  void Run() {
    Report(0);
    Header();
    std::size_t next = Step();
    while (fLines.Next(fLine)) {
      fStart = fLines.Number();
      Statement();
      if (fProgress.fHook && fLines.Position() >= next) {
        Report(fLines.Position());
        next = fLines.Position() + Step();
      }
    }
    Report(fBytes.size());
  }

 private:
  [[noreturn]] void Fail(const std::string& vWhat) const { throw TRegExportError(fStart, vWhat); }

  std::size_t Step() const { return fProgress.fStep ? fProgress.fStep : 1; }
  void Report(std::size_t vDone) const {
    if (fProgress.fHook && !fProgress.fHook(vDone, fBytes.size())) throw TRegExportCancelled();
  }

  // The encoding comes from the byte order mark; without one, from the header: version 5.00
  // is UTF-8, REGEDIT4 is Windows-1252 (the header itself is ASCII in both).
  void Header() {
    const std::string_view b = fBytes;
    bool encodingKnown = true;
    std::size_t start = 0;
    TEncoding encoding = enAnsi;
    if (b.starts_with("\xFF\xFE")) {
      encoding = enUtf16;
      start = 2;
    } else if (b.starts_with("\xFE\xFF")) {
      Fail("UTF-16 big-endian text is not supported");
    } else if (b.starts_with("\xEF\xBB\xBF")) {
      encoding = enUtf8;
      start = 3;
    } else if (b.size() >= 2 && b[0] != '\0' && b[1] == '\0') {
      encoding = enUtf16;  // UTF-16LE that lost its byte order mark
    } else {
      encodingKnown = false;
    }
    fLines = TLines(b, start, encoding);
    TScan header;
    if (fLines.Next(fLine)) {
      header.fText = fLine;
      header.SkipBlanks();
      std::size_t end = fLine.size();
      while (end > header.fAt && IsBlank(fLine[end - 1])) --end;
      header.fText = header.fText.substr(header.fAt, end - header.fAt);
    }
    if (header.fText == kHeader5) {
      if (!encodingKnown) fLines.SetEncoding(enUtf8);
    } else if (header.fText == kHeader4) {
      fAnsiStrings = true;
    } else {
      Fail(
          "missing header: the first line must be \"Windows Registry Editor Version 5.00\" or "
          "\"REGEDIT4\"");
    }
  }

  void Statement() {
    fScan = TScan{fLine};
    fScan.SkipBlanks();
    switch (fScan.Peek()) {
      case u'[':
        KeyLine();
        return;
      case u'"':
      case u'@':
        ValueLine();
        return;
      default:
        if (fScan.RestIsEmpty()) return;  // blank line or comment
        Fail("unexpected text \"" + Excerpt(fScan.Rest()) + "\"");
    }
  }

  // [ROOT\path] opens (creating) a key, [-ROOT\path] deletes a key with its subtree.
  void KeyLine() {
    const TTextView line = fScan.fText;
    ++fScan.fAt;
    const bool remove = fScan.Eat(u'-');
    const std::size_t close = line.rfind(u']');
    if (close == TTextView::npos || close < fScan.fAt) Fail("key name without closing ']'");
    TScan after{line, close + 1};
    if (!after.RestIsEmpty()) Fail("unexpected text after the key name");
    const TTextView full = line.substr(fScan.fAt, close - fScan.fAt);
    const std::size_t slash = full.find(u'\\');
    const TTextView rootName = full.substr(0, slash);
    const TTextView path = slash == TTextView::npos ? TTextView() : full.substr(slash + 1);
    const TKeyHandle root = Root(rootName);
    std::size_t depth = 0;
    for (std::size_t i = 0; i < path.size(); ++i)
      if (path[i] != u'\\' && (i == 0 || path[i - 1] == u'\\')) ++depth;
    if (depth > kRegExportMaxDepth)
      Fail("key path deeper than " + std::to_string(kRegExportMaxDepth) + " levels");
    fKey = nullptr;
    try {
      if (remove) {
        if (depth == 0) Fail("a root key cannot be deleted");
        if (!fIndexes.empty()) Forget(fReg.Find(root, path));
        fReg.RemoveTree(root, path);
        fAfterDelete = true;
      } else {
        fKey = &fReg.Key(root, path);
        fAfterDelete = false;
      }
    } catch (const TRegError& e) {
      Fail(e.what());
    }
  }

  // Drops the indexes of a subtree about to be removed: its keys' addresses may come back for
  // new keys.
  void Forget(const TMemKey* vKey) {
    std::vector<const TMemKey*> pending;
    if (vKey) pending.push_back(vKey);
    while (!pending.empty()) {
      const TMemKey* k = pending.back();
      pending.pop_back();
      fIndexes.erase(k);
      for (const auto& sub : k->fSubkeys) pending.push_back(sub.get());
    }
  }

  TKeyHandle Root(TTextView vName) const {
    if (const TRootInfo* root = RootByName(vName)) return root->fHandle;
    Fail("unknown root key \"" + Excerpt(vName) + "\"");
  }

  // "name"=data or @=data.
  void ValueLine() {
    if (!fKey)
      Fail(fAfterDelete ? "value line after a key deletion, outside any key"
                        : "value line before any key line");
    TText name;
    if (!fScan.Eat(u'@')) name = Quoted("value name");
    fScan.SkipBlanks();
    if (!fScan.Eat(u'=')) Fail("expected '=' after the value name");
    fScan.SkipBlanks();
    if (fScan.Peek() == u'"') {
      const TText text = Quoted("string");
      EndOfValue();
      Put(std::move(name), kRegSz, TextBytes(text));
    } else if (fScan.Eat(u'-')) {
      EndOfValue();
      Remove(name);
    } else if (fScan.EatWord("dword:")) {
      Put(std::move(name), kRegDword, Dword());
    } else if (fScan.EatWord("hex")) {
      const std::uint32_t type = fScan.Peek() == u'(' ? TypeNumber() : kRegBinary;
      if (!fScan.Eat(u':')) Fail("expected ':' after \"hex\"");
      std::vector<std::uint8_t> bytes = HexBytes();
      if (fAnsiStrings && (type == kRegSz || type == kRegExpandSz || type == kRegMultiSz))
        bytes = Widened(bytes);
      Put(std::move(name), type, std::move(bytes));
    } else {
      Fail("unknown value data \"" + Excerpt(fScan.Rest()) + "\"");
    }
  }

  // A quoted text with the escapes \\ and \"; the scan stands on the opening quote.
  TText Quoted(const char* vWhat) {
    ++fScan.fAt;
    TText out;
    for (;;) {
      if (fScan.AtEnd()) Fail(std::string("unterminated ") + vWhat);
      const char16_t c = fScan.fText[fScan.fAt++];
      if (c == u'"') return out;
      if (c != u'\\') {
        out += c;
        continue;
      }
      if (fScan.AtEnd()) Fail(std::string("unterminated ") + vWhat);
      const char16_t e = fScan.fText[fScan.fAt++];
      if (e != u'\\' && e != u'"')
        Fail(std::string("bad escape \"\\") + ToUtf8(TTextView(&e, 1)) + "\" in " + vWhat);
      out += e;
    }
  }

  void EndOfValue() {
    if (!fScan.RestIsEmpty()) Fail("unexpected text after the value");
  }

  // dword: with one to eight hex digits.
  std::vector<std::uint8_t> Dword() {
    const std::size_t from = fScan.fAt;
    std::uint32_t n = 0;
    std::size_t digits = 0;
    for (int d; (d = HexDigit(fScan.Peek())) >= 0 && digits <= 8; ++fScan.fAt, ++digits)
      n = (n << 4) | std::uint32_t(d);
    if (digits == 0 || digits > 8 || !fScan.RestIsEmpty())
      Fail("bad dword \"" + Excerpt(fScan.fText.substr(from)) + "\"");
    return {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)};
  }

  // (n) after "hex", n in hexadecimal from 0 to ffffffff.
  std::uint32_t TypeNumber() {
    const std::size_t from = fScan.fAt++;
    std::uint64_t n = 0;
    std::size_t digits = 0;
    for (int d; (d = HexDigit(fScan.Peek())) >= 0; ++fScan.fAt, ++digits) {
      n = (n << 4) | std::uint64_t(d);
      if (n > 0xFFFFFFFFu) break;
    }
    if (digits == 0 || n > 0xFFFFFFFFu || !fScan.Eat(u')')) {
      const std::size_t close = fScan.fText.find(u')', from);
      const std::size_t len = close == TTextView::npos ? TTextView::npos : close + 1 - from;
      Fail("bad value type \"hex" + Excerpt(fScan.fText.substr(from, len)) + "\"");
    }
    return std::uint32_t(n);
  }

  // Comma separated bytes of one or two hex digits; a line ending with a backslash continues
  // the list on the next line. A trailing comma is allowed.
  std::vector<std::uint8_t> HexBytes() {
    std::vector<std::uint8_t> bytes;
    for (;;) {
      fScan.SkipBlanks();
      if (fScan.RestIsEmpty()) return bytes;
      if (fScan.Eat(u'\\')) {
        if (!fScan.RestIsEmpty() || fScan.Peek() == u';') Fail("unexpected text after '\\'");
        if (!fLines.Next(fLine)) Fail("hex data continues past the end of the file");
        fScan = TScan{fLine};
        continue;
      }
      const TTextView rest = fScan.Rest();
      std::size_t digits = 0;
      while (digits < rest.size() && digits < 3 && HexDigit(rest[digits]) >= 0) ++digits;
      if (digits == 0 || digits > 2) Fail("bad hex byte \"" + Excerpt(ByteText()) + "\"");
      const int first = HexDigit(rest[0]);
      bytes.push_back(std::uint8_t(digits == 1 ? first : (first << 4) | HexDigit(rest[1])));
      fScan.fAt += digits;
      fScan.SkipBlanks();
      if (fScan.AtEnd() || fScan.Eat(u',') || fScan.Peek() == u'\\' || fScan.Peek() == u';')
        continue;
      Fail("bad hex byte \"" + Excerpt(ByteText()) + "\"");
    }
  }

  // The text from the scan to the next separator, for messages.
  TTextView ByteText() const {
    const TTextView rest = fScan.Rest();
    const std::size_t end = rest.find_first_of(u",\\ \t");
    return rest.substr(0, end == TTextView::npos ? rest.size() : std::max<std::size_t>(end, 1));
  }

  // 8-bit text bytes of a REGEDIT4 string type as the UTF-16LE bytes the registry returns.
  static std::vector<std::uint8_t> Widened(const std::vector<std::uint8_t>& vBytes) {
    const std::string_view narrow(reinterpret_cast<const char*>(vBytes.data()), vBytes.size());
    return TextBytes(Windows1252ToText(narrow), false);
  }

  // Position of the value named vName in the current key, or npos.
  std::size_t Find(TTextView vName) {
    auto& values = fKey->fValues;
    if (values.size() < kIndexFrom) {
      for (std::size_t i = 0; i < values.size(); ++i)
        if (CompareFoldWide(values[i].fName, vName) == 0) return i;
      return TTextView::npos;
    }
    auto [it, fresh] = fIndexes.try_emplace(fKey);
    if (fresh) {
      it->second.reserve(values.size() * 2);
      for (std::size_t i = 0; i < values.size(); ++i) it->second.emplace(Fold(values[i].fName), i);
    }
    const auto at = it->second.find(Fold(vName));
    return at == it->second.end() ? TTextView::npos : at->second;
  }

  // Replaces a value in place or appends it, as TMemRegistry::SetValue does.
  void Put(TText vName, std::uint32_t vType, std::vector<std::uint8_t> vData) {
    auto& values = fKey->fValues;
    const std::size_t at = Find(vName);
    if (at != TTextView::npos) {
      values[at].fType = vType;
      values[at].fData = std::move(vData);
    } else {
      const auto index = fIndexes.find(fKey);
      if (index != fIndexes.end()) index->second.emplace(Fold(vName), values.size());
      values.push_back(TMemValue{std::move(vName), vType, std::move(vData)});
    }
    fKey->fWriteTime = fReg.NextWriteTime();
  }

  void Remove(TTextView vName) {
    const std::size_t at = Find(vName);
    if (at == TTextView::npos) return;
    fKey->fValues.erase(fKey->fValues.begin() + std::ptrdiff_t(at));
    fIndexes.erase(fKey);  // positions after it moved
    fKey->fWriteTime = fReg.NextWriteTime();
  }

  TMemRegistry& fReg;
  std::string_view fBytes;
  TLines fLines;
  const TRegLoadProgress& fProgress;
  TText fLine;
  TScan fScan;
  int fStart = 1;             // line where the statement being read starts
  bool fAnsiStrings = false;  // REGEDIT4: hex data of the string types is 8-bit text
  TMemKey* fKey = nullptr;    // the key of the last key line; null before one or after [-...]
  bool fAfterDelete = false;
  std::unordered_map<const TMemKey*, TValueIndex> fIndexes;
};

// Builds a version 5.00 export as UTF-16LE bytes, counting the column of the current line.
class TWriter {
 public:
  TWriter() {
    fOut = "\xFF\xFE";
    Ascii("Windows Registry Editor Version 5.00");
    EndLine();
  }

  std::string Take() { return std::move(fOut); }

  void Key(const TMemKey& vKey, TText& vPath, std::size_t vDepth) {
    if (vDepth > kRegExportMaxDepth)
      throw std::runtime_error("key deeper than " + std::to_string(kRegExportMaxDepth) +
                               " levels: " + Excerpt(vPath));
    EndLine();
    Put(u'[');
    Put(vPath);
    Put(u']');
    EndLine();
    for (const auto& v : vKey.fValues) Value(v);
    for (const auto& sub : vKey.fSubkeys) {
      const TTextView name = sub->fName;
      if (name.empty() || name.find_first_of(u"\\\r\n") != TTextView::npos)
        throw std::runtime_error("key name that an export cannot hold below " + Excerpt(vPath));
      const std::size_t size = vPath.size();
      vPath += u'\\';
      vPath += name;
      Key(*sub, vPath, vDepth + 1);
      vPath.resize(size);
    }
  }

  // A key line and its values, nothing below it.
  void KeyOnly(TTextView vPath, const std::vector<TMemValue>& vValues) {
    if (vPath.find_first_of(u"\r\n") != TTextView::npos)
      throw std::runtime_error("key path with a line break: " + Excerpt(vPath));
    EndLine();
    Put(u'[');
    Put(vPath);
    Put(u']');
    EndLine();
    for (const auto& v : vValues) Value(v);
  }

  void EndLine() {
    Put(u'\r');
    Put(u'\n');
    fColumn = 0;
  }

 private:
  void Put(char16_t c) {
    fOut.push_back(char(c & 0xFF));
    fOut.push_back(char(c >> 8));
    ++fColumn;
  }
  void Put(TTextView vText) {
    for (char16_t c : vText) Put(c);
  }
  void Ascii(std::string_view vText) {
    for (char c : vText) Put(char16_t(static_cast<unsigned char>(c)));
  }
  void Escaped(char16_t c) {
    if (c == u'\\' || c == u'"') Put(u'\\');
    Put(c);
  }
  void Hex(std::uint32_t vNumber, int vDigits) {
    static constexpr char kDigits[] = "0123456789abcdef";
    char buf[8];
    int n = 0;
    do {
      buf[n++] = kDigits[vNumber & 15];
      vNumber >>= 4;
    } while (vNumber != 0 || n < vDigits);
    while (n > 0) Put(char16_t(buf[--n]));
  }

  // REG_SZ data that reads back from a quoted string: one closing zero, no other zero, and no
  // line break.
  static bool IsPlainText(const std::vector<std::uint8_t>& vData) {
    const std::size_t size = vData.size();
    if (size < 2 || size % 2 != 0 || vData[size - 2] != 0 || vData[size - 1] != 0) return false;
    for (std::size_t i = 0; i + 2 < size; i += 2) {
      const char16_t c = char16_t(vData[i] | (vData[i + 1] << 8));
      if (c == 0 || c == u'\r' || c == u'\n') return false;
    }
    return true;
  }

  void Value(const TMemValue& vValue) {
    if (vValue.fName.find_first_of(u"\r\n") != TTextView::npos)
      throw std::runtime_error("value name with a line break: " + Excerpt(vValue.fName));
    if (vValue.fName.empty()) {
      Put(u'@');
    } else {
      Put(u'"');
      for (char16_t c : vValue.fName) Escaped(c);
      Put(u'"');
    }
    Put(u'=');
    const auto& data = vValue.fData;
    if (vValue.fType == kRegSz && IsPlainText(data)) {
      Put(u'"');
      for (std::size_t i = 0; i + 2 < data.size(); i += 2)
        Escaped(char16_t(data[i] | (data[i + 1] << 8)));
      Put(u'"');
    } else if (vValue.fType == kRegDword && data.size() == 4) {
      Ascii("dword:");
      Hex(std::uint32_t(data[0]) | (std::uint32_t(data[1]) << 8) | (std::uint32_t(data[2]) << 16) |
              (std::uint32_t(data[3]) << 24),
          8);
    } else {
      Ascii("hex");
      if (vValue.fType != kRegBinary) {
        Put(u'(');
        Hex(vValue.fType, 1);
        Put(u')');
      }
      Put(u':');
      HexBytes(data);
    }
    EndLine();
  }

  // Lines stay within 80 columns: a line that could not take another "xx,\" ends with a
  // backslash and the list goes on after two spaces.
  void HexBytes(const std::vector<std::uint8_t>& vData) {
    constexpr std::size_t kWidth = 80;
    for (std::size_t i = 0; i < vData.size(); ++i) {
      Hex(vData[i], 2);
      if (i + 1 == vData.size()) break;
      Put(u',');
      if (fColumn + 4 > kWidth) {
        Put(u'\\');
        EndLine();
        Ascii("  ");
      }
    }
  }

  std::string fOut;
  std::size_t fColumn = 0;
};

}  // namespace

void LoadRegExport(TMemRegistry& vReg, std::string_view vBytes, const TRegLoadProgress& vProgress) {
  vReg.fKnowsTimes = false;  // an export file carries no times
  TReader(vReg, vBytes, vProgress).Run();
}

void LoadRegExportFile(TMemRegistry& vReg, const TText& vPath, TFileOps& vFiles) {
  std::string bytes;
  TText error;
  switch (vFiles.ReadAll(vPath, bytes, error)) {
    case TFileOps::frDone:
      break;
    case TFileOps::frTransferFailed:
      throw std::runtime_error("cannot read: " + ToUtf8(error));
    default:
      throw std::runtime_error("cannot open: " + ToUtf8(error));
  }
  LoadRegExport(vReg, bytes);
}

std::string SaveRegExport(const TMemRegistry& vReg, TRootKeySet vRoots) {
  static constexpr TRootKey kOrder[] = {rHKCR, rHKCU, rHKLM, rHKU, rHKCC};
  TWriter writer;
  for (TRootKey member : kOrder) {
    if (!vRoots.Has(member)) continue;
    for (const auto& info : kSearchOrder) {
      if (info.fMember != member) continue;
      const auto root = vReg.Root(info.fHandle);
      if (!root || (root->fSubkeys.empty() && root->fValues.empty())) continue;
      TText path = info.fName;
      writer.Key(*root, path, 0);
    }
  }
  writer.EndLine();
  return writer.Take();
}

std::string SaveRegExportKeys(const std::vector<TRegExportKey>& vKeys) {
  TWriter writer;
  for (const TRegExportKey& key : vKeys) writer.KeyOnly(key.fPath, key.fValues);
  writer.EndLine();
  return writer.Take();
}

}  // namespace corvane
