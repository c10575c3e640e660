#pragma once
// Which rows of a row set a filter keeps: the rows whose value in one field
// (or in any field) contains, equals, is greater or less than a text.
//
// "Contains" and "equals" ignore letter case. A number field compares as
// numbers when the text is a number (so "equals 2" keeps 2.0 and "greater
// than 9" keeps 10), a date field as moments when the text is a date; other
// fields and texts that are no number or date compare as text by the
// locale's collation. A null matches nothing; an empty text keeps every row.

#include <QString>

#include <vector>

#include "provider.h"

struct TRowFilter {
    enum Operator { Contains, Equals, Greater, Less };
    int field = -1; // -1: any field
    Operator op = Contains;
    QString text;

    bool isActive() const { return !text.isEmpty(); }
    friend bool operator==(const TRowFilter &a, const TRowFilter &b)
    {
        return a.field == b.field && a.op == b.op && a.text == b.text;
    }
};

// One flag per row of `rows`: 1 where the filter keeps the row.
std::vector<char> filteredRows(const ado::RowSet &rows, const TRowFilter &filter);
