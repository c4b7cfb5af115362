// Runs a program under test and collects what it writes (Windows only).
#pragma once

#include <windows.h>

#include <string>

namespace corvane::test {

// Runs vCommandLine (program and arguments as one command line), waits for it to end and
// returns what it wrote to standard output; standard error goes there too, or to *vErr when
// given. vExit receives its exit code.
std::string RunCapture(std::wstring vCommandLine, DWORD& vExit, std::string* vErr = nullptr);

}  // namespace corvane::test
