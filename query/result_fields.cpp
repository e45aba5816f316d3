#include "query/result_fields.h"

#include <algorithm>

namespace {

constexpr bool RowsFollowTheFields() {
  for (std::size_t i = 0; i < kResultFields.size(); ++i) {
    if (static_cast<std::size_t>(kResultFields[i].field) != i) return false;
  }
  return true;
}

// Each place taken by exactly one row.
constexpr bool IsOrder(std::size_t ResultField::*place) {
  std::array<int, kResultFields.size()> taken{};
  for (const ResultField& row : kResultFields) {
    if (row.*place >= taken.size() || taken[row.*place]++ != 0) return false;
  }
  return true;
}

static_assert(RowsFollowTheFields(), "ResultFieldOf finds a field's row by its number");
static_assert(IsOrder(&ResultField::exchangePlace), "the data exchange takes every field once");
static_assert(IsOrder(&ResultField::consoleColumn), "the console table shows every field once");

}  // namespace

QueryField FieldOf(StatusField decoded) {
  const auto* row = std::find_if(kResultFields.begin(), kResultFields.end(),
                                 [decoded](const ResultField& candidate) { return candidate.decoded == decoded; });
  return row != kResultFields.end() ? row->field : QueryField::Host;  // every part decoded has its field
}

CString& ResultText(ResultStrings& strings, QueryField field) { return strings.*ResultFieldOf(field).text; }

void EmptyResults(ResultStrings& strings) {
  for (const ResultField& row : kResultFields) (strings.*row.text).Empty();
}
