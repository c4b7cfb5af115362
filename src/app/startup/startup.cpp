#include "app/startup/startup.h"

#include <exception>

namespace corvane {
namespace {

bool EndsWith(TTextView vText, char16_t c) {
  return !vText.empty() && vText.back() == c;
}

TText UpToZero(TText vText) {
  const std::size_t zero = vText.find(u'\0');
  if (zero != TText::npos) vText.resize(zero);
  return vText;
}

// A folder that names one place whatever the current directory: "X:\..." or "\\server\...".
// "D:" and "\Windows" depend on the current directory of a drive, "." and "bin" on the
// current directory itself.
bool IsAbsoluteFolder(TTextView vFolder) {
  if (vFolder.size() >= 3 && vFolder[1] == u':' && vFolder[2] == u'\\') return true;
  return vFolder.size() >= 3 && vFolder[0] == u'\\' && vFolder[1] == u'\\';
}

}  // namespace

TText LocalDataFolder(TStartupSystem& vSystem) {
  TText folder;
  if (!vSystem.SpecialFolder(kLocalAppDataFolder, folder)) folder.clear();
  folder = UpToZero(std::move(folder));
  if (folder.empty() && !vSystem.Environment(u"LOCALAPPDATA", folder)) folder.clear();
  folder = UpToZero(std::move(folder));
  if (!folder.empty() && !EndsWith(folder, u'\\')) folder += u'\\';
  return folder;
}

TText BuildEditorSearchList(TStartupSystem& vSystem) {
  TText list, part;
  if (vSystem.SystemDirectory(part) && !part.empty()) list += part + u";";
  if (vSystem.WindowsDirectory(part) && !part.empty()) list += part + u";";
  // The value must fit a buffer of kEnvironmentBuffer characters with its closing zero.
  if (vSystem.Environment(u"PATH", part) && part.size() < kEnvironmentBuffer) list += part;
  return list;
}

TText FindRegEdit(TStartupSystem& vSystem, TTextView vSearchList) {
  std::size_t at = 0;
  while (at < vSearchList.size()) {
    std::size_t end = vSearchList.find(u';', at);
    if (end == TTextView::npos) end = vSearchList.size();
    const TTextView entry = vSearchList.substr(at, end - at);
    at = end + 1;
    // The current directory of a program opened through a document is that document's
    // folder: an editor found relative to it could be anyone's program.
    if (!IsAbsoluteFolder(entry)) continue;
    TText candidate(entry);
    if (!EndsWith(entry, u'\\') && !EndsWith(entry, u':')) candidate += u'\\';
    candidate += kRegEditName;
    if (vSystem.FileExists(candidate)) return candidate;
  }
  return {};
}

TText FileDir(TTextView vPath) {
  const std::size_t last = vPath.find_last_of(u"\\:");
  if (last == TTextView::npos) return {};
  std::size_t keep = last + 1;
  // A backslash after a drive colon (or another backslash) is the root's and stays.
  if (last > 0 && vPath[last] == u'\\' && vPath[last - 1] != u'\\' && vPath[last - 1] != u':')
    keep = last;
  return TText(vPath.substr(0, keep));
}

TStartupValues DeriveStartupValues(TStartupSystem& vSystem) {
  TStartupValues v;
  v.DataDir = LocalDataFolder(vSystem) + u"Corvane\\";
  v.IniName = v.DataDir + u"Corvane.INI";
  if (!vSystem.FolderExists(v.DataDir) && !vSystem.MakeFolder(v.DataDir))
    throw TStartupError("Unable to create the settings folder " + ToUtf8(v.DataDir));
  v.EditorSearchList = BuildEditorSearchList(vSystem);
  {
    auto profile = vSystem.OpenProfile(v.IniName);
    v.NoRE = ReadProfileFlag(*profile, kSettingsSection, u"NoRE", false);
  }
  if (!v.NoRE) v.RegEditExe = FindRegEdit(vSystem, v.EditorSearchList);
  v.EditorSearchList.clear();
  return v;
}

namespace {

struct TProcessValues {
  TStartupValues fValues;
  bool fDerived = false;
};

TProcessValues& ProcessValues() {
  static TProcessValues values;
  return values;
}

}  // namespace

const TStartupValues& StartupValues() {
  return ProcessValues().fValues;
}

const TStartupValues& DeriveProcessStartupValues(TStartupSystem& vSystem) {
  TProcessValues& p = ProcessValues();
  if (!p.fDerived) {
    p.fValues = DeriveStartupValues(vSystem);
    p.fDerived = true;
  }
  return p.fValues;
}

}  // namespace corvane
