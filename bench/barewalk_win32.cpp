// The floor for a registry walk under Wine or Windows: every key and value of the five roots
// enumerated and all data read as fast as the API allows (relative opens, one RegEnumValueW
// call returning name and data), with no matching.
//   barewalk [--skip-aliases]
// --skip-aliases builds the alias list as corvane-find does (probes included) and leaves out
// the keys on it with everything below them, so both walk the same keys.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "regequiv/regequiv_win32.h"
#include "text/wide.h"

namespace {

struct TCounts {
  unsigned long long fKeys = 0, fValues = 0, fBytes = 0;
};

const corvane::TAliasList* gSkip = nullptr;

// vPath: the key's full path with a-z upper-cased, kept only when keys are skipped.
void Walk(HKEY vKey, TCounts& vCounts, std::vector<wchar_t>& vName, std::vector<BYTE>& vData,
          corvane::TText& vPath) {
  ++vCounts.fKeys;
  // Buffers of just the size this key needs: Wine moves the whole buffer through its server.
  DWORD maxName = 0, maxData = 0;
  if (RegQueryInfoKeyW(vKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &maxName, &maxData, nullptr, nullptr) == ERROR_SUCCESS) {
    if (vName.size() < maxName + 1) vName.resize(maxName + 1);
    vData.resize(maxData + 1);
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = static_cast<DWORD>(vName.size()), dataLen = static_cast<DWORD>(vData.size());
    DWORD type = 0;
    const LONG rc = RegEnumValueW(vKey, i, vName.data(), &nameLen, nullptr, &type, vData.data(), &dataLen);
    if (rc == ERROR_MORE_DATA) {
      vData.resize(vData.size() * 2 > dataLen ? vData.size() * 2 : dataLen + 16);
      if (vName.size() < 32768) vName.resize(32768);
      --i;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    ++vCounts.fValues;
    vCounts.fBytes += dataLen;
  }
  std::vector<wchar_t> sub(256);
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(sub.size());
    const LONG rc = RegEnumKeyExW(vKey, i, sub.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) {
      sub.resize(sub.size() * 2);
      --i;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    const std::size_t pathLen = vPath.size();
    if (gSkip) {
      vPath += u'\\';
      vPath += corvane::FoldAZ(corvane::FromW(sub.data(), len));
      bool skip = false;
      for (const auto& alias : *gSkip) skip = skip || alias == vPath;
      if (skip) {
        ++vCounts.fKeys;  // counted, as the search counts it, but not entered
        vPath.resize(pathLen);
        continue;
      }
    }
    HKEY child = nullptr;
    if (RegOpenKeyExW(vKey, sub.data(), 0, KEY_READ, &child) == ERROR_SUCCESS) {
      Walk(child, vCounts, vName, vData, vPath);
      RegCloseKey(child);
    }
    vPath.resize(pathLen);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wcscmp(argv[1], L"--skip-aliases") == 0)
    gSkip = &corvane::BuildProcessAliasList();
  const HKEY roots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG,
                        HKEY_CLASSES_ROOT};
  const char16_t* const names[] = {u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE", u"HKEY_USERS",
                                   u"HKEY_CURRENT_CONFIG", u"HKEY_CLASSES_ROOT"};
  TCounts counts;
  std::vector<wchar_t> name(16384);
  std::vector<BYTE> data(256);
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  for (int r = 0; r < 5; ++r) {
    const HKEY root = roots[r];
    LARGE_INTEGER r0, r1;
    QueryPerformanceCounter(&r0);
    const unsigned long long before = counts.fKeys;
    corvane::TText path = names[r];
    Walk(root, counts, name, data, path);
    QueryPerformanceCounter(&r1);
    std::printf("  root %p: %llu keys in %.3f s\n", static_cast<void*>(root), counts.fKeys - before,
                double(r1.QuadPart - r0.QuadPart) / double(f.QuadPart));
  }
  QueryPerformanceCounter(&t1);
  std::printf("bare walk: %llu keys, %llu values, %llu data bytes in %.3f s\n", counts.fKeys,
              counts.fValues, counts.fBytes, double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart));
  return 0;
}
