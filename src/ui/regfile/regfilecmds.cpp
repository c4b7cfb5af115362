#include "ui/regfile/regfilecmds.h"

#include <iterator>

#include "search/types.h"
#include "ui/regfile/regfilelogic.h"
#include "ui/window/filedialog.h"
#include "ui/window/window.h"

namespace corvane {

TRegFileCmds::TRegFileCmds(THost vHost, TText vInitialDir, TFileOps& vFiles)
    : fHost(std::move(vHost)), fInitialDir(std::move(vInitialDir)), fFiles(vFiles) {}

TRegFileCmds::~TRegFileCmds() {
  Shutdown();
}

void TRegFileCmds::Shutdown() {
  // The window is going: a load's last reports find fClosing and do nothing.
  fClosing = true;
  if (fLoader) fLoader->Terminate();
  fLoader.reset();
  fEndedLoader.reset();
}

TCursorFactory TRegFileCmds::Cursors() const {
  if (fHive) return [hive = fHive] { return hive->NewCursor(); };
  if (!fRegistry) return fHost.fLiveCursors;
  // The factory keeps the registry alive for as long as a search holds it.
  return [registry = fRegistry] { return registry->NewCursor(); };
}

bool TRegFileCmds::ChooseFile(const wchar_t* vTitle, TText& vName,
                              std::initializer_list<std::pair<const char16_t*, const char16_t*>> vTypes) {
  TFileDialog d;
  d.fOwner = fHost.fOwner;
  d.fTitle = vTitle;
  for (const auto& [caption, pattern] : vTypes) d.AddType(caption, pattern);
  d.fInitialDir = fInitialDir;
  d.fName = vName;
  if (!RunFileDialog(d)) return false;
  vName = d.fName;
  return true;
}

void TRegFileCmds::acSearchFileExecute() {
  if (Loading()) return;
  if (ChooseFile(L"Search export file", fLastName,
                 {{u"Registry export files (*.reg)", u"*.reg"}, {u"All files (*.*)", u"*.*"}}))
    Load(fLastName);
}

TText TRegFileCmds::SingleRoot() const {
  return fHive ? FileNameOf(fPath) : TText();
}

void TRegFileCmds::acSearchHiveExecute() {
  if (Loading()) return;
  if (ChooseFile(L"Search hive file", fLastHiveName,
                 {{u"All files (*.*)", u"*.*"},
                  {u"User hives (NTUSER.DAT, UsrClass.dat)", u"NTUSER.DAT;UsrClass.dat"}}))
    OpenHive(fLastHiveName);
}

void TRegFileCmds::OpenHive(const TText& vPath) {
  if (fClosing || Loading() || vPath.empty()) return;
  TText error;
  const TText path = fFiles.FullPath(vPath);
  std::shared_ptr<THiveRegistry> hive;
  {
    const TWaitCursor wait;  // the keys are counted once, by a walk of the whole hive
    hive = THiveRegistry::Open(path, error);
    if (hive) (void)hive->KeyCount();
  }
  if (!hive) {
    ShowError(fHost.fOwner, error);
    return;
  }
  fRegistry.reset();
  fHive = std::move(hive);
  fPath = path;
  fHost.fStatus(HiveOpenedText(fPath, fHive->KeyCount(), fHive->ValueCount(),
                               fHive->Dirty() ? fHive->DirtyNotice() : TText()));
  fHost.fChanged(true);
}

void TRegFileCmds::acSearchRegistryExecute() {
  if (Loading() || !FileSearched()) return;
  fRegistry.reset();
  fHive.reset();
  fPath.clear();
  fHost.fStatus(RegistrySearchedText());
  fHost.fChanged(true);
}

void TRegFileCmds::Load(const TText& vPath) {
  if (fClosing || Loading() || vPath.empty()) return;
  fEndedLoader.reset();  // its thread has ended: its end report ran before this command could
  auto loader = std::make_unique<TRegLoadThread>(
      vPath, *fHost.fSync,
      [this, path = fFiles.FullPath(vPath)](std::uint64_t vDone, std::uint64_t vTotal) {
        if (!fClosing) fHost.fStatus(LoadProgressText(path, vDone, vTotal));
      },
      fFiles);
  loader->OnTerminate = [this](TThread& t) { LoadEnded(t); };
  fHost.fStatus(LoadProgressText(loader->Path(), 0, 1));
  loader->Start();
  fLoader = std::move(loader);
  fHost.fChanged(false);
}

void TRegFileCmds::Cancel() {
  if (!fLoader) return;
  TRegLoadThread* loader = fLoader.get();
  loader->Terminate();
  loader->WaitFor();  // runs the pending reports; LoadEnded among them moves the loader away
}

void TRegFileCmds::LoadEnded(TThread& vThread) {
  if (fClosing) return;
  auto& loader = static_cast<TRegLoadThread&>(vThread);
  // The thread is still running this report: keep the object until the next load.
  if (fLoader.get() == &loader) fEndedLoader = std::move(fLoader);
  switch (loader.Outcome()) {
    case TRegLoadThread::loDone: {
      fRegistry = std::shared_ptr<TMemRegistry>(loader.TakeRegistry());
      fHive.reset();
      fPath = loader.Path();
      // The keys the file holds: the five roots are there in every registry.
      const std::uint64_t keys = fRegistry->KeyCount() - std::size(kSearchOrder);
      fHost.fStatus(LoadDoneText(fPath, keys, fRegistry->ValueCount()));
      fHost.fChanged(true);
      return;
    }
    case TRegLoadThread::loCancelled:
      fHost.fStatus(LoadCancelledText(loader.Path()));
      fHost.fChanged(false);
      return;
    default:
      fHost.fStatus(u"");
      fHost.fChanged(false);
      ShowError(fHost.fOwner, LoadFailedText(loader.Outcome(), loader.Path(), loader.Error()));
      return;
  }
}

}  // namespace corvane
