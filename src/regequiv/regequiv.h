// The alias list: key paths that are second views of a root key (the classes root shows the
// local machine's classes, the current user is a hive under the users root, the current
// configuration is a hardware profile of the local machine). Found once at start by
// experiment: a probe writes a temporary key under the real path and looks for it under the
// alias root. The walk skips every key on the list, so shared content is searched only
// under the alias root.
//
// Contract:
// - Everything here runs on the GUI thread before the first search; afterwards the list is
//   only read.
// - Failures are silent: a path that cannot be probed is left off the list. No function here
//   throws for a registry failure; an error in one probe leaves that probe's path off and the
//   builder goes on.
// - A probe key, once created, is deleted again on every way out of ProbeAlias.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "search/registry.h"
#include "search/types.h"

namespace corvane {

// Entries in the walk's form: the real root's name, "\", the path below it, with the letters
// a to z in upper case.
using TAliasList = std::vector<TText>;

// Bits of BuildAliasList's failure mask.
enum : std::uint32_t {
  afNoClasses = 1,  // no classes entry
  afNoUser = 2,     // no current-user entry
  afNoConfig = 4,   // no configuration entry
};

// Results of ProbeAlias.
enum TProbeCode : int {
  pcSame = 0,      // the probe key written under the real path was seen under the alias root
  pcNotSeen = 1,   // written, but not seen under the alias root
  pcNoCreate = 2,  // the path opened for full access, but no subkey could be created there
  pcNoOpen = 3,    // the path cannot be opened for full access
};

// GetVersionEx's platform identifiers.
inline constexpr std::uint32_t kPlatformWin9x = 1;
inline constexpr std::uint32_t kPlatformNT = 2;

// What the builder needs from the system besides the registry: the platform, GUIDs and the
// calling user's security identifier, read step by step so each step can fail on its own.
class TAliasSystem {
 public:
  virtual ~TAliasSystem() = default;
  virtual std::uint32_t PlatformId() = 0;
  // A new GUID in its braced text form ("{...}"); false when none can be made.
  [[nodiscard]] virtual bool NewGuid(TText& vText) = 0;
  // The user name of the calling thread.
  [[nodiscard]] virtual bool UserName(TText& vName) = 0;
  // Looks vName up on the local system and keeps its security identifier for the calls below.
  [[nodiscard]] virtual bool LookupAccount(const TText& vName) = 0;
  [[nodiscard]] virtual bool SidAuthority(std::array<std::uint8_t, 6>& vAuthority) = 0;
  [[nodiscard]] virtual bool SidSubAuthorityCount(std::uint8_t& vCount) = 0;
  [[nodiscard]] virtual bool SidSubAuthority(std::uint8_t vIndex, std::uint32_t& vValue) = 0;
};

struct TAliasHost {
  TCursorFactory fNewCursor;
  TAliasSystem* fSystem = nullptr;
};

// Appends the classes, current-user and configuration entries that prove equivalent, in that
// order; returns the failure mask (afNo... bits for each kind that added nothing).
std::uint32_t BuildAliasList(TAliasList& vList, const TAliasHost& vHost);

// Appends the entry vRootName\vPath and returns true when the key vReal\vPath is shown as the
// alias root itself. vPath has no leading backslash.
bool AddIfAlias(TAliasList& vList, const TAliasHost& vHost, TTextView vRootName, TTextView vPath,
                TKeyHandle vAlias, TKeyHandle vReal);

// Probes whether vReal\vPath (absolute, with its leading backslash) is vAlias. Throws
// TRegError when the probe value cannot be written or read back; the probe key is deleted
// before the error leaves.
[[nodiscard]] TProbeCode ProbeAlias(const TAliasHost& vHost, TKeyHandle vAlias, TKeyHandle vReal,
                                    TTextView vPath);

// Whether the alias root's own key information equals that of vReal\vPath (absolute). The
// security descriptor size and last-write time count too, except for the classes root.
[[nodiscard]] bool SameKeyInfo(const TAliasHost& vHost, TKeyHandle vAlias, TKeyHandle vReal,
                               TTextView vPath);

// Writes the calling user's security identifier as text ("S-1-5-21-...") into vText and
// returns 0, or returns the number of the step that failed (1 user name, 2 account lookup,
// 3 authority, 4 sub-authority count, 5 + i sub-authority i) with vText emptied.
int CurrentUserSID(TAliasSystem& vSystem, TText& vText);

// The string form of a security identifier: authority in decimal, or as "0x" and twelve
// upper-case hexadecimal digits when one of its first two bytes is set; sub-authorities
// unsigned.
TText SidText(const std::array<std::uint8_t, 6>& vAuthority,
              const std::vector<std::uint32_t>& vSubAuthorities);

// The name of the current user's hive below the users root; ".Default" when it cannot be
// found, never empty.
TText CurrentUserKeyName(const TAliasHost& vHost);

// Add the current-user entry and the configuration entries; true when at least one was added.
bool FindUserAlias(TAliasList& vList, const TAliasHost& vHost);
bool FindConfigAlias(TAliasList& vList, const TAliasHost& vHost);

// The process-wide list, empty until BuildProcessAliasList has run; the walk reads it
// (TSearchHost::fAliases).
const TAliasList& AliasList();
// Builds the process-wide list on the first call; later calls return it unchanged, since a
// search may be reading it. vMask, when given, receives the first build's failure mask.
const TAliasList& BuildProcessAliasList(const TAliasHost& vHost, std::uint32_t* vMask = nullptr);

}  // namespace corvane
