#include "shellext/RevisionRows.h"

#include <memory>
#include <new>

#include "core/UID.h"
#include "core/VersionedObject.h"

void revisionRows(const UID& file, std::vector<std::string>& headers,
                  std::vector<std::vector<std::string>>& rows) {
    headers.assign({"Ver.", "Name", "Notes", "Date"});
    rows.clear();
    const int count = VersionedObject::getNumRevs(file);
    if (count <= 0) {
        return;
    }
    std::unique_ptr<RevisionListElement[]> table(new (std::nothrow) RevisionListElement[count]);
    if (!table) {
        return;
    }
    // Revisions another program adds meanwhile do not overrun the table.
    int filled = 0;
    VersionedObject::getRevisions(file, table.get(), count, &filled);
    rows.resize(static_cast<size_t>(filled));
    for (int i = 0; i < filled; ++i) {
        auto& row = rows[static_cast<size_t>(i)];
        row.resize(5);
        for (size_t field = 0; field < 5; ++field) {
            row[field] = table[i][field];
        }
    }
}
