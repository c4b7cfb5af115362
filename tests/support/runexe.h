// Runs a program under test and collects what it writes (Windows only).
#pragma once

#include <windows.h>

#include <string>

#include "win32/handles.h"

namespace corvane::test {

// Runs vCommandLine (program and arguments as one command line), waits for it to end and
// returns what it wrote to standard output; standard error goes there too, or to *vErr when
// given. vExit receives its exit code.
std::string RunCapture(std::wstring vCommandLine, DWORD& vExit, std::string* vErr = nullptr);

// A program started with the command line vCommandLine in the folder vDir (the current one
// when null), its handles closed at the end of the scope; it is left running.
class TStartedProcess {
 public:
  explicit TStartedProcess(std::wstring vCommandLine, const wchar_t* vDir = nullptr);
  bool Started() const { return bool(fProcess); }
  // Whether it ended within vMs milliseconds.
  bool Ended(DWORD vMs);
  // Its exit code; 259 (still active) while it runs.
  DWORD ExitCode() const;

 private:
  TOwnedHandle fProcess;
  TOwnedHandle fThread;
};

}  // namespace corvane::test
