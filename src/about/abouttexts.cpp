#include "about/abouttexts.h"

namespace corvane {

TVersionTexts VersionTexts(TTextView vTitle, TTextView vFileVersion, TTextView vCopyright,
                           TTextView vComments, std::uint32_t vFileFlags) {
  TVersionTexts t;
  t.PreRel = (vFileFlags & kPreReleaseFlag) != 0;
  if (!vFileVersion.empty())
    t.VerStr =
        TText(vTitle) + (t.PreRel ? u" - beta version " : u" - version ") + TText(vFileVersion);
  else
    t.VerStr = TText(vTitle) + (t.PreRel ? u" beta" : u"");
  t.CopStr = vCopyright.empty() ? TText(kBuiltInCopyright) : TText(vCopyright);
  t.ComStr = vComments.empty() ? TText(kBuiltInComment) : TText(vComments);
  return t;
}

TVersionTexts VersionTexts(TTextView vTitle, const TVerInfoObj& vInfo) {
  return VersionTexts(vTitle, vInfo.GetValue(u"FileVersion"), vInfo.GetValue(u"LegalCopyright"),
                      vInfo.GetValue(u"Comments"), vInfo.VFFI().dwFileFlags);
}

}  // namespace corvane
