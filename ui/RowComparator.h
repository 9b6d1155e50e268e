#pragma once

#include "ui/ListRows.h"

// Orders two rows by one column, as a strict weak ordering for std::sort.
// Columns below kDateColumn compare their texts byte by byte as unsigned
// characters, a prefix first ("10" before "9", "Z" before "a"); the date
// column and any column after it compare the numbers parsed from the date
// cell ("99" before "100"). Missing cells count as empty texts.
struct RowComparator {
    int column;
    bool ascending;

    bool operator()(const Row& a, const Row& b) const;

    // The eight predicates of the list views: entries 0 to 3 are columns 0
    // to 3 descending, entries 4 to 7 columns 0 to 3 ascending.
    static const RowComparator kTable[8];

    // The predicate for a view sorted by `column`: kTable[column + 4 *
    // ascending] for columns 0 to 3, a predicate of its own beyond.
    static RowComparator forColumn(int column, bool ascending);
};
