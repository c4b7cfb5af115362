#include "savedsearch/qmxfile.h"

#include <utility>

#include "files/safesave.h"

namespace corvane {
namespace {

constexpr char16_t kMagic[] = u"QMX";

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
