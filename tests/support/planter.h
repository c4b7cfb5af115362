// Test keys on a registry backend: a key of the test's own below HKEY_CURRENT_USER\Software,
// filled through the backend's own means and removed with everything below it when the
// planter goes away (also when the test failed).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "search/registry.h"
#include "text/text.h"

namespace corvane::test {

class TPlanter {
 public:
  virtual ~TPlanter() = default;
  // The test key's path below HKEY_CURRENT_USER, e.g. "Software\CorvaneTest-1234-1".
  const TText& Base() const { return fBase; }
  // Creates the key Base()\vPath (and its parents).
  virtual void Key(TTextView vPath) = 0;
  virtual void Value(TTextView vPath, TTextView vName, std::uint32_t vType,
                     const std::vector<std::uint8_t>& vData) = 0;
  virtual void RemoveKey(TTextView vPath) = 0;
  virtual TCursorFactory Cursors() = 0;
  virtual const char* Name() const = 0;

 protected:
  TText fBase;
};

std::unique_ptr<TPlanter> NewMemPlanter();
// A hive file written from an in-memory registry (read-only backends' contract only).
std::unique_ptr<TPlanter> NewHivePlanter();
// The real registry (Windows only); nullptr elsewhere.
std::unique_ptr<TPlanter> NewWin32Planter();

// The backends a contract suite runs over, by name: "memory", and "win32" on Windows. Use as
// INSTANTIATE_TEST_SUITE_P(Backends, Suite, testing::ValuesIn(test::BackendNames()),
//                          test::BackendParamName);
std::vector<std::string> BackendNames();
// The backends of the read-only contract: those above and "hive".
std::vector<std::string> ReadableBackendNames();
inline std::string BackendParamName(const testing::TestParamInfo<std::string>& vInfo) {
  return vInfo.param;
}
// A planter on the backend of that name.
std::unique_ptr<TPlanter> NewPlanter(const std::string& vBackend);

}  // namespace corvane::test
