// The platform's file operations behind saving and loading: the C library natively, Win32
// under Wine. Each test works in a folder of its own below the system's temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "savedsearch/qmxfile.h"
#include "support/printers.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class QmxPlatformFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("corvane-qmx-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  TText Path(const char* vName) const { return (dir / vName).u16string(); }
  std::vector<fs::path> Files() const {
    return {fs::directory_iterator(dir), fs::directory_iterator()};
  }
  // The text of the failure of vOp, which must start with vHead and go on with the system's.
  static void ExpectFailure(const std::function<void()>& vOp, const TText& vHead) {
    try {
      vOp();
      ADD_FAILURE() << "no failure";
    } catch (const TQmxError& e) {
      EXPECT_EQ(e.Message().substr(0, vHead.size()), vHead);
      EXPECT_GT(e.Message().size(), vHead.size());
    }
  }

  fs::path dir;
  TQmxFiles& files = PlatformQmxFiles();
};

TEST_F(QmxPlatformFiles, SaveReplacesAndLoadReadsBack) {
  TSearchCriteria first, second;
  first.fValRows = {{1, 0, u"first"}};
  second.fValRows = {{1, 0, u"zweite \u00e4"}};
  SaveQmxFile(Path("a.QMX"), first);
  SaveQmxFile(Path("a.QMX"), second);
  ASSERT_EQ(Files(), std::vector<fs::path>{dir / "a.QMX"});
  {
    std::ifstream in(dir / "a.QMX", std::ios::binary);  // closed before the load's open
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), WriteQmx(second));
  }
  EXPECT_TRUE(files.FileExists(Path("a.QMX")));
  TSearchCriteria read;
  LoadQmxFile(Path("a.QMX"), read);
  EXPECT_EQ(read, second);

  const fs::path cwd = fs::current_path();
  fs::current_path(dir);
  const fs::path full = files.FullPath(u"b.QMX");
  fs::current_path(cwd);
  EXPECT_TRUE(fs::equivalent(full.parent_path(), dir));
  EXPECT_EQ(full.filename(), "b.QMX");
}

TEST_F(QmxPlatformFiles, FailuresNameTheFullPathAndTheSystemText) {
  const TText inMissing = (dir / "missing" / "a.QMX").u16string();
  ExpectFailure([&] { SaveQmxFile(inMissing, {}); },
                u"Datei \"" + inMissing + u"\" kann nicht erstellt werden. ");
  TSearchCriteria read;
  ExpectFailure([&] { LoadQmxFile(Path("none.QMX"), read); },
                u"Datei " + Path("none.QMX") + u" kann nicht ge\u00f6ffnet werden. ");
  EXPECT_FALSE(files.FileExists(Path("none.QMX")));
  EXPECT_FALSE(files.FileExists(dir.u16string()));
  EXPECT_FALSE(files.FileExists(u""));
  EXPECT_TRUE(Files().empty());
}

}  // namespace
}  // namespace corvane
