#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include <unistd.h>

#include "files/files.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

TText SystemText(int vErr) {
  return FromUtf8(std::strerror(vErr));
}

struct TCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFile = std::unique_ptr<std::FILE, TCloser>;

// The C library's files. POSIX has no sharing modes, so "no sharing" is not enforced here.
class TPosixFiles final : public TFileOps {
 public:
  TText FullPath(const TText& vPath) const override {
    std::error_code ec;
    const fs::path full = fs::absolute(fs::path(ToUtf8(vPath)), ec);
    return ec ? vPath : FromUtf8(full.string());
  }

  bool FileExists(const TText& vPath) const override {
    std::error_code ec;
    return !vPath.empty() && fs::is_regular_file(fs::path(ToUtf8(vPath)), ec);
  }

  TResult ReadAll(const TText& vPath, std::string& vBytes, TText& vError) override {
    TFile f(std::fopen(ToUtf8(vPath).c_str(), "rb"));
    if (!f) {
      vError = SystemText(errno);
      return frOpenFailed;
    }
    vBytes.clear();
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) vBytes.append(buf, n);
    if (std::ferror(f.get())) {
      vError = SystemText(errno);
      return frTransferFailed;
    }
    return frDone;
  }

  TResult WriteNew(const TText& vPath, std::string_view vBytes, TText& vError) override {
    errno = 0;
    std::FILE* raw = std::fopen(ToUtf8(vPath).c_str(), "wbx");
    if (!raw) {
      vError = SystemText(errno);
      return errno == EEXIST ? frExists : frOpenFailed;
    }
    TFile f(raw);
    bool ok = std::fwrite(vBytes.data(), 1, vBytes.size(), f.get()) == vBytes.size() &&
              std::fflush(f.get()) == 0 && ::fsync(fileno(f.get())) == 0;
    int err = ok ? 0 : errno;
    if (std::fclose(f.release()) != 0 && ok) {
      ok = false;
      err = errno;
    }
    if (!ok) {
      vError = SystemText(err ? err : EIO);
      return frTransferFailed;
    }
    return frDone;
  }

  bool Replace(const TText& vFrom, const TText& vTo, TText& vError) override {
    if (std::rename(ToUtf8(vFrom).c_str(), ToUtf8(vTo).c_str()) == 0) return true;
    vError = SystemText(errno);
    return false;
  }

  void Remove(const TText& vPath) override { std::remove(ToUtf8(vPath).c_str()); }
};

}  // namespace

TFileOps& PlatformFiles() {
  static TPosixFiles files;
  return files;
}

}  // namespace corvane
