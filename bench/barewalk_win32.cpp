// The floor for a registry walk under Wine or Windows: every key and value of the five roots
// enumerated and all data read as fast as the API allows (relative opens, one RegEnumValueW
// call returning name and data), with no matching.
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

struct TCounts {
  unsigned long long fKeys = 0, fValues = 0, fBytes = 0;
};

void Walk(HKEY vKey, TCounts& vCounts, std::vector<wchar_t>& vName, std::vector<BYTE>& vData) {
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
    HKEY child = nullptr;
    if (RegOpenKeyExW(vKey, sub.data(), 0, KEY_READ, &child) == ERROR_SUCCESS) {
      Walk(child, vCounts, vName, vData);
      RegCloseKey(child);
    }
  }
}

}  // namespace

int wmain() {
  const HKEY roots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG,
                        HKEY_CLASSES_ROOT};
  TCounts counts;
  std::vector<wchar_t> name(16384);
  std::vector<BYTE> data(256);
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  for (HKEY root : roots) {
    LARGE_INTEGER r0, r1;
    QueryPerformanceCounter(&r0);
    const unsigned long long before = counts.fKeys;
    Walk(root, counts, name, data);
    QueryPerformanceCounter(&r1);
    std::printf("  root %p: %llu keys in %.3f s\n", static_cast<void*>(root), counts.fKeys - before,
                double(r1.QuadPart - r0.QuadPart) / double(f.QuadPart));
  }
  QueryPerformanceCounter(&t1);
  std::printf("bare walk: %llu keys, %llu values, %llu data bytes in %.3f s\n", counts.fKeys,
              counts.fValues, counts.fBytes, double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart));
  return 0;
}
