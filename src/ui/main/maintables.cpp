#include "ui/main/maintables.h"

#include "ui/ids.h"

namespace corvane {
namespace {

const TActionRow kActions[] = {
    {ids::acSave, u"&Save search", u"Ctrl+S", FCONTROL, 'S', 5,
     u"Save search|Save the current search criteria"},
    {ids::acLoad, u"&Load search", u"Ctrl+L", FCONTROL, 'L', 6,
     u"Load search|Load a saved set of search criteria"},
    {ids::acNew, u"&New search", u"Ctrl+N", FCONTROL, 'N', 4,
     u"New search|Clear all fields for a new search"},
    {ids::acRegedit, u"Launch &REGEDIT", u"Ctrl+R", FCONTROL, 'R', 7,
     u"Launch REGEDIT|Launch REGEDIT, highlighting the key and value from results"},
    {ids::acBack, u"&Back", u"Alt+Left", FALT, VK_LEFT, 3, u"Back|Back to previous page"},
    {ids::acForward, u"&Forward", u"Alt+Right", FALT, VK_RIGHT, 2, u"Forward|Forward to next page"},
    {ids::acStop, u"S&top", u"Esc", 0, VK_ESCAPE, 1,
     u"Stop searching|Halt the search, retaining current results"},
    {ids::acSearch, u"&Search", u"Enter", 0, VK_RETURN, 0,
     u"Begin search|Search for Registry data matching your criteria"},
    {ids::acKDetail, u"&Detail", u"", 0, 0, -1, u"Detail|View detail for highlighted result"},
    {ids::acCritAdd, u"", u"Ctrl+Ins", FCONTROL, VK_INSERT, -1, u""},
    {ids::acCritDel, u"", u"Ctrl+Del", FCONTROL, VK_DELETE, -1, u""},
    {ids::acExport, u"&Export results...", u"Ctrl+E", FCONTROL, 'E', 9,
     u"Export results|Save every result to a CSV, JSON Lines or registry export file"},
    {ids::acSearchFile, u"Search export &file...", u"", 0, 0, -1,
     u"Search export file|Search a registry export (.reg) file instead of the Registry"},
    {ids::acSearchHive, u"Search &hive file...", u"", 0, 0, -1,
     u"Search hive file|Search a registry hive file (from another machine or a disk image) "
     u"instead of the Registry"},
    {ids::acSearchRegistry, u"Search the Re&gistry", u"", 0, 0, -1,
     u"Search the Registry|Search the Registry again instead of the file"},
    // Ctrl+C is the lists' own key (copy the key path), not a shortcut of the whole window:
    // the text boxes keep theirs.
    {ids::acCopyKey, u"Copy &key path", u"Ctrl+C", 0, 0, -1,
     u"Copy key path|Copy the full path of the key to the clipboard"},
    {ids::acCopyValue, u"Copy &value name", u"", 0, 0, -1,
     u"Copy value name|Copy the name of the value to the clipboard"},
    {ids::acCopyData, u"Copy d&ata", u"", 0, 0, -1,
     u"Copy data|Copy the data of the value, read afresh, to the clipboard as text"},
};

const int kFileMenu[] = {ids::acNew,        ids::acLoad,           ids::acSave, 0,
                         ids::acExport,     ids::acSearchFile,     ids::acSearchHive,
                         ids::acSearchRegistry, 0,                 ids::mnuExit};
const int kActionMenu[] = {ids::acRegedit, ids::acBack,   ids::acForward,
                           0,              ids::acStop,   ids::acSearch};
const int kHelpMenu[] = {ids::mnuAbout};
const TMenuTable kMenuBar[] = {{L"&File", kFileMenu},
                               {L"&Action", kActionMenu},
                               {L"&Options", {}, true},
                               {L"&Help", kHelpMenu}};
const int kResultsMenu[] = {ids::acKDetail, ids::acRegedit, 0,
                            ids::acCopyKey, ids::acCopyValue, ids::acCopyData};
const int kToolBar[] = {ids::acNew,     ids::acLoad, ids::acSave,    ids::acExport, 0,
                        ids::acRegedit, ids::acBack, ids::acForward, ids::acStop};

struct TMenuItemText {
  int fId;
  const wchar_t* fCaption;
  const char16_t* fHint;
};
const TMenuItemText kMenuItems[] = {
    {ids::mnuExit, L"E&xit", u"Exit|Exit the program"},
    {ids::mnuAbout, L"&About Corvane", u"About Brackwater|View copyright and version information"},
};

}  // namespace

std::span<const TActionRow> ActionRows() {
  return kActions;
}
std::span<const TMenuTable> MenuBarTables() {
  return kMenuBar;
}
std::span<const int> ResultsMenuItems() {
  return kResultsMenu;
}
std::span<const int> ToolBarItems() {
  return kToolBar;
}

const wchar_t* MenuItemCaption(int vId) {
  for (const TMenuItemText& m : kMenuItems)
    if (m.fId == vId) return m.fCaption;
  return nullptr;
}

const char16_t* MenuItemHint(int vId) {
  for (const TMenuItemText& m : kMenuItems)
    if (m.fId == vId) return m.fHint;
  return nullptr;
}

}  // namespace corvane
