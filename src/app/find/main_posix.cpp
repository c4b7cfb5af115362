// corvane-find on POSIX systems: searches registry export files only.
#include <csignal>
#include <cstdio>

#include "app/find/findcli.h"

namespace {
std::atomic<bool> gStop{false};
extern "C" void OnInterrupt(int) { gStop.store(true); }
}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGINT, OnInterrupt);
  std::vector<corvane::TText> args;
  for (int i = 1; i < argc; ++i) args.push_back(corvane::FromUtf8(argv[i]));
  corvane::find::TFindIo io;
  io.fOut = [](const std::string& s) {
    std::fwrite(s.data(), 1, s.size(), stdout);
    std::fflush(stdout);
  };
  io.fErr = [](const std::string& s) { std::fwrite(s.data(), 1, s.size(), stderr); };
  io.fStopRequest = &gStop;
  return corvane::find::RunFind(args, io);
}
