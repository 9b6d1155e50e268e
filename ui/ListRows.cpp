#include "ui/ListRows.h"

#include <climits>
#include <cstdio>
#include <ctime>
#include <type_traits>

static_assert(sizeof(std::time_t) == sizeof(long long) && std::is_signed_v<std::time_t>,
              "times are 64-bit signed seconds");

const std::string& cellOf(const Row& row, int column) {
    static const std::string empty;
    if (column < 0 || static_cast<size_t>(column) >= row.size()) {
        return empty;
    }
    return row[static_cast<size_t>(column)];
}

long long parseCellNumber(const std::string& text) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate toward the sign's side so that LLONG_MIN itself fits.
    long long value = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (negative) {
            if (value < (LLONG_MIN + digit) / 10) {
                return LLONG_MIN;
            }
            value = value * 10 - digit;
        } else {
            if (value > (LLONG_MAX - digit) / 10) {
                return LLONG_MAX;
            }
            value = value * 10 + digit;
        }
    }
    return value;
}

std::string formatCtimeText(long long seconds) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (!localtime_r(&time, &local) || local.tm_wday < 0 || local.tm_wday > 6 || local.tm_mon < 0 ||
        local.tm_mon > 11) {
        return {};
    }
    // The layout of ctime(): "Www Mmm dd hh:mm:ss yyyy", day padded with a
    // blank; English names whatever the locale.
    char text[64];
    const int length =
        std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %lld", kDays[local.tm_wday],
                      kMonths[local.tm_mon], local.tm_mday, local.tm_hour, local.tm_min,
                      local.tm_sec, static_cast<long long>(local.tm_year) + 1900);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof text) {
        return {};
    }
    return std::string(text, static_cast<size_t>(length));
}

std::string cellDisplayText(const Row& row, int column) {
    if (column == kDateColumn) {
        return formatCtimeText(parseCellNumber(cellOf(row, kDateColumn)));
    }
    return cellOf(row, column);
}

int rowImage(const Row& row, int columnCount) {
    if (columnCount < 0 || static_cast<size_t>(columnCount) >= row.size()) {
        return kFolderImage;
    }
    return row[static_cast<size_t>(columnCount)] == "Folder" ? kFolderImage : kFileImage;
}
