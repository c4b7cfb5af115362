// The version block walker: any bytes as the buffer the platform's read fills. Besides the
// sanitizers' checks, every query a caller can make must answer inside its lists.
#include <cstdlib>

#include "about/verres.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TVerInfoObj info(TByteView(data, size));
  const bool walked = info.Status() == vsTables || info.Status() == vsNoTables;
  if (!walked && (info.LangCount() != 0 || !info.VarLangs().empty() || info.Count() != 0 ||
                  !(info.VFFI() == TFixedFileInfo{})))
    std::abort();
  if ((info.Status() == vsTables) != (info.LangCount() > 0)) std::abort();

  TText report;
  if (info.LangProb(report) == report.empty()) std::abort();
  for (std::int32_t l = 0; l < info.LangCount(); ++l) {
    const TText& lang = info.GetLanguage(l);
    const auto lines = static_cast<std::int32_t>(info.StrLangs()[std::size_t(l)].List().size());
    for (std::int32_t s = 0; s < lines; ++s) info.GetLangString(l, s);
    info.GetLangValue(lang, u"FileVersion");
  }
  for (std::int32_t s = 0; s < info.Count(); ++s) info.GetString(s);
  info.GetValue(u"FileVersion");
  info.FileTypeS();
  info.FileVersion();
  info.ProductVersion();
  return 0;
}
