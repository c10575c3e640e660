#pragma once
// The order of a row set's rows sorted by one field, as a permutation of row
// indexes; the rows themselves stay where the row set keeps them.
//
// A null comes before every value. Numbers compare as numbers (2 before 10,
// decimals of any length exactly), a numeric field's text that is no number
// after all numbers; dates, times and timestamps as the moments they name
// (time zones and "BC" included), a text that is no date after all dates;
// text compares by the locale's collation; booleans and binary values by
// their text. Rows with equal values keep the row set's order, ascending and
// descending alike; descending is otherwise the exact reverse (nulls last).

#include <vector>

#include "provider.h"

std::vector<int> sortedRowOrder(const ado::RowSet &rows, int field, bool descending);
