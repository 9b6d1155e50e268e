#include "core/ResultSet.h"

#include <sql.h>
#include <sqlext.h>

#include <cstring>

#include "core/Utf8.h"

static_assert(sizeof(long) == sizeof(SQLLEN), "indicator slots must be SQLLEN");

namespace {

// Characters of a varchar column whose driver reports no usable size (0,
// negative or absurd); the driver cuts longer values.
constexpr SQLULEN kFallbackChars = 8000;
// Sizes above this are not taken at face value.
constexpr SQLULEN kMaxChars = 65535;
// Bytes one character takes at most in UTF-8.
constexpr size_t kBytesPerChar = 4;

constexpr SQLSMALLINT kNameBufferSize = 64;

char foldChar(char c, int identifierCase) {
    if (identifierCase == SQL_IC_LOWER && c >= 'A' && c <= 'Z') {
        return static_cast<char>(c - 'A' + 'a');
    }
    if (identifierCase == SQL_IC_UPPER && c >= 'a' && c <= 'z') {
        return static_cast<char>(c - 'a' + 'A');
    }
    return c;
}

}  // namespace

ResultSet::ResultSet() = default;

ResultSet::ResultSet(void* stmt, int identifierCase)
    : m_stmt(stmt), m_identifierCase(identifierCase) {
    if (m_stmt == nullptr) {
        return;
    }
    SQLSMALLINT count = 0;
    SQLNumResultCols(m_stmt, &count);
    if (count <= 0) {
        SQLFreeStmt(m_stmt, SQL_CLOSE);
        m_stmt = nullptr;
        return;
    }

    m_names.reserve(count);
    m_types.reserve(count);
    m_sizes.reserve(count);
    m_values.reserve(count);
    for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(count); ++column) {
        SQLCHAR name[kNameBufferSize] = {0};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLRETURN rc = SQLDescribeCol(m_stmt, column, name, kNameBufferSize, &nameLength, &type,
                                      &size, &digits, &nullable);
        if (!SQL_SUCCEEDED(rc)) {
            name[0] = '\0';
            type = 0;
            size = 0;
        }
        name[kNameBufferSize - 1] = '\0';
        if (type == SQL_VARCHAR && (size == 0 || size > kMaxChars)) {
            size = kFallbackChars;
        }
        m_names.emplace_back(reinterpret_cast<const char*>(name));
        m_types.push_back(type);
        m_sizes.push_back(static_cast<uint32_t>(size));
        if (type == SQL_VARCHAR) {
            m_values.emplace_back(size * kBytesPerChar + 1, '\0');
        } else {
            m_values.emplace_back();
        }
    }
    m_intValues.assign(count, -1);
    m_indicators.assign(count, 0);

    // Every list has its final size now, so the bound addresses stay put.
    for (SQLUSMALLINT i = 0; i < static_cast<SQLUSMALLINT>(count); ++i) {
        SQLLEN* indicator = reinterpret_cast<SQLLEN*>(&m_indicators[i]);
        if (m_types[i] == SQL_VARCHAR) {
            SQLBindCol(m_stmt, i + 1, SQL_C_CHAR, m_values[i].data(),
                       static_cast<SQLLEN>(m_values[i].size()), indicator);
        } else if (m_types[i] == SQL_INTEGER) {
            SQLBindCol(m_stmt, i + 1, SQL_C_SLONG, &m_intValues[i], 0, indicator);
        }
    }
}

ResultSet::~ResultSet() = default;

bool ResultSet::next() {
    if (m_stmt == nullptr) {
        return false;
    }
    SQLRETURN rc = SQLFetch(m_stmt);
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

int ResultSet::findColumn(const unsigned char* name, short type) const {
    if (name == nullptr) {
        return -1;
    }
    std::string wanted(reinterpret_cast<const char*>(name));
    for (char& c : wanted) {
        c = foldChar(c, m_identifierCase);
    }
    for (size_t i = 0; i < m_names.size(); ++i) {
        if (m_types[i] == type && m_names[i] == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool ResultSet::getInt(const unsigned char* name, int* value) {
    int column = findColumn(name, SQL_INTEGER);
    if (column < 0 || value == nullptr) {
        return false;
    }
    *value = m_indicators[column] == SQL_NULL_DATA ? -1 : m_intValues[column];
    return true;
}

bool ResultSet::getString(const unsigned char* name, unsigned char* out, int size) {
    int column = findColumn(name, SQL_VARCHAR);
    if (column < 0 || out == nullptr || size <= 0) {
        return false;
    }
    const std::vector<char>& buffer = m_values[column];
    size_t length = 0;
    if (m_indicators[column] != SQL_NULL_DATA) {
        length = strnlen(buffer.data(), buffer.size());
    }
    size_t limit = static_cast<size_t>(size) / 2;
    size_t n = zeb::utf8::prefixBytes(buffer.data(), length, limit);
    std::memcpy(out, buffer.data(), n);
    std::memset(out + n, 0, limit - n);
    out[limit] = '\0';
    return true;
}
