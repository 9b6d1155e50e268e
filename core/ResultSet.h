#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ZebcoreExport.h"

// Forward-only cursor over one executed statement. varchar columns are read
// as text and int columns as 32-bit integers, by column name; other column
// types are described but cannot be read. Owned by DatabaseInstance.
class ZEBCORE_API ResultSet {
public:
    // Binds the columns of an executed statement (an SQLHSTMT). A statement
    // without result columns gives an empty result set. `identifierCase` is
    // the data source's SQL_IDENTIFIER_CASE: when it folds unquoted names,
    // requested names are folded the same way before they are compared.
    explicit ResultSet(void* stmt, int identifierCase = 0);
    // An empty result set: no statement, no columns.
    ResultSet();
    ~ResultSet();
    ResultSet(const ResultSet&) = delete;
    ResultSet& operator=(const ResultSet&) = delete;

    // Fetches the next row; false at the end, on error or without statement.
    bool next();
    // The current row's value of the int column `name`; false (and `*value`
    // untouched) when no int column has that name. NULL reads as -1.
    bool getInt(const unsigned char* name, int* value);
    // Copies at most size / 2 bytes of the varchar column `name` into `out`,
    // never splitting a UTF-8 sequence, and fills the rest of those size / 2
    // bytes with zeros; false (and `out` untouched) when no varchar column
    // has that name. NULL reads as empty text.
    bool getString(const unsigned char* name, unsigned char* out, int size);

    bool getInt(const char* name, int* value) {
        return getInt(reinterpret_cast<const unsigned char*>(name), value);
    }
    bool getString(const char* name, char* out, int size) {
        return getString(reinterpret_cast<const unsigned char*>(name),
                         reinterpret_cast<unsigned char*>(out), size);
    }

    int columnCount() const { return static_cast<int>(m_names.size()); }

private:
    int findColumn(const unsigned char* name, short type) const;

    void* m_stmt = nullptr;
    int m_identifierCase = 0;
    std::vector<std::string> m_names;
    std::vector<short> m_types;
    std::vector<uint32_t> m_sizes;
    std::vector<std::vector<char>> m_values;  // bound buffers of varchar columns
    std::vector<int32_t> m_intValues;         // bound slots of int columns
    std::vector<long> m_indicators;           // SQLLEN length/indicator slots
};
