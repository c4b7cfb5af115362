// TVerInfoObj: the version information block of a file, walked record by record: the fixed
// file information, every string table with its name=value entries, and the translations.
//
// The block comes in two layouts: wide (32-bit resources: wType field, UTF-16 keys) and 8-bit
// (16-bit resources: no wType, keys and values in the ANSI code page). Every record is
// checked against its parent before it is read: a record whose wLength is too small for its
// header or reaches past its parent ends the walk of its level, so the walk never reads
// outside the buffer and always advances. Keys and values without their NUL end at their
// record's end. A fixed file information that does not fit in the root record is not taken.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "text/text.h"

namespace corvane {

using TByteView = std::span<const std::uint8_t>;

// VS_FIXEDFILEINFO, field by field (13 little-endian 32-bit numbers, 52 bytes).
struct TFixedFileInfo {
  std::uint32_t dwSignature = 0;
  std::uint32_t dwStrucVersion = 0;
  std::uint32_t dwFileVersionMS = 0;
  std::uint32_t dwFileVersionLS = 0;
  std::uint32_t dwProductVersionMS = 0;
  std::uint32_t dwProductVersionLS = 0;
  std::uint32_t dwFileFlagsMask = 0;
  std::uint32_t dwFileFlags = 0;
  std::uint32_t dwFileOS = 0;
  std::uint32_t dwFileType = 0;
  std::uint32_t dwFileSubtype = 0;
  std::uint32_t dwFileDateMS = 0;
  std::uint32_t dwFileDateLS = 0;
  bool operator==(const TFixedFileInfo&) const = default;
};

inline constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
inline constexpr std::size_t kFixedInfoSize = 52;

// The preferred string table: US English, Windows Latin-1 code page.
inline constexpr char16_t DefaultLanguage[] = u"040904E4";

// Outcome of reading (Status()).
enum TVerStatus : std::int32_t {
  vsTables = 0,     // walked; at least one string table
  vsNoTables = 1,   // walked; no string table
  vsWrongRoot = 2,  // the root is no readable "VS_VERSION_INFO" record; nothing taken
  vsReadFailed = 3,
  vsNoInfo = 4,  // the file has no version information
};

// Where a file's version information comes from: the platform for real files, fakes in tests.
class TVerSource {
 public:
  virtual ~TVerSource() = default;
  // Size in bytes of the file's version information; 0 when it has none.
  virtual std::uint32_t InfoSize(const TText& vFileName) const = 0;
  // Reads it into vBuff (InfoSize bytes); false when the read fails.
  [[nodiscard]] virtual bool ReadInfo(const TText& vFileName,
                                      std::span<std::uint8_t> vBuff) const = 0;
};

// GetFileVersionInfoSizeW and GetFileVersionInfoW on Windows; elsewhere no file has version
// information.
const TVerSource& PlatformVerSource();

// One string table: its language key and its entries.
class TVerLangObj {
 public:
  // vTable begins with the string table record, in the wide layout when vUnicode. A record
  // that does not lie inside vTable gives an empty table.
  TVerLangObj(TByteView vTable, bool vUnicode);

  // The table's key with a to z upper-cased: language identifier and code page, 8 digits.
  const TText& Language() const { return fLanguage; }
  // One line "name=value" per entry, in block order.
  const std::vector<TText>& List() const { return fList; }

 private:
  TText fLanguage;
  std::vector<TText> fList;
};

class TVerInfoObj {
 public:
  // Reads and walks the version information of the file S (full path). Never fails for a
  // missing or malformed block; the outcome is in Status().
  explicit TVerInfoObj(const TText& S, const TVerSource& vSource = PlatformVerSource());
  // Walks a block already in memory (the buffer the platform's read fills).
  explicit TVerInfoObj(TByteView vBlock);

  // Index errors throw std::out_of_range with the list's index text.
  const TText& GetLanguage(std::int32_t Index) const;
  const TText& GetLangString(std::int32_t IndexL, std::int32_t IndexS) const;
  // The value of entry Name in the table keyed Lang; empty when either is missing. Keys and
  // names compare case-insensitively under the user's locale.
  TText GetLangValue(TTextView Lang, TTextView Name) const;
  // Line Index of the preferred table; empty when there is no table.
  TText GetString(std::int32_t Index) const;
  // The value of entry Name in the preferred table; empty when missing.
  TText GetValue(TTextView Name) const;
  // True when string tables and translations disagree; S receives the report (CR LF after
  // every line), and is empty when they agree.
  bool LangProb(TText& S) const;

  // Entries in the preferred table; 0 without tables.
  std::int32_t Count() const;
  std::int32_t LangCount() const { return static_cast<std::int32_t>(fStrLangs.size()); }
  std::uint32_t FileType() const { return fVFFI.dwFileType; }
  // "UNKNOWN", "APP", "DLL", "DRV", "FONT", "VXD", "STATIC_LIB"; empty for other types.
  TText FileTypeS() const;
  // "major.minor.release.build"; empty without a valid signature.
  TText FileVersion() const;
  TText ProductVersion() const;
  std::int32_t Status() const { return fStatus; }
  bool Unicode() const { return fUnicode; }
  const TFixedFileInfo& VFFI() const { return fVFFI; }

  // The string tables, the preferred one first.
  const std::vector<TVerLangObj>& StrLangs() const { return fStrLangs; }
  // One line per translation: language identifier and code page, 8 upper-case hex digits.
  const std::vector<TText>& VarLangs() const { return fVarLangs; }

 private:
  void Walk(TByteView vBlock);
  void Place(TVerLangObj vTable);

  std::vector<TVerLangObj> fStrLangs;
  std::vector<TText> fVarLangs;
  TFixedFileInfo fVFFI;
  std::int32_t fStatus = vsNoInfo;
  bool fUnicode = false;
};

}  // namespace corvane
