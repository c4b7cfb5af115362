// The results page's rules that do not need the window: the paging steps of the hit list,
// what a hit arriving during a search does to the shown page, and the page's texts.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace corvane {

// The results page's state that the paging steps change.
struct TPageState {
  std::int32_t fPageBeg = 0;
  std::int32_t fRows = 0;  // placeholder rows in lbResults
  bool fPrevEnabled = false;
  bool fNextEnabled = false;
  bool operator==(const TPageState&) const = default;
};

// Next page with vHits hits shown vPerPage at a time.
TPageState NextPage(TPageState vState, std::int32_t vPerPage, std::int32_t vHits);
// Previous page; PageBeg never goes below 0 (PerPage may have grown since the page was
// reached).
TPageState PrevPage(TPageState vState, std::int32_t vPerPage);

// What the list does when hit vIndex (0-based) arrives during a search.
struct THitStep {
  bool fEnableNext = false;
  bool fShown = false;     // the hit lies on the shown page
  std::int32_t fRow = -1;  // its row when shown
  std::int32_t fRows = 0;  // rows the list has afterwards
};
THitStep AddHit(std::int32_t vIndex, std::int32_t vPageBeg, std::int32_t vPerPage,
                std::int32_t vRows);

// "&< Previous %d", "Next %d &>" and a row's number "%d. ".
TText PrevCaption(std::int32_t vPerPage);
TText NextCaption(std::int32_t vPerPage);
TText RowNumberText(std::int32_t vNumber);

}  // namespace corvane
