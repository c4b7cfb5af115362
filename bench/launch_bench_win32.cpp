// How long one launch of the registry editor takes, from the call to its result: with the
// editor not running (started, walked, value selected) and with it running (found and
// walked again). The target is a key five levels below Software with 200 values.
//   launch_bench [RUNS]      (needs a display: bench/launch-bench.sh gives it one)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "launcher/launcher_win32.h"
#include "text/wide.h"

namespace {

using namespace corvane;

const wchar_t kBenchKey[] = L"Software\\CorvaneLaunchBench";
const wchar_t kDeepKey[] = L"Software\\CorvaneLaunchBench\\L1\\L2\\L3\\L4";
const char16_t kDeepPath[] = u"HKEY_CURRENT_USER\\software\\corvanelaunchbench\\l1\\l2\\l3\\l4";

double Milliseconds(std::vector<double> v, double vQuantile) {
  std::sort(v.begin(), v.end());
  return v[std::size_t(vQuantile * double(v.size() - 1))];
}

// Ends every editor and waits until no editor process is left to be found.
void CloseEditors() {
  (void)TWin32EditorChannel::CloseAllEditors();
  Sleep(300);
}

double TimeOne(const TText& vExe, const char16_t* vValue, TLaunchResult& vResult) {
  const auto start = std::chrono::steady_clock::now();
  vResult = LaunchRegedit(nullptr, vExe, kDeepPath, vValue);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const TText exe = FromW(windows) + u"\\regedit.exe";

  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kDeepKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return 1;
  const wchar_t data[] = L"data";
  for (int i = 0; i < 200; ++i) {
    const std::wstring name = L"Value" + std::to_wstring(1000 + i);
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
  }
  RegCloseKey(key);

  std::vector<double> cold, warm;
  int failures = 0;
  TLaunchResult r = lrDone;
  for (int i = 0; i < runs; ++i) {
    CloseEditors();
    cold.push_back(TimeOne(exe, u"value1150", r));
    failures += r != lrDone;
    warm.push_back(TimeOne(exe, u"value1199", r));
    failures += r != lrDone;
  }
  CloseEditors();
  RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);

  std::printf("launch, editor not running: median %.0f ms, best %.0f ms, worst %.0f ms\n",
              Milliseconds(cold, 0.5), Milliseconds(cold, 0), Milliseconds(cold, 1));
  std::printf("launch, editor running:     median %.0f ms, best %.0f ms, worst %.0f ms\n",
              Milliseconds(warm, 0.5), Milliseconds(warm, 0), Milliseconds(warm, 1));
  std::printf(
      "(%d runs each, 5 levels deep, 200 values; includes the 100 ms pause before the "
      "row is selected; %d launches failed)\n",
      runs, failures);
  return failures ? 1 : 0;
}
