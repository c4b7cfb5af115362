#include "regequiv/regequiv.h"

#include <exception>

namespace corvane {
namespace {

constexpr char16_t kProbeData[] = u"test";

// The decimal form of n with at least vDigits digits after any sign, as "%.03d" gives it.
TText Padded(std::int32_t n, std::size_t vDigits) {
  std::uint32_t magnitude = n < 0 ? 0u - static_cast<std::uint32_t>(n) : std::uint32_t(n);
  TText digits;
  do {
    digits.insert(digits.begin(), char16_t(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (digits.size() < vDigits) digits.insert(0, vDigits - digits.size(), u'0');
  return n < 0 ? u"-" + digits : digits;
}

TText Decimal(std::uint64_t n) {
  TText digits;
  do {
    digits.insert(digits.begin(), char16_t(u'0' + n % 10));
    n /= 10;
  } while (n != 0);
  return digits;
}

void RemoveProbe(TRegCursor& vCursor, TKeyHandle vReal, const TText& vProbe) {
  vCursor.SelectRoot(vReal);
  (void)vCursor.DeleteKey(vProbe);
}

bool SameInfo(const TKeyInfo& a, const TKeyInfo& b, bool vWithSecurityAndTime) {
  if (a.fClass != b.fClass || a.fSubKeys != b.fSubKeys || a.fMaxSubKeyLen != b.fMaxSubKeyLen ||
      a.fMaxClassLen != b.fMaxClassLen || a.fValues != b.fValues ||
      a.fMaxValueNameLen != b.fMaxValueNameLen || a.fMaxValueLen != b.fMaxValueLen)
    return false;
  return !vWithSecurityAndTime ||
         (a.fSecurityDescriptor == b.fSecurityDescriptor && a.fLastWriteTime == b.fLastWriteTime);
}

// Runs one step of the builder; an error keeps what the step added and counts as a success
// only when it added something.
template <typename TStep>
bool Guarded(TAliasList& vList, TStep vStep) {
  const std::size_t before = vList.size();
  try {
    return vStep();
  } catch (const std::exception&) {
    return vList.size() > before;
  }
}

}  // namespace

std::uint32_t BuildAliasList(TAliasList& vList, const TAliasHost& vHost) {
  std::uint32_t mask = 0;
  if (!Guarded(vList, [&] {
        return AddIfAlias(vList, vHost, u"HKEY_LOCAL_MACHINE", u"SOFTWARE\\Classes", kHKCR, kHKLM);
      }))
    mask |= afNoClasses;
  if (!Guarded(vList, [&] { return FindUserAlias(vList, vHost); })) mask |= afNoUser;
  if (!Guarded(vList, [&] { return FindConfigAlias(vList, vHost); })) mask |= afNoConfig;
  return mask;
}

bool AddIfAlias(TAliasList& vList, const TAliasHost& vHost, TTextView vRootName, TTextView vPath,
                TKeyHandle vAlias, TKeyHandle vReal) {
  const TText absolute = u"\\" + TText(vPath);
  try {
    switch (ProbeAlias(vHost, vAlias, vReal, absolute)) {
      case pcSame:
        break;
      case pcNoCreate:
        if (!SameKeyInfo(vHost, vAlias, vReal, absolute)) return false;
        break;
      case pcNotSeen:
      case pcNoOpen:
        return false;
    }
  } catch (const std::exception&) {
    return false;  // a refused write or read: this path stays off the list
  }
  vList.push_back(FoldAZ(TText(vRootName) + u"\\" + TText(vPath)));
  return true;
}

TProbeCode ProbeAlias(const TAliasHost& vHost, TKeyHandle vAlias, TKeyHandle vReal,
                      TTextView vPath) {
  auto cursor = vHost.fNewCursor();
  cursor->SelectRoot(vReal);
  if (!cursor->OpenFull(vPath)) return pcNoOpen;
  TText g1, g2;
  if (!vHost.fSystem->NewGuid(g1) || !vHost.fSystem->NewGuid(g2) || g1.empty() || g2.empty())
    return pcNoCreate;
  if (!cursor->CreateSubkey(g1)) return pcNoCreate;

  const TText probe = TText(vPath) + u"\\" + g1;
  TProbeCode result = pcNoCreate;
  try {
    cursor->WriteText(g2, kProbeData);
    result = pcNotSeen;
    cursor->SelectRoot(vAlias);
    if (cursor->OpenFull(u"\\" + g1) && cursor->ReadText(g2) == kProbeData) result = pcSame;
  } catch (...) {
    RemoveProbe(*cursor, vReal, probe);
    throw;
  }
  RemoveProbe(*cursor, vReal, probe);
  return result;
}

bool SameKeyInfo(const TAliasHost& vHost, TKeyHandle vAlias, TKeyHandle vReal, TTextView vPath) {
  auto cursor = vHost.fNewCursor();
  TKeyInfo alias, real;
  if (!cursor->RootKeyInfo(vAlias, alias)) return false;
  cursor->SelectRoot(vReal);
  if (!cursor->OpenReadAccess(vPath) || !cursor->OpenKeyInfo(real)) return false;
  return SameInfo(alias, real, vAlias != kHKCR);
}

TText SidText(const std::array<std::uint8_t, 6>& vAuthority,
              const std::vector<std::uint32_t>& vSubAuthorities) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  TText text = u"S-1-";
  if (vAuthority[0] != 0 || vAuthority[1] != 0) {
    text += u"0x";
    for (std::uint8_t b : vAuthority) {
      text += kHex[b >> 4];
      text += kHex[b & 15];
    }
  } else {
    text += Decimal((std::uint32_t(vAuthority[2]) << 24) | (std::uint32_t(vAuthority[3]) << 16) |
                    (std::uint32_t(vAuthority[4]) << 8) | std::uint32_t(vAuthority[5]));
  }
  for (std::uint32_t sub : vSubAuthorities) text += u"-" + Decimal(sub);
  return text;
}

int CurrentUserSID(TAliasSystem& vSystem, TText& vText) {
  vText.clear();
  TText user;
  if (!vSystem.UserName(user)) return 1;
  if (!vSystem.LookupAccount(user)) return 2;
  std::array<std::uint8_t, 6> authority{};
  if (!vSystem.SidAuthority(authority)) return 3;
  std::uint8_t count = 0;
  if (!vSystem.SidSubAuthorityCount(count)) return 4;
  std::vector<std::uint32_t> subs;
  for (std::uint8_t i = 0; i < count; ++i) {
    std::uint32_t sub = 0;
    if (!vSystem.SidSubAuthority(i, sub)) return 5 + i;
    subs.push_back(sub);
  }
  vText = SidText(authority, subs);
  return 0;
}

TText CurrentUserKeyName(const TAliasHost& vHost) {
  TText name;
  auto cursor = vHost.fNewCursor();
  if (vHost.fSystem->PlatformId() == kPlatformNT) {
    cursor->SelectRoot(kHKU);
    (void)cursor->OpenRead(u"");
    if (CurrentUserSID(*vHost.fSystem, name) != 0 || name.empty() ||
        !cursor->KeyExists(u"\\" + name))
      name.clear();
  } else {
    cursor->SelectRoot(kHKLM);
    try {
      if (cursor->OpenRead(u"\\System\\CurrentControlSet\\control"))
        name = cursor->ReadText(u"Current User");
    } catch (const std::exception&) {
      name.clear();  // a value of another type names no hive
    }
  }
  return name.empty() ? TText(u".Default") : name;
}

bool FindUserAlias(TAliasList& vList, const TAliasHost& vHost) {
  const TText first = CurrentUserKeyName(vHost);
  if (AddIfAlias(vList, vHost, u"HKEY_USERS", first, kHKCU, kHKU)) return true;
  std::vector<TText> names;
  {
    auto cursor = vHost.fNewCursor();
    cursor->SelectRoot(kHKU);
    if (cursor->OpenFull(u"")) names = cursor->SubkeyNames();
  }
  for (const auto& name : names) {
    if (name.empty() || CompareFoldWide(name, first) == 0) continue;  // probed already
    if (AddIfAlias(vList, vHost, u"HKEY_USERS", name, kHKCU, kHKU)) return true;
  }
  return false;
}

bool FindConfigAlias(TAliasList& vList, const TAliasHost& vHost) {
  auto cursor = vHost.fNewCursor();
  cursor->SelectRoot(kHKLM);
  if (!cursor->OpenRead(u"\\System\\CurrentControlSet\\control\\IDConfigDB")) return false;
  if (vHost.fSystem->PlatformId() == kPlatformNT) {
    std::int32_t n = 0;
    try {
      n = static_cast<std::int32_t>(cursor->ReadNumber(u"CurrentConfig"));
    } catch (const std::exception&) {
      return false;  // missing or not a number: no profile to probe
    }
    cursor.reset();
    const TText set = u"SYSTEM\\ControlSet" + Padded(n, 3) + u"\\Hardware Profiles\\";
    const TText current = u"SYSTEM\\CurrentControlSet\\Hardware Profiles\\";
    const TText paths[] = {
        set + u"Current",
        set + Padded(n, 4),
        current + Padded(n, 4),
        current + u"Current",
    };
    bool added = false;
    for (const auto& path : paths)
      if (AddIfAlias(vList, vHost, u"HKEY_LOCAL_MACHINE", path, kHKCC, kHKLM)) added = true;
    return added;
  }
  TText config;
  try {
    config = cursor->ReadText(u"CurrentConfig");
  } catch (const std::exception&) {
    return false;
  }
  cursor.reset();
  return AddIfAlias(vList, vHost, u"HKEY_LOCAL_MACHINE", u"CONFIG\\" + config, kHKCC, kHKLM);
}

namespace {

struct TProcessList {
  TAliasList fList;
  std::uint32_t fMask = 0;
  bool fBuilt = false;
};

TProcessList& ProcessList() {
  static TProcessList list;
  return list;
}

}  // namespace

const TAliasList& AliasList() {
  return ProcessList().fList;
}

const TAliasList& BuildProcessAliasList(const TAliasHost& vHost, std::uint32_t* vMask) {
  TProcessList& p = ProcessList();
  if (!p.fBuilt) {
    p.fBuilt = true;
    p.fMask = BuildAliasList(p.fList, vHost);
  }
  if (vMask) *vMask = p.fMask;
  return p.fList;
}

}  // namespace corvane
