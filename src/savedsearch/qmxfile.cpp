#include "savedsearch/qmxfile.h"

#include <optional>
#include <utility>

#include "files/safesave.h"

namespace corvane {
namespace {

constexpr char16_t kMagic[] = u"QMX";
constexpr char16_t kModifiedField[] = u"modified";
constexpr std::int32_t kTimeLimitCount = tlWithin + 1;
constexpr std::int32_t kTimeUnitCount = tuDays + 1;

void WriteRows(TQmxWriter& w, const std::vector<TCritRow>& vRows) {
  w.WriteInt(static_cast<std::int32_t>(vRows.size()));
  for (const TCritRow& row : vRows) {
    w.WriteInt(row.fMatchType);
    w.WriteText(row.fText);
  }
}

void ReadRows(TQmxReader& r, std::vector<TCritRow>& vRows) {
  // No reserve: the count is not trusted, the rows are read until the bytes run out.
  for (std::int32_t i = 0, n = r.ReadInt(); i < n; ++i) {
    TCritRow row;
    row.fMatchType = r.ReadInt();
    row.fText = r.ReadText();
    vRows.push_back(std::move(row));
  }
}

std::int32_t ReadIndex(TQmxReader& r, std::int32_t vCount) {
  const std::int32_t index = r.ReadInt();
  if (index < 0 || index >= vCount) throw TQmxError(ListIndexText(index));
  return index;
}

void WriteTime(TQmxWriter& w, const TTimeFilter& vTime) {
  w.WriteText(kModifiedField);
  w.WriteInt(vTime.fLimit);
  if (vTime.fLimit == tlAfter || vTime.fLimit == tlBetween)
    w.WriteText(FromUtf8(IsoTime(vTime.fAfter)));
  if (vTime.fLimit == tlBefore || vTime.fLimit == tlBetween)
    w.WriteText(FromUtf8(IsoTime(vTime.fBefore)));
  if (vTime.fLimit == tlWithin) {
    w.WriteInt(static_cast<std::int32_t>(vTime.fCount));
    w.WriteInt(vTime.fUnit);
  }
}

std::uint64_t ReadTimeText(TQmxReader& r) {
  const std::optional<std::uint64_t> time = ParseIsoTime(r.ReadText());
  if (!time || *time == 0) throw TQmxError(kQmxBadValue);
  return *time;
}

// The whole limit is read before any of it is applied.
void ReadTime(TQmxReader& r, TTimeFilter& vTime) {
  TTimeFilter t;
  const std::int32_t limit = r.ReadInt();
  if (limit <= tlAnyTime || limit >= kTimeLimitCount) throw TQmxError(ListIndexText(limit));
  t.fLimit = TTimeLimit(limit);
  if (t.fLimit == tlAfter || t.fLimit == tlBetween) t.fAfter = ReadTimeText(r);
  if (t.fLimit == tlBefore || t.fLimit == tlBetween) t.fBefore = ReadTimeText(r);
  if (t.fLimit == tlWithin) {
    const std::int32_t count = r.ReadInt();
    if (count < 0) throw TQmxError(kQmxBadValue);
    t.fCount = static_cast<std::uint32_t>(count);
    t.fUnit = TTimeUnit(ReadIndex(r, kTimeUnitCount));
  }
  vTime = t;
}

}  // namespace

std::string WriteQmx(const TSearchCriteria& vCrit) {
  TQmxWriter w;
  w.WriteText(kMagic);
  w.WriteInt(vCrit.fRoots.Bits());
  w.WriteInt(vCrit.fPerPageIdx);
  w.WriteInt(vCrit.fMaxRsltIdx);
  w.WriteBool(vCrit.fDatCase);
  w.WriteBool(vCrit.fKeyAll);
  w.WriteBool(vCrit.fValAll);
  w.WriteBool(vCrit.fDatAll);
  WriteRows(w, vCrit.fKeyRows);
  WriteRows(w, vCrit.fValRows);
  w.WriteInt(static_cast<std::int32_t>(vCrit.fDatRows.size()));
  for (const TCritRow& row : vCrit.fDatRows) {
    const std::uint16_t match = static_cast<std::uint16_t>(row.fMatchType);
    w.WriteInt(match);
    if (match == kMatchDataType)
      w.WriteInt(static_cast<std::uint16_t>(row.fDataType));
    else
      w.WriteText(row.fText);
  }
  if (vCrit.fTime.fLimit != tlAnyTime) WriteTime(w, vCrit.fTime);
  return w.Bytes();
}

void ReadQmx(std::string_view vBytes, TSearchCriteria& vCrit) {
  TQmxReader r(vBytes);
  if (r.ReadText() != kMagic) throw TQmxError(kQmxCorrupted);
  const std::int32_t roots = r.ReadInt();
  if (roots < 0 || roots > 31) throw TQmxError(kQmxCorrupted);
  vCrit.fRoots = TRootKeySet(static_cast<std::uint8_t>(roots));
  vCrit.fPerPageIdx = ReadIndex(r, kPerPageCount);
  vCrit.fMaxRsltIdx = ReadIndex(r, kMaxRsltCount);
  vCrit.fDatCase = r.ReadBool();
  vCrit.fKeyAll = r.ReadBool();
  vCrit.fValAll = r.ReadBool();
  vCrit.fDatAll = r.ReadBool();
  ReadRows(r, vCrit.fKeyRows);
  ReadRows(r, vCrit.fValRows);
  for (std::int32_t i = 0, n = r.ReadInt(); i < n; ++i) {
    TCritRow row;
    row.fMatchType = r.ReadInt();
    if (row.fMatchType == kMatchDataType)
      row.fDataType = r.ReadInt();
    else
      row.fText = r.ReadText();
    vCrit.fDatRows.push_back(std::move(row));
  }
  bool timeRead = false;
  while (r.Position() < vBytes.size()) {
    if (r.ReadText() != kModifiedField || timeRead) throw TQmxError(kQmxCorrupted);
    ReadTime(r, vCrit.fTime);
    timeRead = true;
  }
}

void SaveQmxFile(const TText& vPath, const TSearchCriteria& vCrit, TQmxFiles& vFiles) {
  const TText target = vFiles.FullPath(vPath);
  TText error;
  switch (SafeSave(target, WriteQmx(vCrit), vFiles, error)) {
    case ssDone:
      return;
    case ssWriteFailed:
      throw TQmxError(kQmxWriteError);
    case ssCreateFailed:
      break;
  }
  throw TQmxError(CreateFailText(target, error));
}

void LoadQmxFile(const TText& vPath, TSearchCriteria& vCrit, TQmxFiles& vFiles) {
  const TText path = vFiles.FullPath(vPath);
  std::string bytes;
  TText error;
  switch (vFiles.ReadAll(path, bytes, error)) {
    case TQmxFiles::frDone:
      break;
    case TQmxFiles::frTransferFailed:
      throw TQmxError(kQmxReadError);
    default:
      throw TQmxError(OpenFailText(path, error));
  }
  ReadQmx(bytes, vCrit);
}

}  // namespace corvane
