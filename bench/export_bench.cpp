// Results export and export-file loading: the time to write N hits in each export format
// (to memory and through the safe save to a file), and the time to load a generated export
// file of about M megabytes on the loader thread.
//   export_bench [hits] [megabytes] [folder]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "export/exportfile.h"
#include "export/regloadthread.h"
#include "search/memregistry.h"
#include "search/regexport.h"
#include "search/searchthread.h"
#include "synthreg.h"
#ifdef _WIN32
#include "liveplant.h"
#endif

using namespace corvane;
namespace fs = std::filesystem;

namespace {

double Seconds(const std::function<void()>& vWork) {
  const auto t0 = std::chrono::steady_clock::now();
  vWork();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// vHits hits from a real search: keys of 10 values each, every value's name and data a hit.
std::vector<TResult> Hits(TMemRegistry& vReg, std::uint32_t vHits) {
  for (std::uint32_t i = 0; i < vHits; ++i)
    vReg.SetText(
        kHKLM,
        u"Software\\Vendor " + FromUtf8(std::to_string(i / 1000)) + u"\\Product, " +
            FromUtf8(std::to_string(i / 10)),
        u"Export \"value\" " + FromUtf8(std::to_string(i)),
        u"C:\\Program Files\\Vendor\\export\\file" + FromUtf8(std::to_string(i)) + u".dll");
  TGuiSync sync;
  TSearchHost host;
  host.fSync = &sync;
  host.fNewCursor = vReg.Factory();
  std::vector<TResult> hits;
  TSearchThread t(
      u"export", false, 0x7FFFFFFF,
      [&](TResult vHit) { hits.push_back(std::move(vHit)); },
      {}, host);
  t.Start();
  t.WaitFor();
  return hits;
}

}  // namespace

int Main(int argc, char** argv) {
  const std::uint32_t count = argc > 1 ? std::uint32_t(std::atoi(argv[1])) : 10000;
  const double megabytes = argc > 2 ? std::atof(argv[2]) : 100;
  const fs::path folder = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path();

  TMemRegistry reg;
  const std::vector<TResult> hits = Hits(reg, count);
  std::printf("%zu hits\n", hits.size());
  const char* const names[] = {"CSV", "JSON Lines", "registry export"};
  for (TExportFormat format : {efCsv, efJsonLines, efRegExport}) {
    TExportCounts counts;
    std::size_t size = 0;
    const double build =
        Seconds([&] { size = ExportBytes(format, hits, hfSimple, reg.Factory(), counts).size(); });
    const fs::path file = folder / ("corvane-export-bench." + std::to_string(int(format)));
    TText error;
    TSafeSave saved = ssDone;
    const double save = Seconds([&] {
      saved = SaveExport(file.u16string(), format, hits, hfSimple, reg.Factory(), counts, error);
    });
    fs::remove(file);
    std::printf("%-16s %9zu bytes: built in %.3f s, built and saved in %.3f s%s\n", names[format],
                size, build, save, saved == ssDone ? "" : " (save FAILED)");
  }

#ifdef _WIN32
  {
    // The registry export as the window makes it: the hit values read through advapi32.
    bench::TLivePlant live(count);
    TExportCounts counts;
    std::size_t size = 0;
    const double build = Seconds([&] {
      size = ExportBytes(efRegExport, live.Hits(), hfSimple, live.Cursors(), counts).size();
    });
    std::printf("registry export from the live registry: %zu bytes, %zu values, built in %.3f s\n",
                size, counts.fValues, build);
  }
#endif

  // An export of about the asked size: synthetic keys and values, grown until it is that big.
  TMemRegistry big;
  bench::TSynthShape shape;
  shape.fKeys = std::uint32_t(megabytes * 540);
  shape.fValues = std::uint32_t(megabytes * 2810);
  bench::FillSynthetic(big, shape);
  std::string bytes = SaveRegExport(big);
  const fs::path file = folder / "corvane-load-bench.reg";
  std::ofstream(file, std::ios::binary) << bytes;
  std::printf("export file: %.1f MB, %llu keys, %llu values\n", double(bytes.size()) / 1e6,
              static_cast<unsigned long long>(big.KeyCount()),
              static_cast<unsigned long long>(big.ValueCount()));
  bytes = std::string();

  TGuiSync sync;
  int reports = 0;
  std::unique_ptr<TMemRegistry> loaded;
  const double load = Seconds([&] {
    TRegLoadThread t(file.u16string(), sync, [&](std::uint64_t, std::uint64_t) { ++reports; });
    t.Start();
    t.WaitFor();  // runs the progress reports on this thread, as the window's loop would
    loaded = t.TakeRegistry();
  });
  fs::remove(file);
  std::printf("loaded on the loader thread in %.2f s (%d progress reports, %s)\n", load, reports,
              loaded && loaded->ValueCount() == big.ValueCount() ? "all values" : "FAILED");
  return 0;
}

#ifdef _WIN32
// The Windows build uses the wide entry point; the arguments are numbers and a folder.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i)
    args.push_back(ToUtf8(TText(reinterpret_cast<const char16_t*>(argv[i]))));
  std::vector<char*> pointers;
  for (auto& a : args) pointers.push_back(a.data());
  return Main(argc, pointers.data());
}
#else
int main(int argc, char** argv) {
  return Main(argc, argv);
}
#endif
