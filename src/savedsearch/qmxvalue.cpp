#include "savedsearch/qmxvalue.h"

#include <algorithm>

#include "text/ansi.h"

namespace corvane {
namespace {

TText Decimal(std::int32_t v) {
  return FromUtf8(std::to_string(v));
}

bool HasLoneSurrogate(TTextView s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
      ++i;
    else if (c >= 0xD800 && c <= 0xDFFF)
      return true;
  }
  return false;
}

}  // namespace

TText ListIndexText(std::int32_t vIndex) {
  return u"Listenindex au\u00dferhalb des g\u00fcltigen Bereichs (" + Decimal(vIndex) + u")";
}

TText OpenFailText(const TText& vPath, const TText& vSystemText) {
  return u"Datei " + vPath + u" kann nicht ge\u00f6ffnet werden. " + vSystemText;
}

TText CreateFailText(const TText& vPath, const TText& vSystemText) {
  return u"Datei \"" + vPath + u"\" kann nicht erstellt werden. " + vSystemText;
}

std::string_view TQmxReader::Take(std::size_t vCount) {
  if (vCount > fBytes.size() - fAt) throw TQmxError(kQmxReadError);
  const std::string_view part = fBytes.substr(fAt, vCount);
  fAt += vCount;
  return part;
}

std::uint32_t TQmxReader::Number(std::size_t vBytes) {
  const std::string_view part = Take(vBytes);
  std::uint32_t v = 0;
  for (std::size_t i = vBytes; i-- > 0;) v = (v << 8) | static_cast<unsigned char>(part[i]);
  return v;
}

std::int32_t TQmxReader::ReadInt() {
  switch (Tag()) {
    case qtInt8:
      return static_cast<std::int8_t>(Number(1));
    case qtInt16:
      return static_cast<std::int16_t>(Number(2));
    case qtInt32:
      return static_cast<std::int32_t>(Number(4));
    default:
      throw TQmxError(kQmxBadValue);
  }
}

bool TQmxReader::ReadBool() {
  switch (Tag()) {
    case qtFalse:
      return false;
    case qtTrue:
      return true;
    default:
      throw TQmxError(kQmxBadValue);
  }
}

TText TQmxReader::ReadText() {
  switch (Tag()) {
    case qtAnsiText8:
      return AnsiToText(Take(Number(1)));
    case qtAnsiText32:
      return AnsiToText(Take(Number(4)));
    case qtUtf8Text:
      return FromUtf8(Take(Number(4)));
    case qtWideText: {
      const std::uint32_t units = Number(4);
      if (units > (fBytes.size() - fAt) / 2) throw TQmxError(kQmxReadError);
      const std::string_view bytes = Take(std::size_t(units) * 2);
      TText text(units, u'\0');
      for (std::size_t i = 0; i < units; ++i)
        text[i] = char16_t(static_cast<unsigned char>(bytes[2 * i]) |
                           (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
      return text;
    }
    default:
      throw TQmxError(kQmxBadValue);
  }
}

void TQmxWriter::Number(std::uint32_t v, std::size_t vBytes) {
  for (std::size_t i = 0; i < vBytes; ++i, v >>= 8) fBytes += char(v & 0xFF);
}

void TQmxWriter::WriteInt(std::int32_t v) {
  if (v >= -128 && v <= 127) {
    fBytes += char(qtInt8);
    Number(static_cast<std::uint32_t>(v), 1);
  } else if (v >= -32768 && v <= 32767) {
    fBytes += char(qtInt16);
    Number(static_cast<std::uint32_t>(v), 2);
  } else {
    fBytes += char(qtInt32);
    Number(static_cast<std::uint32_t>(v), 4);
  }
}

void TQmxWriter::WriteText(TTextView s) {
  // Lengths are stored in 32 bits.
  if (s.size() > 0x3FFFFFFF) throw TQmxError(kQmxWriteError);
  const std::string utf8 = ToUtf8(s);
  if (utf8.size() < 2 * s.size() && !HasLoneSurrogate(s)) {
    const bool ascii = std::none_of(utf8.begin(), utf8.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!ascii) {
      fBytes += char(qtUtf8Text);
      Number(static_cast<std::uint32_t>(utf8.size()), 4);
    } else if (utf8.size() <= 255) {
      fBytes += char(qtAnsiText8);
      Number(static_cast<std::uint32_t>(utf8.size()), 1);
    } else {
      fBytes += char(qtAnsiText32);
      Number(static_cast<std::uint32_t>(utf8.size()), 4);
    }
    fBytes += utf8;
    return;
  }
  fBytes += char(qtWideText);
  Number(static_cast<std::uint32_t>(s.size()), 4);
  for (const char16_t c : s) Number(c, 2);
}

}  // namespace corvane
