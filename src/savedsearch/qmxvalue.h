// The tagged value encoding of saved-search files: every value is one tag byte, then its
// payload; numbers are little-endian.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "text/text.h"

namespace corvane {

enum TQmxTag : std::uint8_t {
  qtInt8 = 0x02,
  qtInt16 = 0x03,
  qtInt32 = 0x04,
  qtAnsiText8 = 0x06,  // 1-byte length, ANSI bytes
  qtFalse = 0x08,
  qtTrue = 0x09,
  qtAnsiText32 = 0x0C,  // 4-byte length, ANSI bytes
  qtWideText = 0x12,    // 4-byte count of UTF-16 units, UTF-16LE
  qtUtf8Text = 0x14,    // 4-byte length, UTF-8 bytes
};

// A failure of reading, writing, loading or saving; Message() is the text the user sees.
class TQmxError : public std::runtime_error {
 public:
  explicit TQmxError(TText vMessage)
      : std::runtime_error(ToUtf8(vMessage)), fMessage(std::move(vMessage)) {}
  const TText& Message() const { return fMessage; }

 private:
  TText fMessage;
};

inline constexpr char16_t kQmxCorrupted[] = u"QMX file corrupted (1)";
inline constexpr char16_t kQmxBadValue[] = u"Ung\u00fcltiger Eigenschaftswert";
inline constexpr char16_t kQmxReadError[] = u"Stream-Lesefehler";
inline constexpr char16_t kQmxWriteError[] = u"Stream-Schreibfehler";
// "Listenindex außerhalb des gültigen Bereichs (%d)"
TText ListIndexText(std::int32_t vIndex);
// "Datei %s kann nicht geöffnet werden. %s"
TText OpenFailText(const TText& vPath, const TText& vSystemText);
// "Datei "%s" kann nicht erstellt werden. %s"
TText CreateFailText(const TText& vPath, const TText& vSystemText);

// Reads values from a byte string, never past its end. A value of another kind than asked
// for (or an unknown tag) throws kQmxBadValue; bytes missing at the end throw kQmxReadError.
class TQmxReader {
 public:
  // The reader keeps a view: the bytes must outlive it.
  explicit TQmxReader(std::string_view vBytes) : fBytes(vBytes) {}
  explicit TQmxReader(std::string&&) = delete;

  // Tags 0x02, 0x03, 0x04, sign-extended.
  std::int32_t ReadInt();
  // Tags 0x08, 0x09.
  bool ReadBool();
  // Tags 0x06 and 0x0C (ANSI code page), 0x12 (UTF-16LE), 0x14 (UTF-8).
  TText ReadText();

  std::size_t Position() const { return fAt; }

 private:
  std::uint8_t Tag() { return static_cast<std::uint8_t>(Take(1)[0]); }
  std::uint32_t Number(std::size_t vBytes);
  std::string_view Take(std::size_t vCount);

  std::string_view fBytes;
  std::size_t fAt = 0;
};

// Writes values in their smallest form.
class TQmxWriter {
 public:
  void WriteInt(std::int32_t v);
  void WriteBool(bool v) { fBytes += char(v ? qtTrue : qtFalse); }
  // UTF-8 when it is shorter than UTF-16 (8-bit ANSI tags when it is pure ASCII), else
  // UTF-16. A text with an unpaired surrogate has no UTF-8 form and goes as UTF-16.
  void WriteText(TTextView s);

  const std::string& Bytes() const { return fBytes; }

 private:
  void Number(std::uint32_t v, std::size_t vBytes);

  std::string fBytes;
};

}  // namespace corvane
