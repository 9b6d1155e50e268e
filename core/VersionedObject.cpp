#include "core/VersionedObject.h"

#include <ctime>
#include <memory>
#include <string>

#include "core/ItemSupport.h"
#include "core/ResultSet.h"
#include "core/RevisionObject.h"
#include "core/Statements.h"
#include "core/UID.h"
#include "core/WriterLock.h"

using zeb::core::copyText;
using zeb::core::kFieldSize;

VersionedObject::VersionedObject(const char* name, const char* notes) {
    copyText(m_name, kFieldSize, name);
    copyText(m_notes, kFieldSize, notes);
    UID().toString(m_uid, kFieldSize);
}

VersionedObject::VersionedObject(const UID& uid) {
    m_name[0] = '\0';
    m_notes[0] = '\0';
    uid.toString(m_uid, kFieldSize);
    read();
}

VersionedObject::~VersionedObject() = default;

void VersionedObject::getUID(char* out, int size) const {
    copyText(out, size, m_uid);
}

void VersionedObject::getName(char* out, int size) {
    copyText(out, size, m_name);
}

void VersionedObject::getNotes(char* out, int size) {
    copyText(out, size, m_notes);
}

void VersionedObject::setName(const char* name) {
    copyText(m_name, kFieldSize, name);
}

void VersionedObject::setNotes(const char* notes) {
    copyText(m_notes, kFieldSize, notes);
}

bool VersionedObject::read(const UID& uid) {
    // Nothing of the previous object survives a read of another one.
    m_name[0] = '\0';
    m_notes[0] = '\0';
    uid.toString(m_uid, kFieldSize);
    return read();
}

bool VersionedObject::read() {
    if (m_uid[0] == '\0') {
        return false;
    }
    ResultSet* rs = zeb::core::runQuery(Statements::selectObject(m_uid));
    if (!rs->next()) {
        return false;
    }
    const bool gotName = zeb::core::readText(rs, "VerName", m_name);
    const bool gotNotes = zeb::core::readText(rs, "VerNotes", m_notes);
    return gotName && gotNotes;
}

bool VersionedObject::isVersionSaved() {
    return zeb::core::hasRow(Statements::selectObject(m_uid));
}

bool VersionedObject::save() {
    WriterLock lock;
    if (!lock.held()) {
        return false;
    }
    if (isVersionSaved()) {
        return zeb::core::runUpdate(Statements::updateObject(m_uid, m_name, m_notes));
    }
    return insertObject();
}

bool VersionedObject::insertObject() {
    // The initial revision is written first, then the object's row.
    std::unique_ptr<RevisionObject> revision(createInitialRevision());
    if (!revision || !revision->save()) {
        return false;
    }
    const std::string now = Statements::timeText(static_cast<long long>(std::time(nullptr)));
    if (zeb::core::runUpdate(Statements::insertObject(m_uid, m_name, m_notes, now))) {
        return true;
    }
    // Without its object row the revision would be an orphan that nothing
    // lists: take it back.
    revision->destroy();
    return false;
}

bool VersionedObject::destroy() {
    WriterLock lock;
    if (!lock.held() || !isVersionSaved()) {
        return false;
    }
    // An object whose revisions are all gone has none to delete; that is
    // not a failure.
    if (!zeb::core::runDelete(Statements::deleteRevisionsOfObject(m_uid))) {
        return false;
    }
    return zeb::core::runUpdate(Statements::deleteObject(m_uid));
}

RevisionObject* VersionedObject::createInitialRevision() {
    return new RevisionObject(m_name, m_notes, this);
}

int VersionedObject::getNumRevs(const UID& uid) {
    char text[kFieldSize];
    uid.toString(text, kFieldSize);
    ResultSet* rs = zeb::core::runQuery(Statements::selectRevisionsOfObject(text));
    int count = 0;
    while (rs->next()) {
        ++count;
    }
    return count;
}

bool VersionedObject::getRevisions(const UID& uid, RevisionListElement* revisions) {
    int count = 0;
    return getRevisions(uid, revisions, -1, &count);
}

bool VersionedObject::getRevisions(const UID& uid, RevisionListElement* revisions, int capacity,
                                   int* count) {
    int filled = 0;
    if (revisions != nullptr) {
        char text[kFieldSize];
        uid.toString(text, kFieldSize);
        ResultSet* rs = zeb::core::runQuery(Statements::selectRevisionsOfObject(text));
        while ((capacity < 0 || filled < capacity) && rs->next()) {
            RevisionListElement& element = revisions[filled];
            int version = -1;
            if (!rs->getInt("REVVER", &version)) {
                version = -1;
            }
            copyText(element[0], kFieldSize, std::to_string(version));
            for (int i = 1; i < 5; ++i) {
                element[i][0] = '\0';
            }
            zeb::core::readText(rs, "REVNAME", element[1]);
            zeb::core::readText(rs, "REVNOTES", element[2]);
            zeb::core::readText(rs, "REVTIME", element[3]);
            zeb::core::readText(rs, "UID", element[4]);
            ++filled;
        }
    }
    if (count != nullptr) {
        *count = filled;
    }
    return true;
}

bool VersionedObject::purgeZEB() {
    WriterLock lock;
    return lock.held() && zeb::core::runDelete(Statements::deleteAllRevisions()) &&
           zeb::core::runDelete(Statements::deleteAllObjects());
}
