// The About box's lines: the title with the file version (marked as a beta for a
// pre-release build), the copyright and the comment, each with a built-in fallback.
#pragma once

#include <cstdint>

#include "about/verres.h"
#include "text/text.h"

namespace corvane {

inline constexpr char16_t kBuiltInCopyright[] = u"Copyright (C) 2025 Tamberlo Software";
inline constexpr char16_t kBuiltInComment[] =
    u"Written by Tamberlo Software for everyone who "
    u"needs to find something in the registry.";
inline constexpr char16_t kRightsNotice[] = u"Some rights reserved.";
inline constexpr char16_t kLinkAddress[] = u"https://corvane.tamberlo.example/";
inline constexpr char16_t kLinkText[] = u"Corvane web site";

// dwFileFlags bit of a pre-release build (VS_FF_PRERELEASE).
inline constexpr std::uint32_t kPreReleaseFlag = 2;

struct TVersionTexts {
  TText VerStr;
  TText CopStr;
  TText ComStr;
  bool PreRel = false;
  bool operator==(const TVersionTexts&) const = default;
};

// From the values the version information gives (empty when missing).
TVersionTexts VersionTexts(TTextView vTitle, TTextView vFileVersion, TTextView vCopyright,
                           TTextView vComments, std::uint32_t vFileFlags);
// From a file's version information: "FileVersion", "LegalCopyright" and "Comments" of its
// preferred string table, and the flags of its fixed file information (not masked).
TVersionTexts VersionTexts(TTextView vTitle, const TVerInfoObj& vInfo);

}  // namespace corvane
