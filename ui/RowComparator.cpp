#include "ui/RowComparator.h"

#include <cstring>

namespace {

// Byte-wise comparison as unsigned characters, a prefix first.
int compareTexts(const std::string& a, const std::string& b) {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    const int result = common ? std::memcmp(a.data(), b.data(), common) : 0;
    if (result != 0) {
        return result;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace

const RowComparator RowComparator::kTable[8] = {
    {0, false}, {1, false}, {2, false}, {3, false}, {0, true}, {1, true}, {2, true}, {3, true},
};

RowComparator RowComparator::forColumn(int column, bool ascending) {
    if (column >= 0 && column <= kDateColumn) {
        return kTable[column + 4 * (ascending ? 1 : 0)];
    }
    return RowComparator{column, ascending};
}

bool RowComparator::operator()(const Row& a, const Row& b) const {
    int order;
    if (column >= kDateColumn) {
        const long long x = parseCellNumber(cellOf(a, kDateColumn));
        const long long y = parseCellNumber(cellOf(b, kDateColumn));
        order = x < y ? -1 : (x > y ? 1 : 0);
    } else {
        order = compareTexts(cellOf(a, column), cellOf(b, column));
    }
    return ascending ? order < 0 : order > 0;
}
