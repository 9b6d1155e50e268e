#include "core/Schema.h"

#include <string>

#include "core/DatabaseInstance.h"
#include "core/ResultSet.h"
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
        // One path, one versioned file: the unique index makes the data
        // source refuse a second row for a path. Where rows already record
        // a path twice it cannot be made (the check tool reports them), and
        // the plain index at least speeds up look-ups. An older plain index
        // goes once the unique one serves.
        if (db->executeUpdate(Statements::createUniqueFilePathIndex())) {
            db->executeUpdate(Statements::dropFilePathIndex());
        } else if (db->executeQuery(Statements::selectPathsRecordedTwice())->next()) {
            db->executeUpdate(Statements::createFilePathIndex());
        }
        // Otherwise the unique index is there already.
        db->executeUpdate(Statements::createMasterUidIndex());
    } catch (const std::exception&) {
    }
}
