#pragma once

#include "core/ZebcoreExport.h"

// Creates the repository tables MASTERZEB, REVTABLE and FILETABLE, in that
// order, on the process's DatabaseInstance.
class ZEBCORE_API Schema {
public:
    // Without overwrite: stops at the first CREATE TABLE that fails and
    // returns false. With overwrite: a table whose CREATE fails is dropped
    // and created again, results ignored, and the result is true. Then the
    // indexes are created; a failure there is ignored.
    static bool createTables(bool overwrite);
    // FilePath UNIQUE where the rows allow it (else a plain index), and
    // REVTABLE.MASTERUID. Safe to run again on existing tables.
    static void createIndexes();
};
