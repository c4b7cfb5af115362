#include "app/find/findcli.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>

#include "app/find/findrun.h"
#include "export/csvwriter.h"
#include "savedsearch/qmxfile.h"
#include "files/files.h"
#include "search/emphasis.h"
#include "search/hiveregistry.h"
#include "search/memregistry.h"
#include "search/number.h"
#include "search/regexmatch.h"
#include "search/regexport.h"
#include "search/searchtexts.h"

namespace corvane::find {
namespace {

bool ParseCount(const TText& vText, std::int32_t& vValue) {
  std::int32_t n = 0;
  if (!ReadsAsNumber(vText, n) || n < 1) return false;
  vValue = n;
  return true;
}

bool SameAZ(const TText& a, const TText& b) { return FoldAZ(a) == FoldAZ(b); }

const char* KindOption(TCritKind vKind) {
  return vKind == ckKey ? "--key" : vKind == ckValue ? "--value" : "--data";
}

}  // namespace

bool ParseMatchType(const TText& vName, bool vData, std::int32_t& vMatch) {
  static const char16_t* const kShort[] = {u"contains",   u"equals", u"not-contains",
                                           u"not-equals", u"type",   u"regex",
                                           u"not-regex"};
  for (std::int32_t i = 0; i < std::int32_t(kMatchTypeTexts.size()); ++i) {
    if (i == mtDataType && !vData) continue;
    if (SameAZ(vName, kShort[i]) || SameAZ(vName, kMatchTypeTexts[std::size_t(i)])) {
      vMatch = i;
      return true;
    }
  }
  return false;
}

bool ParseDataType(const TText& vName, std::int32_t& vDataType) {
  static const char16_t* const kShort[] = {u"text", u"number", u"binary"};
  for (std::int32_t i = 0; i < std::int32_t(kDataTypeTexts.size()); ++i) {
    if (SameAZ(vName, kDataTypeTexts[std::size_t(i)]) || (i < 3 && SameAZ(vName, kShort[i]))) {
      vDataType = i;
      return true;
    }
  }
  return false;
}

bool ParseRoots(const TText& vList, TRootKeySet& vRoots) {
  TRootKeySet set;
  std::size_t at = 0;
  while (at <= vList.size()) {
    const std::size_t end = std::min(vList.find(u',', at), vList.size());
    const TRootInfo* root = RootByName(vList.substr(at, end - at));
    if (!root) return false;
    set.Include(root->fMember);
    at = end + 1;
  }
  vRoots = set;
  return true;
}

bool ParseArgs(const std::vector<TText>& vArgs, TFindOptions& vOpts, std::string& vError) {
  bool haveAfter = false, haveBefore = false, haveWithin = false;
  for (std::size_t i = 0; i < vArgs.size(); ++i) {
    const TText& a = vArgs[i];
    auto value = [&](TText& vOut) {
      if (i + 1 >= vArgs.size()) {
        vError = "option " + ToUtf8(a) + " needs a value";
        return false;
      }
      vOut = vArgs[++i];
      return true;
    };
    TText v;
    if (a == u"-h" || a == u"--help") {
      vOpts.fHelp = true;
    } else if (a == u"-m" || a == u"--max") {
      if (!value(v)) return false;
      vOpts.fHaveMax = true;
      if (!ParseCount(v, vOpts.fMaxRslt)) {
        vError = "option --max needs a whole number of at least 1, not '" + ToUtf8(v) + "'";
        return false;
      }
    } else if (a == u"-c" || a == u"--case") {
      vOpts.fDatCase = true;
    } else if (a == u"-x" || a == u"--regex") {
      vOpts.fRegex = true;
    } else if (a == u"-j" || a == u"--json") {
      vOpts.fJson = true;
    } else if (a == u"--csv") {
      vOpts.fCsv = true;
    } else if (a == u"-q" || a == u"--qmx") {
      if (!value(v)) return false;
      vOpts.fQmxFile = v;
      vOpts.fCriteria = true;
    } else if (a == u"--no-probe") {
      vOpts.fNoProbe = true;
    } else if (a == u"-p" || a == u"--progress") {
      vOpts.fProgress = true;
    } else if (a == u"-f" || a == u"--file") {
      if (!value(v)) return false;
      vOpts.fRegFile = v;
    } else if (a == u"--hive") {
      if (!value(v)) return false;
      vOpts.fHives.push_back(v);
    } else if (a == u"--modified-after" || a == u"--modified-before") {
      if (!value(v)) return false;
      const std::optional<std::uint64_t> time = ParseIsoTime(v);
      if (!time) {
        vError = "option " + ToUtf8(a) + " needs a date and time as in 2026-12-10T15:30 (Z " +
                 "at the end for UTC), not '" + ToUtf8(v) + "'";
        return false;
      }
      (a == u"--modified-after" ? vOpts.fTimes.fAfter : vOpts.fTimes.fBefore) = *time;
      (a == u"--modified-after" ? haveAfter : haveBefore) = true;
    } else if (a == u"--modified-within") {
      if (!value(v)) return false;
      if (!ParseDuration(v, vOpts.fTimes.fCount, vOpts.fTimes.fUnit)) {
        vError = "option --modified-within needs a whole number and m, h or d, as in 90m, 24h " +
                 std::string("or 7d, not '") + ToUtf8(v) + "'";
        return false;
      }
      haveWithin = true;
    } else if (a == u"--jobs") {
      if (!value(v)) return false;
      std::int32_t jobs = 0;
      if (!ParseCount(v, jobs)) {
        vError = "option --jobs needs a whole number of at least 1, not '" + ToUtf8(v) + "'";
        return false;
      }
      vOpts.fJobs = unsigned(jobs);
    } else if (a == u"-k" || a == u"--key" || a == u"-v" || a == u"--value" || a == u"-d" ||
               a == u"--data") {
      const TCritKind kind = (a == u"-k" || a == u"--key")     ? ckKey
                             : (a == u"-v" || a == u"--value") ? ckValue
                                                               : ckData;
      const std::string opt = KindOption(kind);
      if (i + 2 >= vArgs.size()) {
        vError = opt + " needs a match type and a text (or, for \"type\", a data type)";
        return false;
      }
      TFindCrit c{kind, 0, vArgs[i + 2]};
      if (!ParseMatchType(vArgs[i + 1], kind == ckData, c.fMatch)) {
        vError = opt + ": unknown match type '" + ToUtf8(vArgs[i + 1]) + "' (use contains, " +
                 "equals, not-contains, not-equals, regex, not-regex" +
                 (kind == ckData ? ", type)" : ")");
        return false;
      }
      if (c.fMatch == mtDataType) {
        if (!ParseDataType(c.fText, c.fDataType)) {
          vError = opt + " type: unknown data type '" + ToUtf8(c.fText) +
                   "' (use text, number, binary or a REG_ type name)";
          return false;
        }
        c.fText.clear();
      } else if (!CritRowValid(kind, c.fMatch, c.fText)) {
        const TText why = CritRowError(c.fMatch, c.fText);
        vError = opt + " " + ToUtf8(vArgs[i + 1]) + ": " +
                 (why.empty() ? "the text may not be empty"
                              : "the pattern '" + ToUtf8(c.fText) + "' does not compile: " +
                                    ToUtf8(why));
        return false;
      }
      vOpts.fCrits.push_back(std::move(c));
      vOpts.fCriteria = true;
      i += 2;
    } else if (a == u"--key-all") {
      vOpts.fKeyAll = true;
    } else if (a == u"--value-all") {
      vOpts.fValAll = true;
    } else if (a == u"--data-all") {
      vOpts.fDatAll = true;
    } else if (a == u"-r" || a == u"--roots") {
      if (!value(v)) return false;
      if (!ParseRoots(v, vOpts.fRoots) || vOpts.fRoots.Bits() == 0) {
        vError = "option --roots needs a comma-separated list of HKCU, HKLM, HKU, HKCC, HKCR, not '" +
                 ToUtf8(v) + "'";
        return false;
      }
      vOpts.fHaveRoots = true;
      vOpts.fCriteria = true;
    } else if (a == u"--") {
      if (i + 1 < vArgs.size()) {
        vOpts.fText = vArgs[++i];
        vOpts.fHaveText = true;
      }
    } else if (a.size() > 1 && a[0] == u'-') {
      vError = "unknown option " + ToUtf8(a);
      return false;
    } else {
      if (vOpts.fHaveText) {
        vError = "only one search text may be given (quote a text with spaces)";
        return false;
      }
      vOpts.fText = a;
      vOpts.fHaveText = true;
    }
  }
  if (vOpts.fHelp) return true;
  if (vOpts.fJson && vOpts.fCsv) {
    vError = "--json and --csv cannot be combined";
    return false;
  }
  if (haveWithin && (haveAfter || haveBefore)) {
    vError = "--modified-within cannot be combined with --modified-after or --modified-before";
    return false;
  }
  vOpts.fTimes.fLimit = haveWithin                 ? tlWithin
                        : haveAfter && haveBefore ? tlBetween
                        : haveAfter               ? tlAfter
                        : haveBefore              ? tlBefore
                                                  : tlAnyTime;
  if (!vOpts.fRegFile.empty() && !vOpts.fHives.empty()) {
    vError = "--file and --hive cannot be combined";
    return false;
  }
  if (vOpts.fCriteria) {
    if (vOpts.fRegex) {
      vError = "--regex is for a search text; criteria take the match type regex or not-regex";
      return false;
    }
    if (vOpts.fHaveText) {
      vError = "a search text cannot be combined with criteria; use --key/--value/--data contains TEXT";
      return false;
    }
    if (vOpts.fCrits.empty() && vOpts.fQmxFile.empty()) {
      vError = "--roots needs at least one --key, --value or --data criterion";
      return false;
    }
    return true;
  }
  if (!vOpts.fHaveText) {
    vError = "no search text given";
    return false;
  }
  if (!vOpts.fHelp && vOpts.fText.empty()) {
    vError = "the search text is empty";
    return false;
  }
  if (vOpts.fRegex) {
    const TText why = RegexError(vOpts.fText);
    if (!why.empty()) {
      vError = "--regex: the pattern '" + ToUtf8(vOpts.fText) + "' does not compile: " + ToUtf8(why);
      return false;
    }
  }
  return true;
}

std::string HelpText() {
  return
      "Usage: corvane-find [options] TEXT\n"
      "       corvane-find [options] CRITERION... [--roots LIST]\n"
      "\n"
      "Searches the registry for TEXT in key names, value names and value data, and as a\n"
      "32-bit number when TEXT reads as one (decimal, or hexadecimal with $, x or 0x).\n"
      "Names are compared with the letters a-z folded; data likewise unless --case is given.\n"
      "The roots are searched in the order HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,\n"
      "HKEY_CURRENT_CONFIG, HKEY_CLASSES_ROOT. Every hit is printed as it is found; the\n"
      "matched text is shown in [brackets]. Ctrl+C stops the search.\n"
      "\n"
      "Options:\n"
      "  -m, --max N        stop after N hits (default 1000)\n"
      "  -c, --case         case-sensitive search in value data\n"
      "  -x, --regex        TEXT is a regular expression (PCRE2 syntax): it matches\n"
      "                     anywhere in a name or a text view of the data (^ and $\n"
      "                     anchor); names without regard to case, data as --case says;\n"
      "                     never matched as a number\n"
      "  -f, --file FILE    search a registry export (.reg, as written by regedit /E)\n"
      "                     instead of the live registry\n"
      "      --hive FILE    search a registry hive file (as Windows keeps them in\n"
      "                     System32\\config, or a user's NTUSER.DAT) instead of the live\n"
      "                     registry; its keys are reported under the file's name, as in\n"
      "                     SOFTWARE\\microsoft\\windows. Repeat it to search several hives;\n"
      "                     each hive's hits are then printed together, hives in the order\n"
      "                     given, after a line \"Hive: FILE\" (with --json and --csv each hit\n"
      "                     gets a last field \"source\" instead), and --max applies to each\n"
      "                     hive. A hive that was not closed cleanly is searched as it is,\n"
      "                     and stderr says so.\n"
      "      --jobs N       search up to N hives at once (default: one per processor)\n"
      "      --modified-after TIME, --modified-before TIME\n"
      "                     report only keys last written at or after, at or before TIME\n"
      "                     (ISO 8601: 2026-12-10, 2026-12-10T15:30 or 2026-12-10T15:30:05;\n"
      "                     local time, or UTC with a Z at the end); both give a range\n"
      "      --modified-within DURATION\n"
      "                     report only keys last written within the last 90m, 24h, 7d...\n"
      "                     A key whose time is not known (an export file has none) is not\n"
      "                     reported; the subkeys of a key outside the range still are.\n"
      "  -j, --json         print each hit as one JSON object per line, with the fields\n"
      "                     root, key, value, data, keyStart, valueStart, dataStart,\n"
      "                     keyLength, valueLength, dataLength (spans count from 1; a span\n"
      "                     is emphasised only when start and length are both above 0),\n"
      "                     modified (the key's last-write time, ISO 8601 UTC; empty when\n"
      "                     not known)\n"
      "      --csv          print the hits as CSV for a spreadsheet: UTF-8 with a byte order\n"
      "                     mark, a header row, then one row per hit with the columns key,\n"
      "                     value, data, keyStart, valueStart, dataStart, keyLength,\n"
      "                     valueLength, dataLength, modified (RFC 4180 quoting, CR LF line\n"
      "                     ends); a key, value or data text that starts with =, +, -, @,\n"
      "                     a tab or a CR gets an apostrophe in front, so that a spreadsheet\n"
      "                     shows it as text instead of running it as a formula; the\n"
      "                     summary goes to stderr, so standard output is the CSV alone\n"
      "      --no-probe     do not probe for duplicate views of the registry at start (the\n"
      "                     probes write and delete short-lived keys); the classes,\n"
      "                     current-user and configuration content is then searched twice,\n"
      "                     under its alias root and under the root that holds it\n"
      "  -p, --progress     report \"Hits: N, Keys searched: N\" every 100 keys on stderr\n"
      "  -h, --help         show this text\n"
      "\n"
      "Criteria (the Advanced search; instead of TEXT, repeat as needed):\n"
      "  -k, --key MATCH TEXT     key-name criterion\n"
      "  -v, --value MATCH TEXT   value-name criterion (the empty text \"\" is the default value)\n"
      "  -d, --data MATCH TEXT    value-data criterion\n"
      "  -d, --data type DATATYPE value-data criterion on the value's type\n"
      "      --key-all, --value-all, --data-all\n"
      "                     every criterion of that kind must hold (default: any one)\n"
      "  -r, --roots LIST   comma-separated roots: HKCU,HKLM,HKU,HKCC,HKCR (default: all)\n"
      "  -q, --qmx FILE     run the criteria of a saved search (.QMX): its rows, roots,\n"
      "                     \"all\" settings, case setting and maximum; criteria, --roots,\n"
      "                     --case and --max given as well add to or override them\n"
      "  MATCH: contains, equals, not-contains, not-equals, regex, not-regex; for --data\n"
      "  also type.\n"
      "  DATATYPE: text, number, binary, or REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY,\n"
      "  REG_DWORD, REG_DWORD_BIG_ENDIAN, REG_LINK, REG_MULTI_SZ, REG_RESOURCE_LIST,\n"
      "  REG_FULL_RESOURCE_DESCRIPTOR, REG_RESOURCE_REQUIREMENTS_LIST.\n"
      "  contains/not-contains fold the letters a-z; equals/not-equals ignore case by the\n"
      "  user's locale, and for data also match a 4-byte value by number. regex/not-regex\n"
      "  take a regular expression that matches (or does not match) anywhere in the name\n"
      "  (without regard to case) or the data's text (as --case says); a multi-string is\n"
      "  one text with its strings separated by \\x00. Key criteria with\n"
      "  no value or data criteria report each matching key once; otherwise each matching\n"
      "  value is a hit.\n"
      "\n"
      "Examples:\n"
      "  corvane-find --key equals Run --roots HKCU,HKLM\n"
      "  corvane-find --value contains path --data type text --data contains system32 --data-all\n"
      "\n"
      "The last line is the summary: \"Found N items\", \"Found N items (the maximum)\" or\n"
      "\"Found N items before being stopped\"; when a regular expression gave texts up at\n"
      "its limits (catastrophic backtracking, very long data), it adds \"N values were too\n"
      "costly to match and were skipped\". UTF-8 cannot hold a lone UTF-16 surrogate;\n"
      "--json and --csv write U+FFFD for one and say on stderr how many they replaced.\n"
      "\n"
      "Exit codes:\n"
      "  0  the search ended and found at least one item\n"
      "  1  the search ended and found nothing\n"
      "  2  bad command line (a regular expression that does not compile included)\n"
      "  3  the export, hive or saved-search file could not be read or is malformed\n"
      "  4  stopped by Ctrl+C (the items found so far were printed)\n"
      "  5  an unexpected failure (out of memory, output refused); a message says which\n";
}

TText HitLines(const TResult& vHit, bool vShowVal, bool vShowDat) {
  TText t = u"Key: " + MarkEmphasis(vHit.fKeyStr, vHit.fKeyStart, vHit.fKeyLen, u"[", u"]") + u"\n";
  if (vShowVal || vShowDat) {
    t += u"Val: ";
    t += vHit.fValStr.empty()
             ? TText(u"(default)")
             : MarkEmphasis(vHit.fValStr, vHit.fValStart, vHit.fValLen, u"[", u"]");
    t += u"\n";
  }
  if (vShowDat)
    t += u"Dat: " + MarkEmphasis(vHit.fDatStr, vHit.fDatStart, vHit.fDatLen, u"[", u"]") + u"\n";
  return t;
}

bool ApplySavedSearch(const TText& vPath, TFindOptions& vOpts, std::string& vError) {
  TSearchCriteria saved;
  TQmxFiles& files = PlatformQmxFiles();
  if (!files.FileExists(vPath)) {
    vError = ToUtf8(files.FullPath(vPath)) + ": no such saved search";
    return false;
  }
  try {
    LoadQmxFile(vPath, saved, files);
  } catch (const TQmxError& e) {
    vError = ToUtf8(e.Message());
    return false;
  }
  std::vector<TFindCrit> rows;
  struct TBox {
    TCritKind fKind;
    const std::vector<TCritRow>* fRows;
    const char* fName;
  };
  for (const TBox& box : {TBox{ckKey, &saved.fKeyRows, "key-name"},
                          TBox{ckValue, &saved.fValRows, "value-name"},
                          TBox{ckData, &saved.fDatRows, "value-data"}}) {
    for (std::size_t i = 0; i < box.fRows->size(); ++i) {
      const TCritRow& r = (*box.fRows)[i];
      const bool typeRow = box.fKind == ckData && r.fMatchType == mtDataType;
      if (!CritRowValid(box.fKind, r.fMatchType, r.fText) ||
          (typeRow && (r.fDataType < 0 || r.fDataType >= std::int32_t(kDataTypeTexts.size())))) {
        const TText why = CritRowError(r.fMatchType, r.fText);
        vError = ToUtf8(files.FullPath(vPath)) + ": " + box.fName + " row " + std::to_string(i + 1) +
                 (why.empty() ? " is not complete, so the search cannot run"
                              : ": the pattern '" + ToUtf8(r.fText) + "' does not compile: " +
                                    ToUtf8(why));
        return false;
      }
      rows.push_back(TFindCrit{box.fKind, r.fMatchType, typeRow ? TText() : r.fText, r.fDataType});
    }
  }
  if (rows.empty() && vOpts.fCrits.empty()) {
    vError = ToUtf8(files.FullPath(vPath)) + ": the saved search holds no criteria";
    return false;
  }
  rows.insert(rows.end(), vOpts.fCrits.begin(), vOpts.fCrits.end());
  vOpts.fCrits = std::move(rows);
  vOpts.fKeyAll = vOpts.fKeyAll || saved.fKeyAll;
  vOpts.fValAll = vOpts.fValAll || saved.fValAll;
  vOpts.fDatAll = vOpts.fDatAll || saved.fDatAll;
  vOpts.fDatCase = vOpts.fDatCase || saved.fDatCase;
  if (!vOpts.fHaveRoots) vOpts.fRoots = saved.fRoots;
  static constexpr std::int32_t kMaxima[] = {10, 100, 1000, 10000};
  if (!vOpts.fHaveMax && saved.fMaxRsltIdx >= 0 && saved.fMaxRsltIdx < 4)
    vOpts.fMaxRslt = kMaxima[saved.fMaxRsltIdx];
  return true;
}

namespace {

int RunFindUnguarded(const std::vector<TText>& vArgs, TFindIo& vIo) {
  TFindOptions opts;
  std::string error;
  if (!ParseArgs(vArgs, opts, error)) {
    vIo.fErr("corvane-find: " + error + "\nTry 'corvane-find --help'.\n");
    return kExitUsage;
  }
  if (opts.fHelp) {
    vIo.fOut(HelpText());
    return kExitFound;
  }
  if (!opts.fQmxFile.empty() && !ApplySavedSearch(opts.fQmxFile, opts, error)) {
    vIo.fErr("corvane-find: " + error + "\n");
    return kExitInput;
  }
  // "Within the last" counts back from now, once for every registry searched.
  std::optional<TTimeRange> range;
  try {
    range = TimeRangeOf(opts.fTimes, TimeNow());
  } catch (const std::invalid_argument& e) {
    vIo.fErr(std::string("corvane-find: ") + e.what() + "\n");
    return kExitUsage;
  }
  if (range && !opts.fRegFile.empty()) {
    vIo.fErr("corvane-find: " + ToUtf8(kExportHasNoTimes) + "\n");
    return kExitUsage;
  }

  std::vector<TFindSource> sources;
  if (!opts.fRegFile.empty()) {
    auto exported = std::make_shared<TMemRegistry>();
    try {
      LoadRegExportFile(*exported, opts.fRegFile);
    } catch (const std::exception& e) {
      vIo.fErr("corvane-find: " + ToUtf8(opts.fRegFile) + ": " + e.what() + "\n");
      return kExitInput;
    }
    TFindSource file;
    file.fPath = opts.fRegFile;
    file.fCursors = exported->Factory();
    file.fKeep = exported;
    sources.push_back(std::move(file));
  } else if (!opts.fHives.empty()) {
    for (const TText& path : opts.fHives) {
      TText failure;
      std::shared_ptr<THiveRegistry> hive = THiveRegistry::Open(path, failure);
      if (!hive) {
        vIo.fErr("corvane-find: " + ToUtf8(failure) + "\n");
        return kExitInput;
      }
      if (hive->Dirty()) vIo.fErr("corvane-find: " + ToUtf8(hive->DirtyNotice()) + "\n");
      TFindSource source;
      source.fPath = path;
      source.fSingleRoot = FileNameOf(path);
      source.fCursors = hive->Factory();
      source.fKeep = hive;
      sources.push_back(std::move(source));
    }
  } else if (vIo.fLiveRegistry) {
    TFindSource live;
    live.fCursors = vIo.fLiveRegistry;
    // The live registry shows some subtrees under two roots; the alias list makes the walk
    // search each of them once, under its alias root.
    if (!opts.fNoProbe && vIo.fBuildAliases) live.fAliases = vIo.fBuildAliases();
    sources.push_back(std::move(live));
  } else {
    vIo.fErr("corvane-find: there is no live registry here; search an export with --file or a "
             "hive with --hive\n");
    return kExitUsage;
  }

  std::size_t replaced = 0;  // lone surrogates written as U+FFFD
  std::mutex replacedLock;
  if (opts.fCsv) vIo.fOut(CsvHead(sources.size() > 1));
  bool showVal = true, showDat = true;
  if (opts.fCriteria) {
    showVal = showDat = false;
    for (const TFindCrit& c : opts.fCrits) {
      showVal = showVal || c.fKind == ckValue;
      showDat = showDat || c.fKind == ckData;
    }
  }
  TRunSources run;
  run.fOut = vIo.fOut;
  run.fStopRequest = vIo.fStopRequest;
  run.fJobs = opts.fJobs > 0 ? opts.fJobs : std::max(1u, std::thread::hardware_concurrency());
  const bool named = sources.size() > 1;  // each hit says which file it comes from
  run.fWriteHead = [&](std::size_t vSource, std::string& vOut) {
    if (named && !opts.fCsv && !opts.fJson) vOut += "Hive: " + ToUtf8(sources[vSource].fPath) + "\n";
  };
  run.fWriteHit = [&](std::size_t vSource, const TResult& vHit, std::string& vOut) {
    const TText* source = named ? &sources[vSource].fPath : nullptr;
    std::size_t bad = 0;
    if (opts.fCsv)
      vOut += CsvRow(vHit, &bad, source);
    else if (opts.fJson)
      vOut += HitJson(vHit, &bad, source);
    else
      vOut += ToUtf8(HitLines(vHit, showVal, showDat)) + "\n";
    if (bad > 0) {
      const std::lock_guard<std::mutex> guard(replacedLock);
      replaced += bad;
    }
  };
  if (opts.fProgress)
    run.fProgress = [&](std::int32_t total, std::int32_t hits) {
      vIo.fErr(ToUtf8(ProgressText(total, hits)) + "\n");
    };
  run.fMake = [&](const TSearchHost& vHost, TFoundProc vFound, TProgProc vProgress) {
    std::unique_ptr<TSearchThread> thread;
    if (!opts.fCriteria) {
      thread = std::make_unique<TSearchThread>(opts.fText, opts.fDatCase, opts.fMaxRslt,
                                               std::move(vFound), std::move(vProgress), vHost);
      if (opts.fRegex) thread->MatchAsRegex();
      thread->LimitTimes(range);
      return thread;
    }
    TComplexCriteria crit;
    for (const TFindCrit& c : opts.fCrits) {
      if (c.fKind == ckKey) crit.fKeyCrit.push_back(EncodeNameCrit(c.fText, c.fMatch));
      if (c.fKind == ckValue) crit.fValCrit.push_back(EncodeNameCrit(c.fText, c.fMatch));
      if (c.fKind == ckData) crit.fDatCrit.push_back(EncodeDatCrit(c.fText, c.fMatch, c.fDataType));
    }
    crit.fKeyAll = opts.fKeyAll;
    crit.fValAll = opts.fValAll;
    crit.fDatAll = opts.fDatAll;
    crit.fDatCase = opts.fDatCase;
    crit.fRoots = opts.fRoots;
    thread = std::make_unique<TSearchThread>(std::move(crit), opts.fMaxRslt, std::move(vFound),
                                             std::move(vProgress), vHost);
    thread->LimitTimes(range);
    return thread;
  };
  const TSourceEnd end = CombinedEnd(RunSources(sources, run));
  const TStatus status = end.fStatus;
  const std::int32_t count = end.fCount;
  const std::int32_t tooCostly = end.fTooCostly;

  if (replaced > 0)
    vIo.fErr("corvane-find: " + std::to_string(replaced) +
             " lone UTF-16 surrogates could not be written as UTF-8 and were replaced by U+FFFD\n");
  // The CSV is for a spreadsheet: its summary goes beside it, not into it.
  (opts.fCsv ? vIo.fErr : vIo.fOut)(ToUtf8(EndText(status, count, tooCostly)) + "\n");
  if (status == stFinished || status == stOverflow) return count > 0 ? kExitFound : kExitNothing;
  return kExitStopped;
}

}  // namespace

int RunFind(const std::vector<TText>& vArgs, TFindIo& vIo) {
  // Whatever escapes the run ends it with a message and its own exit code, never an abort.
  std::string what;
  try {
    return RunFindUnguarded(vArgs, vIo);
  } catch (const std::bad_alloc&) {
    what = "out of memory";
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
    what = "unexpected error";
  }
  try {
    vIo.fErr("corvane-find: " + what + "\n");
  } catch (...) {
    // Not even the error stream takes the message: the exit code alone tells.
  }
  return kExitFailure;
}

}  // namespace corvane::find
