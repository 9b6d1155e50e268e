#include "core/Schema.h"

#include <string>

#include "core/DatabaseInstance.h"
#include "core/Statements.h"

namespace {

struct TableStatements {
    std::string (*create)();
    std::string (*drop)();
};

const TableStatements kTables[] = {
    {Statements::createMasterTable, Statements::dropMasterTable},
    {Statements::createRevisionTable, Statements::dropRevisionTable},
    {Statements::createFileTable, Statements::dropFileTable},
};

}  // namespace

bool Schema::createTables(bool overwrite) {
    try {
        DatabaseInstance* db = DatabaseInstance::instance();
        if (db == nullptr) {
            return false;
        }
        for (const TableStatements& table : kTables) {
            if (db->executeUpdate(table.create())) {
                continue;
            }
            if (!overwrite) {
                return false;
            }
            db->executeUpdate(table.drop());
            db->executeUpdate(table.create());
        }
        createIndexes();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void Schema::createIndexes() {
    try {
        DatabaseInstance* db = DatabaseInstance::instance();
        if (db == nullptr) {
            return;
        }
        // The indexes only speed up look-ups: a failure changes nothing else.
        db->executeUpdate(Statements::createFilePathIndex());
        db->executeUpdate(Statements::createMasterUidIndex());
    } catch (const std::exception&) {
    }
}
