// Exports written to files: a thousand planted hits in each format read back by readers
// independent of the writers, on both registry backends; and the safe save under failures.
#include "export/exportfile.h"
#include "search/keytime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "export/jsonlines.h"
#include "search/regexport.h"
#include "support/csvreader.h"
#include "support/planter.h"
#include "support/printers.h"
#include "support/recorder.h"
#include "support/scopedcursor.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& vPath) {
  std::ifstream in(vPath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ExportFiles : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    plant = test::NewPlanter(GetParam());
    dir = fs::temp_directory_path() / ("corvane-export-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::unique_ptr<test::TPlanter> plant;
  fs::path dir;
};

TEST_P(ExportFiles, AThousandPlantedHitsInEachFormatReadBack) {
  // 20 keys of 50 values; names and data that need quoting in CSV and escaping in .reg.
  std::map<std::pair<TText, TText>, TText> planted;  // (key, value) -> data
  for (int k = 0; k < 20; ++k) {
    const TText key = u"Key " + FromUtf8(std::to_string(k));
    for (int v = 0; v < 50; ++v) {
      const TText name = u"hit, \"" + FromUtf8(std::to_string(v)) + u"\"";
      const TText data = u"line\r\nof " + key + u" \u00e9\U0001F600";
      plant->Value(key, name, kRegSz, TextBytes(data));
      planted[{key, name}] = data;
    }
  }
  test::TSearchRun run(test::ScopedCursors(plant->Cursors(), plant->Base()));
  run.Simple(u"hit, ");
  ASSERT_EQ(run.Run(), stFinished);
  const std::vector<TResult> hits = run.fRec.Results();
  ASSERT_EQ(hits.size(), 1000u);

  const TText prefix = u"HKEY_CURRENT_USER\\" + LowerAZ(plant->Base()) + u"\\";
  for (TExportFormat format : {efCsv, efJsonLines, efRegExport}) {
    const fs::path file = dir / ("hits." + std::to_string(int(format)));
    TExportCounts counts;
    TText error;
    ASSERT_EQ(SaveExport(file.u16string(), format, hits, hfSimple, plant->Cursors(), counts, error),
              ssDone)
        << ToUtf8(error);
    EXPECT_EQ(counts.fHits, 1000u);
    const std::string bytes = ReadFile(file);
    if (format == efCsv) {
      std::vector<test::TCsvRecord> records;
      std::string why;
      ASSERT_TRUE(test::ReadCsv(std::string_view(bytes).substr(3), records, why)) << why;
      ASSERT_EQ(records.size(), 1001u);
      for (std::size_t i = 0; i < hits.size(); ++i) {
        ASSERT_EQ(records[i + 1].size(), 10u);
        EXPECT_EQ(records[i + 1][0], ToUtf8(hits[i].fKeyStr));
        // Every backend here knows its keys' times.
        EXPECT_NE(hits[i].fModified, 0u);
        EXPECT_EQ(records[i + 1][9], IsoTime(hits[i].fModified));
        EXPECT_EQ(records[i + 1][1], ToUtf8(hits[i].fValStr));
        EXPECT_EQ(records[i + 1][4], std::to_string(hits[i].fValStart));
      }
    } else if (format == efJsonLines) {
      std::size_t lines = 0;
      for (std::size_t at = 0; (at = bytes.find('\n', at)) != std::string::npos; ++at) ++lines;
      EXPECT_EQ(lines, 1000u);
      // The quotes arrive escaped; the data took no part, so it is the placeholder.
      EXPECT_NE(bytes.find("\"value\":\"hit, \\\"49\\\"\",\"data\":\"\u2014\u2014\""),
                std::string::npos);
    } else {
      EXPECT_EQ(counts.fValues, 1000u);
      TMemRegistry reg;
      LoadRegExport(reg, bytes);
      std::size_t found = 0;
      for (const auto& [where, data] : planted) {
        TMemKey* key = reg.Find(kHKCU, plant->Base() + u"\\" + where.first);
        const TMemValue* value = key ? key->Value(where.second) : nullptr;
        if (value && value->fType == kRegSz && value->fData == TextBytes(data)) ++found;
      }
      EXPECT_EQ(found, 1000u);
    }
    for (const TResult& hit : hits) ASSERT_EQ(hit.fKeyStr.substr(0, prefix.size()), prefix);
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, ExportFiles, testing::ValuesIn(test::BackendNames()),
                         test::BackendParamName);

// Files in memory that fail on demand.
class TFailingFiles final : public TFileOps {
 public:
  TText FullPath(const TText& vPath) const override { return vPath; }
  bool FileExists(const TText& vPath) const override { return fFiles.count(vPath) > 0; }
  TResult ReadAll(const TText& vPath, std::string& vBytes, TText&) override {
    if (!FileExists(vPath)) return frOpenFailed;
    vBytes = fFiles[vPath];
    return frDone;
  }
  TResult WriteNew(const TText& vPath, std::string_view vBytes, TText& vError) override {
    if (FileExists(vPath)) return frExists;
    if (fFailCreate) {
      vError = u"no room";
      return frOpenFailed;
    }
    fFiles[vPath] = std::string(vBytes.substr(0, fFailWrite ? vBytes.size() / 2 : vBytes.size()));
    if (fFailWrite) vError = u"disk full";
    return fFailWrite ? frTransferFailed : frDone;
  }
  bool Replace(const TText& vFrom, const TText& vTo, TText& vError) override {
    if (fFailReplace) {
      vError = u"in use";
      return false;
    }
    fFiles[vTo] = fFiles[vFrom];
    fFiles.erase(vFrom);
    return true;
  }
  void Remove(const TText& vPath) override { fFiles.erase(vPath); }

  mutable std::map<TText, std::string> fFiles;
  bool fFailCreate = false, fFailWrite = false, fFailReplace = false;
};

TEST(ExportSafeSave, AFailedExportLeavesTheExistingFileAndNoTemporaryFile) {
  const std::vector<TResult> hits = {TResult(u"HKEY_USERS\\k", u"v", u"d", 1, 1, 1, 1, 1, 1, kHKU)};
  TFailingFiles files;
  files.fFiles[u"out.csv"] = "the old file";
  files.fFiles[u"out.csv.1.tmp"] = "somebody else's";
  struct TCase {
    bool TFailingFiles::*fFault;
    TSafeSave fWant;
    const char16_t* fError;
  };
  for (const TCase& c : {TCase{&TFailingFiles::fFailCreate, ssCreateFailed, u"no room"},
                         TCase{&TFailingFiles::fFailWrite, ssWriteFailed, u"disk full"},
                         TCase{&TFailingFiles::fFailReplace, ssCreateFailed, u"in use"}}) {
    files.*c.fFault = true;
    TExportCounts counts;
    TText error;
    EXPECT_EQ(SaveExport(u"out.csv", efCsv, hits, hfSimple, {}, counts, error, files), c.fWant);
    EXPECT_EQ(error, c.fError);
    EXPECT_EQ(files.fFiles.size(), 2u);
    EXPECT_EQ(files.fFiles[u"out.csv"], "the old file");
    EXPECT_EQ(files.fFiles[u"out.csv.1.tmp"], "somebody else's");
    files.*c.fFault = false;
  }
  TExportCounts counts;
  TText error;
  EXPECT_EQ(SaveExport(u"out.csv", efJsonLines, hits, hfSimple, {}, counts, error, files), ssDone);
  EXPECT_EQ(files.fFiles[u"out.csv"], HitJson(hits[0]));
  EXPECT_EQ(files.fFiles.size(), 2u);
}

TEST(ExportSafeSave, PlatformFilesReportAFolderThatIsMissing) {
  const fs::path missing = fs::temp_directory_path() / "corvane-no-such-folder" / "x.csv";
  TExportCounts counts;
  TText error;
  EXPECT_EQ(SaveExport(missing.u16string(), efCsv, {}, hfSimple, {}, counts, error),
            ssCreateFailed);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fs::exists(missing.parent_path()));
}

}  // namespace
}  // namespace corvane
