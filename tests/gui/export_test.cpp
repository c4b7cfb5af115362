// Results that leave the window, end to end with real input: Export results in its three
// formats through the save dialog, each file read back apart from the program's writers; the
// copy commands by Ctrl+C and the pop-up menus, read back from the clipboard; an export file
// searched instead of the registry and back again; a malformed export file refused.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "guidriver.h"
#include "search/memregistry.h"
#include "search/regexport.h"
#include "support/csvreader.h"
#include "text/wide.h"

namespace {

using namespace guitest;

const wchar_t kExportKey[] = L"Software\\CorvaneExportTest";
// In every planted value's name; in no key name and nowhere else in the registry.
const wchar_t kToken[] = L"qzxport";
constexpr int kValues = 1000;
// The keys below kExportKey that hold the values: a comma and quotes, a nested key, letters
// outside A to Z (which the hits' paths keep as they are).
const wchar_t* const kKeys[] = {L"Alpha", L"Beta, \"two\"", L"Delta\\Deeper", L"Gr\u00F6\u00DFe"};
const wchar_t kNoPart[] = L"\u2014\u2014";

struct TPlanted {
  std::wstring fKey;  // below HKEY_CURRENT_USER, as the registry spells it
  std::wstring fName;
  DWORD fType = REG_NONE;
  std::vector<BYTE> fData;
};

std::vector<BYTE> UnitBytes(const std::wstring& vUnits) {
  const auto* p = reinterpret_cast<const BYTE*>(vUnits.data());
  return std::vector<BYTE>(p, p + vUnits.size() * sizeof(wchar_t));
}

template <class T>
std::vector<BYTE> NumberBytes(T vNumber) {
  std::vector<BYTE> b(sizeof vNumber);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = BYTE(vNumber >> (8 * i));
  return b;
}

// Value i: its key by groups of six, its type by i % 6 (so each group holds all six types),
// its name "qzxport 0042" with one of five endings that need quoting or escaping somewhere.
std::vector<TPlanted> MakePlanted() {
  const wchar_t* const endings[] = {L"", L", \"quoted\"", L" \U0001F600", L" tail ",
                                    L" back\\slash"};
  std::vector<TPlanted> all;
  for (int i = 0; i < kValues; ++i) {
    TPlanted v;
    v.fKey = std::wstring(kExportKey) + L"\\" + kKeys[(i / 6) % 4];
    wchar_t number[16];
    swprintf(number, 16, L"%04d", i);
    v.fName = std::wstring(kToken) + L" " + number + endings[i % 5];
    const std::wstring n = std::to_wstring(i);
    switch (i % 6) {
      case 0:
        v.fType = REG_SZ;
        v.fData =
            UnitBytes(L"a, \"b\"\r\nc \U0001F600 " + std::wstring(kToken) + L"-data #" + n + L'\0');
        break;
      case 1:
        v.fType = REG_EXPAND_SZ;
        v.fData = UnitBytes(L"%SystemRoot%\\corvane #" + n + L'\0');
        break;
      case 2: {
        v.fType = REG_MULTI_SZ;
        std::wstring m = L"one #" + n;
        m += L'\0';
        m += std::wstring(kToken) + L"-multi";
        m += L'\0';
        m += L'\0';
        v.fData = UnitBytes(m);
        break;
      }
      case 3:
        v.fType = REG_DWORD;
        v.fData = NumberBytes(std::uint32_t(0x80000000u + std::uint32_t(i) * 7));
        break;
      case 4:
        v.fType = REG_QWORD;
        v.fData = NumberBytes(std::uint64_t(0x0123456789ABCDEFull + std::uint64_t(i)));
        break;
      default:
        v.fType = REG_BINARY;
        v.fData = {0x01, 0x02, 0x0a, 0xff, BYTE(i)};
        break;
    }
    all.push_back(std::move(v));
  }
  return all;
}

const std::vector<TPlanted>& Planted() {
  static const std::vector<TPlanted> all = MakePlanted();
  return all;
}

// A key path as the hits show it: the root's name, then the path with A to Z lowered.
std::wstring HitPath(const std::wstring& vBelowHkcu) {
  std::wstring path = L"HKEY_CURRENT_USER\\";
  for (wchar_t c : vBelowHkcu) path += c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c;
  return path;
}

// The data column of a value found by its name: its text, each control character shown as a
// dot, when the token is in the data too; the placeholder when not.
std::wstring ShownData(const TPlanted& vValue) {
  if (vValue.fType != REG_SZ && vValue.fType != REG_EXPAND_SZ && vValue.fType != REG_MULTI_SZ)
    return kNoPart;
  std::wstring text(reinterpret_cast<const wchar_t*>(vValue.fData.data()),
                    vValue.fData.size() / sizeof(wchar_t));
  if (!text.empty() && text.back() == L'\0') text.pop_back();
  if (text.find(kToken) == std::wstring::npos) return kNoPart;
  for (wchar_t& c : text)
    if (c < 32) c = L'.';
  return text;
}

// UTF-8 bytes as UTF-16; bytes that are not UTF-8 give a text no planted one equals.
std::wstring Wide(std::string_view vText) {
  if (vText.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, vText.data(), int(vText.size()),
                                    nullptr, 0);
  if (n <= 0) return L"<not UTF-8>";
  std::wstring out(std::size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, vText.data(), int(vText.size()), out.data(),
                      n);
  return out;
}

// A version 5.00 export as the registry editor writes it: UTF-16LE with its byte order mark.
std::string Utf16File(const std::wstring& vText) {
  const std::vector<BYTE> units = UnitBytes(vText);
  return "\xFF\xFE" + std::string(units.begin(), units.end());
}

// The members of a one-line JSON object whose members are strings and numbers: strings
// decoded to UTF-16, numbers as written. False when the line is not such an object.
bool FlatJsonObject(std::string_view vLine, std::map<std::string, std::wstring>& vMembers) {
  std::size_t at = 0;
  const auto blanks = [&] {
    while (at < vLine.size() && (vLine[at] == ' ' || vLine[at] == '\t')) ++at;
  };
  const auto is = [&](char c) { return at < vLine.size() && vLine[at] == c; };
  const auto string = [&](std::wstring& vOut) {
    vOut.clear();
    if (!is('"')) return false;
    ++at;
    std::string raw;  // UTF-8 not yet decoded
    while (at < vLine.size()) {
      const char c = vLine[at++];
      if (c == '"') {
        vOut += Wide(raw);
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        raw += c;
        continue;
      }
      vOut += Wide(raw);
      raw.clear();
      if (at >= vLine.size()) return false;
      switch (const char e = vLine[at++]) {
        case '"':
        case '\\':
        case '/':
          vOut += wchar_t(e);
          break;
        case 'b':
          vOut += L'\b';
          break;
        case 'f':
          vOut += L'\f';
          break;
        case 'n':
          vOut += L'\n';
          break;
        case 'r':
          vOut += L'\r';
          break;
        case 't':
          vOut += L'\t';
          break;
        case 'u': {
          if (at + 4 > vLine.size()) return false;
          unsigned unit = 0;
          for (int i = 0; i < 4; ++i) {
            const char h = vLine[at++];
            const auto digit = std::string_view("0123456789abcdef").find(char(h | 0x20));
            if (digit == std::string_view::npos) return false;
            unit = unit * 16 + unsigned(digit);
          }
          vOut += wchar_t(unit);  // a surrogate pair arrives as its two escapes
          break;
        }
        default:
          return false;
      }
    }
    return false;
  };
  blanks();
  if (!is('{')) return false;
  ++at;
  for (;;) {
    blanks();
    std::wstring name, value;
    if (!string(name)) return false;
    blanks();
    if (!is(':')) return false;
    ++at;
    blanks();
    if (is('"')) {
      if (!string(value)) return false;
    } else {
      const std::size_t from = at;
      while (at < vLine.size() &&
             std::string_view("-+.0123456789eE").find(vLine[at]) != std::string_view::npos)
        ++at;
      if (at == from) return false;
      value = Wide(vLine.substr(from, at - from));
    }
    if (!vMembers.emplace(Utf8(name), value).second) return false;  // a member twice
    blanks();
    if (is(',')) {
      ++at;
      continue;
    }
    if (!is('}')) return false;
    ++at;
    break;
  }
  blanks();
  return at == vLine.size();
}

// Planted value by its hit's key path and value name.
std::map<std::wstring, std::size_t> PlantedByHit() {
  std::map<std::wstring, std::size_t> index;
  for (std::size_t i = 0; i < Planted().size(); ++i)
    index.emplace(HitPath(Planted()[i].fKey) + L'\n' + Planted()[i].fName, i);
  return index;
}

// One exported hit, whichever format it came in: checks it is a planted value found by its
// name and counts it.
void ExpectHit(const std::wstring& vKey, const std::wstring& vValue, const std::wstring& vData,
               const std::vector<long long>& vNumbers, std::vector<int>& vSeen,
               const std::string& vWhere) {
  SCOPED_TRACE(vWhere);
  static const std::map<std::wstring, std::size_t> index = PlantedByHit();
  const auto it = index.find(vKey + L'\n' + vValue);
  if (it == index.end()) {
    ADD_FAILURE() << "not a planted value: key \"" << Utf8(vKey) << "\", value \"" << Utf8(vValue)
                  << "\"";
    return;
  }
  ++vSeen[it->second];
  const TPlanted& planted = Planted()[it->second];
  EXPECT_EQ(Utf8(vData), Utf8(ShownData(planted)));
  ASSERT_EQ(vNumbers.size(), 6u);
  const long long keyStart = vNumbers[0], valueStart = vNumbers[1], dataStart = vNumbers[2];
  const long long keyLength = vNumbers[3], valueLength = vNumbers[4], dataLength = vNumbers[5];
  EXPECT_EQ(keyStart, 0);
  EXPECT_EQ(keyLength, 0) << "no key name holds the token";
  EXPECT_EQ(valueStart, 1);
  EXPECT_EQ(valueLength, static_cast<long long>(wcslen(kToken)));
  if (vData == kNoPart) {
    EXPECT_EQ(dataStart, 0);
    EXPECT_EQ(dataLength, 0);
  } else if (dataStart < 1 || dataStart - 1 + dataLength > static_cast<long long>(vData.size())) {
    ADD_FAILURE() << "the data's emphasis " << dataStart << "+" << dataLength << " lies outside \""
                  << Utf8(vData) << "\"";
  } else {
    EXPECT_EQ(vData.substr(std::size_t(dataStart - 1), std::size_t(dataLength)), kToken);
  }
}

void ExpectEachPlantedOnce(const std::vector<int>& vSeen) {
  int wrong = 0;
  for (std::size_t i = 0; i < vSeen.size(); ++i) {
    if (vSeen[i] == 1) continue;
    if (++wrong <= 5)
      ADD_FAILURE() << "\"" << Utf8(Planted()[i].fName) << "\" exported " << vSeen[i] << " times";
  }
  EXPECT_EQ(wrong, 0) << "planted values not exported exactly once";
}

long long Number(const std::string& vText) {
  char* end = nullptr;
  const long long n = std::strtoll(vText.c_str(), &end, 10);
  return !vText.empty() && *end == '\0' ? n : -999999;
}

void ExpectCsvFile(const std::string& vBytes) {
  ASSERT_EQ(vBytes.substr(0, 3), "\xEF\xBB\xBF") << "UTF-8 with its byte order mark";
  std::vector<corvane::test::TCsvRecord> records;
  std::string error;
  ASSERT_TRUE(corvane::test::ReadCsv(std::string_view(vBytes).substr(3), records, error)) << error;
  ASSERT_EQ(records.size(), std::size_t(kValues + 1)) << "the header and a row per hit";
  EXPECT_EQ(records[0],
            (corvane::test::TCsvRecord{"key", "value", "data", "keyStart", "valueStart",
                                       "dataStart", "keyLength", "valueLength", "dataLength",
                                       "modified"}));
  std::vector<int> seen(Planted().size());
  for (std::size_t r = 1; r < records.size(); ++r) {
    const auto& f = records[r];
    if (f.size() != 10) {
      ADD_FAILURE() << "record " << r << " has " << f.size() << " fields";
      continue;
    }
    std::vector<long long> numbers;
    for (std::size_t i = 3; i < 9; ++i) numbers.push_back(Number(f[i]));
    ExpectHit(Wide(f[0]), Wide(f[1]), Wide(f[2]), numbers, seen, "CSV record " + std::to_string(r));
    // The registry keeps a time for every key: "2026-12-10T15:25:17Z".
    EXPECT_EQ(f[9].size(), 20u) << "modified, record " << r << ": " << f[9];
  }
  ExpectEachPlantedOnce(seen);
}

void ExpectJsonLinesFile(const std::string& vBytes) {
  ASSERT_FALSE(vBytes.empty());
  EXPECT_EQ(vBytes.back(), '\n') << "the last line ends too";
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at < vBytes.size();) {
    std::size_t end = vBytes.find('\n', at);
    if (end == std::string::npos) end = vBytes.size();
    lines.push_back(std::string_view(vBytes).substr(at, end - at));
    at = end + 1;
  }
  ASSERT_EQ(lines.size(), std::size_t(kValues)) << "a line per hit";
  std::vector<int> seen(Planted().size());
  const char* const numberNames[] = {"keyStart",  "valueStart",  "dataStart",
                                     "keyLength", "valueLength", "dataLength"};
  for (std::size_t l = 0; l < lines.size(); ++l) {
    std::map<std::string, std::wstring> members;
    if (!FlatJsonObject(lines[l], members)) {
      ADD_FAILURE() << "line " << l + 1 << " is no JSON object: " << lines[l];
      continue;
    }
    EXPECT_EQ(members.size(), 11u) << "line " << l + 1;
    EXPECT_EQ(members["modified"].size(), 20u) << "a time for every key, line " << l + 1;
    EXPECT_EQ(members["root"], L"2147483649") << "HKEY_CURRENT_USER's number, line " << l + 1;
    std::vector<long long> numbers;
    for (const char* name : numberNames) numbers.push_back(Number(Utf8(members[name])));
    ExpectHit(members["key"], members["value"], members["data"], numbers, seen,
              "JSON line " + std::to_string(l + 1));
  }
  ExpectEachPlantedOnce(seen);
}

// The path of vKey below HKEY_CURRENT_USER as the loaded registry spells each of its keys.
std::wstring SpelledPath(const corvane::TMemRegistry& vReg, const std::wstring& vKey) {
  std::wstring spelled;
  for (std::size_t at = 0; at <= vKey.size();) {
    std::size_t end = vKey.find(L'\\', at);
    if (end == std::wstring::npos) end = vKey.size();
    const corvane::TMemKey* key =
        vReg.Find(corvane::kHKCU, corvane::FromW(vKey.substr(0, end).c_str()));
    if (!key) return L"<no key " + vKey.substr(0, end) + L">";
    if (!spelled.empty()) spelled += L'\\';
    spelled += corvane::W(key->fName);
    at = end + 1;
  }
  return spelled;
}

void ExpectRegExportFile(const std::string& vBytes) {
  const std::string header = Utf16File(L"Windows Registry Editor Version 5.00\r\n");
  ASSERT_EQ(vBytes.substr(0, header.size()), header) << "UTF-16LE, its mark and the header";
  corvane::TMemRegistry reg;
  try {
    corvane::LoadRegExport(reg, vBytes);
  } catch (const std::exception& e) {
    FAIL() << "the export does not load: " << e.what();
  }
  EXPECT_EQ(reg.ValueCount(), std::uint64_t(kValues)) << "the hit values and no others";
  int wrong = 0;
  for (const TPlanted& v : Planted()) {
    SCOPED_TRACE(Utf8(v.fKey + L" | " + v.fName));
    corvane::TMemKey* key = reg.Find(corvane::kHKCU, corvane::FromW(v.fKey.c_str()));
    corvane::TMemValue* value = key ? key->Value(corvane::FromW(v.fName.c_str())) : nullptr;
    if (!value) {
      if (++wrong <= 5) ADD_FAILURE() << "not in the export";
      continue;
    }
    const bool same = value->fType == v.fType &&
                      std::vector<BYTE>(value->fData.begin(), value->fData.end()) == v.fData;
    if (!same && ++wrong <= 5)
      ADD_FAILURE() << "type " << value->fType << " and " << value->fData.size()
                    << " bytes instead of type " << v.fType << " and " << v.fData.size();
  }
  EXPECT_EQ(wrong, 0) << "values missing or not as planted";
  for (const wchar_t* key : kKeys) {
    const std::wstring path = std::wstring(kExportKey) + L"\\" + key;
    EXPECT_EQ(Utf8(SpelledPath(reg, path)), Utf8(path)) << "the keys as the registry spells them";
  }
}

class ExportGui : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kExportKey);
    std::map<std::wstring, HKEY> keys;
    for (const TPlanted& v : Planted()) {
      HKEY& key = keys[v.fKey];
      if (!key) {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, v.fKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
      }
      ASSERT_EQ(
          RegSetValueExW(key, v.fName.c_str(), 0, v.fType, v.fData.data(), DWORD(v.fData.size())),
          ERROR_SUCCESS);
    }
    for (auto& [name, key] : keys) RegCloseKey(key);
  }
  static void TearDownTestSuite() { RegDeleteTreeW(HKEY_CURRENT_USER, kExportKey); }
  void SetUp() override {
    DeleteFileW(IniPath().c_str());
    MouseTo({1, 1});  // away from where the window opens
  }

  // Runs a Basic search for vText with the maximum at list index vMaxIndex and waits for it.
  static void SearchFor(const TCorvane& vApp, const wchar_t* vText, int vMaxIndex) {
    vApp.SelectItem(ids::cbMaxRslt, vMaxIndex);
    SendMessageW(vApp.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(vText));
    vApp.Search();
    ASSERT_TRUE(vApp.WaitFound());
  }
};

TEST_F(ExportGui, ThousandHitsExportAsCsvJsonLinesAndRegistryExportThatReadBackAsPlanted) {
  TTempDir dir(L"cvx-a");
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  HWND main = app.Main();
  ASSERT_TRUE(ToFront(main));
  PressWith({VK_CONTROL}, 'E');
  EXPECT_FALSE(WaitUntil([&] { return MessageBoxOf(app.Pid()) != nullptr; }, 1s))
      << "no results, no export dialog";

  ASSERT_NO_FATAL_FAILURE(SearchFor(app, kToken, 3));  // 10000
  ASSERT_EQ(app.SearchText(), L"Found 1000 items");

  // Ctrl+E, then the name typed into the save dialog.
  const auto exportAs = [&](const std::wstring& vTyped) {
    if (!ToFront(main)) return false;
    PressWith({VK_CONTROL}, 'E');
    HWND dialog = DialogOf(app.Pid(), L"Export results");
    return dialog && EnterFileName(dialog, vTyped);
  };
  const auto waitStatus = [&](const std::wstring& vWant) {
    WaitUntil([&] { return app.Status() == vWant; }, 30s);
    return app.Status();
  };

  // A name without an extension takes the chosen type's, the first: CSV.
  const std::wstring csv = dir.File(L"hits.csv");
  ASSERT_TRUE(exportAs(dir.File(L"hits"))) << "the save dialog";
  ASSERT_EQ(waitStatus(L"Exported 1000 hits to " + csv), L"Exported 1000 hits to " + csv);
  ASSERT_NO_FATAL_FAILURE(ExpectCsvFile(ReadFileBytes(csv)));

  // The type chosen in the dialog stays CSV from here on: the names' extensions decide.
  const std::wstring jsonl = dir.File(L"hits.jsonl");
  ASSERT_TRUE(exportAs(jsonl));
  ASSERT_EQ(waitStatus(L"Exported 1000 hits to " + jsonl), L"Exported 1000 hits to " + jsonl);
  ASSERT_NO_FATAL_FAILURE(ExpectJsonLinesFile(ReadFileBytes(jsonl)));

  const std::wstring reg = dir.File(L"hits.reg");
  ASSERT_TRUE(exportAs(reg));
  const std::wstring regDone = L"Exported 1000 hits (4 keys, 1000 values) to " + reg;
  ASSERT_EQ(waitStatus(regDone), regDone);
  ASSERT_NO_FATAL_FAILURE(ExpectRegExportFile(ReadFileBytes(reg)));

  // An export that cannot replace the file, held open without sharing here, leaves it whole.
  const std::string before = ReadFileBytes(csv);
  HANDLE held = CreateFileW(csv.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  struct TRelease {
    HANDLE fHandle;
    ~TRelease() {
      if (fHandle) CloseHandle(fHandle);
    }
  } release{held};
  ASSERT_TRUE(ToFront(main));
  PressWith({VK_CONTROL}, 'E');
  HWND dialog = DialogOf(app.Pid(), L"Export results");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(ToFront(dialog));
  std::this_thread::sleep_for(300ms);
  PressWith({VK_CONTROL}, 'A');
  TypeText(csv.c_str());
  Press(VK_RETURN);
  HWND ask = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] { return (ask = VisibleWindowOf(app.Pid(), L"#32770", dialog)) != nullptr; }, 10s))
      << "the dialog asks before it replaces a file";
  ASSERT_TRUE(ToFront(ask));
  Press('Y');
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        box = MessageBoxOf(app.Pid());
        return box && Text(box) == L"Corvane";
      },
      20s))
      << "the error box";
  const std::wstring message = MessageBoxText(box);
  const std::wstring failed = L"The results could not be saved to " + csv + L": ";
  EXPECT_EQ(message.substr(0, failed.size()), failed) << Utf8(message);
  ASSERT_TRUE(ToFront(box));
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(app.Pid()) == nullptr; }, 10s));
  CloseHandle(held);
  release.fHandle = nullptr;
  EXPECT_EQ(ReadFileBytes(csv), before) << "the old file is whole";
  EXPECT_FALSE(Exists(csv + L".1.tmp")) << "no new file left beside it";
  EXPECT_TRUE(app.Running());
}

TEST_F(ExportGui, CopyPutsTheChosenHitsKeyPathValueNameAndDataOnTheClipboard) {
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  HWND main = app.Main(), list = app.Control(ids::lbResults), values = app.Control(ids::lbValues);
  // Values 0 to 9: six in Alpha, one of each type, then four in Beta.
  ASSERT_NO_FATAL_FAILURE(SearchFor(app, L"qzxport 000", 0));  // 10: the walk ends at them
  ASSERT_EQ(app.Rows(), 10);
  ASSERT_TRUE(ToFront(main));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }, 5s));

  const std::wstring alpha = HitPath(std::wstring(kExportKey) + L"\\Alpha");
  const std::wstring beta = HitPath(std::wstring(kExportKey) + L"\\Beta, \"two\"");
  // What "Copy data" gives for each of the values 0 to 9.
  const std::map<std::wstring, std::wstring> data = {
      {L"qzxport 0000", L"a, \"b\"\r\nc \U0001F600 qzxport-data #0"},
      {L"qzxport 0001, \"quoted\"", L"%SystemRoot%\\corvane #1"},
      {L"qzxport 0002 \U0001F600", L"one #2\r\nqzxport-multi"},
      {L"qzxport 0003 tail ", L"0x80000015 (2147483669)"},
      {L"qzxport 0004 back\\slash", L"0x0123456789ABCDF3 (81985529216486899)"},
      {L"qzxport 0005", L"01 02 0a ff 05"},
      {L"qzxport 0006, \"quoted\"", L"a, \"b\"\r\nc \U0001F600 qzxport-data #6"},
      {L"qzxport 0007 \U0001F600", L"%SystemRoot%\\corvane #7"},
      {L"qzxport 0008 tail ", L"one #8\r\nqzxport-multi"},
      {L"qzxport 0009 back\\slash", L"0x8000003F (2147483711)"},
  };
  const auto fromMenu = [&](HWND vList, int vRow, WORD vMnemonic) {
    return CopiedBy([&] {
      RightClick(ListRowPoint(vList, vRow));
      if (WaitUntil([&] { return OpenMenuOf(app.Pid()) != nullptr; }, 5s)) Press(vMnemonic);
    });
  };

  // Each row chosen by the keyboard: Ctrl+C copies its key path. The first six rows by the
  // pop-up menu: their value names and data.
  std::map<std::wstring, int> names;
  Press(VK_HOME);
  for (int row = 0; row < 10; ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    if (row > 0) Press(VK_DOWN);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == row; }, 5s));
    const std::wstring key = CopiedBy([] { PressWith({VK_CONTROL}, 'C'); });
    EXPECT_EQ(Utf8(key), Utf8(row < 6 ? alpha : beta)) << "Ctrl+C";
    if (row >= 6) continue;
    const std::wstring name = fromMenu(list, row, 'V');
    ++names[name];
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), row);
    const auto want = data.find(name);
    if (want == data.end()) {
      ADD_FAILURE() << "\"Copy value name\" gave \"" << Utf8(name) << "\"";
      continue;
    }
    EXPECT_EQ(Utf8(fromMenu(list, row, 'A')), Utf8(want->second))
        << "\"Copy data\" of " << Utf8(name);
  }
  EXPECT_EQ(names.size(), 6u) << "six different values";

  // The detail page of the last hit, in Beta; back on the results an Alpha hit is chosen.
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == 9; }, 5s));
  DoubleClick(ListRowPoint(list, 9));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(values) != FALSE; }, 10s))
      << "the double click opens the detail page";
  PressWith({VK_MENU}, VK_LEFT);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(list) != FALSE; }, 5s));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }, 5s));
  Press(VK_HOME);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == 0; }, 5s));
  PressWith({VK_MENU}, VK_RIGHT);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(values) != FALSE; }, 5s));

  // Ctrl+C in its values list copies the page's key, not the chosen hit's.
  ASSERT_EQ(ListText(values, 1), L"qzxport 0007 \U0001F600");
  LeftClick(ListRowPoint(values, 1));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == values; }, 5s));
  EXPECT_EQ(Utf8(CopiedBy([] { PressWith({VK_CONTROL}, 'C'); })), Utf8(beta))
      << "Ctrl+C in the values list";
  // Its pop-up menu on another value: that value's name and data.
  ASSERT_EQ(ListText(values, 3), L"qzxport 0009 back\\slash");
  EXPECT_EQ(Utf8(fromMenu(values, 3, 'V')), Utf8(L"qzxport 0009 back\\slash"));
  EXPECT_EQ(SendMessageW(values, LB_GETCURSEL, 0, 0), 3) << "the right click chose it";
  EXPECT_EQ(Utf8(fromMenu(values, 3, 'A')), "0x8000003F (2147483711)");
  EXPECT_EQ(MessageBoxOf(app.Pid()), nullptr);
}

TEST_F(ExportGui, AnExportFileIsSearchedInsteadOfTheRegistryUntilTheRegistryIsChosenAgain) {
  TTempDir dir(L"cvx-c");
  const std::wstring file = dir.File(L"only-in-file.reg");
  WriteFileBytes(file, Utf16File(L"Windows Registry Editor Version 5.00\r\n"
                                 L"\r\n"
                                 L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\QzFileOnly]\r\n"
                                 L"\"qzfiletok one\"=\"text, from the file\"\r\n"
                                 L"\r\n"
                                 L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\QzFileOnly\\Inner Key]\r\n"
                                 L"\"qzfiletok two\"=dword:0000002a\r\n"
                                 L"\"other\"=hex:01,02\r\n"));
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  HWND main = app.Main(), list = app.Control(ids::lbResults), edit = app.Control(ids::ebNow);
  ASSERT_TRUE(app.ToolEnabled(ids::acRegedit))
      << "the editor is known while the registry is searched";
  ASSERT_NO_FATAL_FAILURE(SearchFor(app, kToken, 0));
  ASSERT_EQ(app.Rows(), 10);

  ASSERT_NO_FATAL_FAILURE(OpenExportFile(app, file));
  ASSERT_TRUE(WaitUntil([&] { return Text(main) == L"Corvane - only-in-file.reg"; }, 20s))
      << Utf8(Text(main));
  // SOFTWARE, QzFileOnly and Inner Key; the roots are not counted.
  EXPECT_EQ(Utf8(app.Status()),
            Utf8(L"Searching the export file " + file + L" (3 keys, 3 values)"));
  // The registry's hits are gone; the criteria page is back.
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(edit) != FALSE; }, 5s));
  EXPECT_EQ(app.Rows(), 0);
  EXPECT_FALSE(app.ToolEnabled(ids::acForward)) << "no results to go forward to";
  EXPECT_FALSE(app.ToolEnabled(ids::acRegedit));

  // A search over the file's keys.
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"qzfiletok"));
  ASSERT_TRUE(ToFront(main));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == edit; }, 5s));
  app.ForgetFound();
  Press(VK_RETURN);
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), L"Found 2 items");
  ASSERT_EQ(app.Rows(), 2);
  Screenshot(L"export-file-searched");
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }, 5s));
  Press(VK_HOME);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == 0; }, 5s));
  EXPECT_EQ(Utf8(CopiedBy([] { PressWith({VK_CONTROL}, 'C'); })),
            "HKEY_LOCAL_MACHINE\\software\\qzfileonly");
  Press(VK_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == 1; }, 5s));
  EXPECT_EQ(Utf8(CopiedBy([] { PressWith({VK_CONTROL}, 'C'); })),
            "HKEY_LOCAL_MACHINE\\software\\qzfileonly\\inner key");
  // Data are read from the file: the registry has no such value.
  EXPECT_EQ(Utf8(CopiedBy([&] {
              RightClick(ListRowPoint(list, 1));
              if (WaitUntil([&] { return OpenMenuOf(app.Pid()) != nullptr; }, 5s)) Press('A');
            })),
            "0x0000002A (42)");
  EXPECT_EQ(MessageBoxOf(app.Pid()), nullptr);

  // No detail page and no editor for keys that are not in the registry, even with a hit chosen.
  EXPECT_FALSE(app.Enabled(ids::acKDetail));
  EXPECT_FALSE(app.ToolEnabled(ids::acRegedit));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }, 5s));
  Press(VK_RETURN);
  EXPECT_FALSE(WaitUntil([&] { return IsWindowVisible(app.Control(ids::lbValues)) != FALSE; }, 1s))
      << "Enter opened the detail page";

  // File > "Search the Registry".
  PressWith({VK_MENU}, 'F');
  ASSERT_TRUE(WaitUntil([&] { return OpenMenuOf(app.Pid()) != nullptr; }, 5s));
  Press('G');
  ASSERT_TRUE(WaitUntil([&] { return Text(main) == L"Corvane"; }, 10s)) << Utf8(Text(main));
  EXPECT_EQ(app.Status(), L"Searching the registry");
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(edit) != FALSE; }, 5s));
  EXPECT_EQ(app.Rows(), 0) << "the file's hits are gone";
  EXPECT_TRUE(app.ToolEnabled(ids::acRegedit));

  // The same search in the registry finds nothing.
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == edit; }, 5s));
  EXPECT_EQ(Text(edit), L"qzfiletok");
  app.ForgetFound();
  Press(VK_RETURN);
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), L"Found 0 items");
}

TEST_F(ExportGui, AMalformedExportFileIsRefusedByItsLineAndTheSearchedRegistryStays) {
  TTempDir dir(L"cvx-d");
  const std::wstring file = dir.File(L"broken.reg");
  WriteFileBytes(file, Utf16File(L"Windows Registry Editor Version 5.00\r\n"
                                 L"\r\n"
                                 L"this line is no statement\r\n"
                                 L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\QzBroken]\r\n"));
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  HWND main = app.Main(), list = app.Control(ids::lbResults);
  ASSERT_NO_FATAL_FAILURE(SearchFor(app, kToken, 0));
  ASSERT_EQ(app.Rows(), 10);
  const std::wstring summary = app.SearchText();

  ASSERT_NO_FATAL_FAILURE(OpenExportFile(app, file));
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(app.Pid())) != nullptr; }, 20s));
  EXPECT_EQ(Text(box), L"Corvane");
  // No "." follows the closing quote, which sorts before it.
  EXPECT_EQ(Utf8(MessageBoxText(box)),
            Utf8(L"The file " + file +
                 L" is not a registry export that can be read: line 3: unexpected text "
                 L"\"this line is no statement\""));
  ASSERT_TRUE(ToFront(box));
  Press(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(app.Pid()) == nullptr; }, 10s));
  EXPECT_FALSE(WaitUntil([&] { return MessageBoxOf(app.Pid()) != nullptr; }, 1s))
      << "one error box";

  EXPECT_EQ(Text(main), L"Corvane");
  EXPECT_TRUE(IsWindowVisible(list)) << "the results page stays";
  EXPECT_EQ(app.Rows(), 10);
  EXPECT_EQ(app.SearchText(), summary);
  EXPECT_TRUE(app.ToolEnabled(ids::acRegedit)) << "the registry is still searched";
  EXPECT_TRUE(app.ToolEnabled(ids::acExport)) << "its hits can still be exported";
}

// About 100 MB of export: 100,000 values of 1,000 characters, one of them named apart.
std::string BigExport() {
  std::string text = "REGEDIT4\r\n";
  text.reserve(105'000'000);
  const std::string data(1000, 'x');
  for (int k = 0; k < 1000; ++k) {
    text += "\r\n[HKEY_CURRENT_USER\\QzBig\\Key " + std::to_string(k) + "]\r\n";
    for (int v = 0; v < 100; ++v)
      text += "\"" + std::string(k == 999 && v == 99 ? "qzbigone" : "value") + std::to_string(v) +
              "\"=\"" + data + "\"\r\n";
  }
  return text;
}

TEST_F(ExportGui, ALargeExportFileLoadsBehindAnAnsweringWindowAndEscGivesTheLoadUp) {
  TTempDir dir(L"cvx-e");
  const std::wstring file = dir.File(L"big.reg");
  WriteFileBytes(file, BigExport());
  TCorvane app;
  ASSERT_NE(app.Main(), nullptr);
  HWND main = app.Main();
  const auto answers = [&] {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
  };

  // Esc while the file loads gives the load up; nothing changes.
  ASSERT_NO_FATAL_FAILURE(OpenExportFile(app, file));
  ASSERT_TRUE(WaitUntil([&] { return app.Status().rfind(L"Loading big.reg: ", 0) == 0; }, 20s))
      << Utf8(app.Status());
  EXPECT_TRUE(answers()) << "the window answers while the file loads";
  EXPECT_TRUE(app.ToolEnabled(ids::acStop)) << "Stop gives a load up";
  EXPECT_FALSE(app.Enabled(ids::acSearch)) << "no search while a file loads";
  ASSERT_TRUE(ToFront(main));
  Press(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return app.Status().rfind(L"Loading big.reg: ", 0) != 0; }, 60s));
  // The load takes a second and more; Esc comes within a fraction of that.
  EXPECT_EQ(Text(main), L"Corvane") << "the file loaded all the same";
  EXPECT_EQ(Utf8(app.Status()), "Loading big.reg cancelled; the search goes on as before");
  EXPECT_FALSE(app.ToolEnabled(ids::acStop));

  // Loaded to its end, the file is searched.
  ASSERT_NO_FATAL_FAILURE(OpenExportFile(app, file));
  ASSERT_TRUE(WaitUntil([&] { return Text(main) == L"Corvane - big.reg"; }, 120s))
      << Utf8(app.Status());
  EXPECT_EQ(Utf8(app.Status()),
            Utf8(L"Searching the export file " + file + L" (1001 keys, 100000 values)"));
  SendMessageW(app.Control(ids::ebNow), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"qzbigone"));
  app.Search();
  ASSERT_TRUE(app.WaitFound());
  EXPECT_EQ(app.SearchText(), L"Found 1 items");
}

}  // namespace
