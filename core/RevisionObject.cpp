#include "core/RevisionObject.h"

#include <climits>
#include <ctime>
#include <string>

#include "core/ItemSupport.h"
#include "core/ResultSet.h"
#include "core/Statements.h"
#include "core/UID.h"
#include "core/VersionedObject.h"
#include "core/WriterLock.h"

using zeb::core::copyText;
using zeb::core::kFieldSize;

RevisionObject::RevisionObject(const char* name, const char* notes, const VersionedObject* object)
    : m_object(object) {
    copyText(m_name, kFieldSize, name);
    copyText(m_notes, kFieldSize, notes);
    UID().toString(m_uid, kFieldSize);
}

RevisionObject::RevisionObject(const UID& uid, const VersionedObject* object) : m_object(object) {
    m_name[0] = '\0';
    m_notes[0] = '\0';
    uid.toString(m_uid, kFieldSize);
    read();
}

RevisionObject::RevisionObject(const UID& uid) {
    m_name[0] = '\0';
    m_notes[0] = '\0';
    uid.toString(m_uid, kFieldSize);
    read();
    // The owner's identifier is copied out before the owner reads its row.
    char masterUid[kFieldSize] = "";
    ResultSet* rs = zeb::core::runQuery(Statements::selectRevisionOwner(m_uid));
    if (rs->next() && zeb::core::readText(rs, "MASTERUID", masterUid)) {
        UID owner = UID::none();
        owner = masterUid;
        m_ownedObject = new VersionedObject(owner);
        m_object = m_ownedObject;
    }
}

RevisionObject::RevisionObject(const RevisionObject& other)
    : IZEB(other), m_version(other.m_version), m_object(other.m_object) {
    copyText(m_name, kFieldSize, other.m_name);
    copyText(m_notes, kFieldSize, other.m_notes);
    copyText(m_uid, kFieldSize, other.m_uid);
    if (other.m_ownedObject != nullptr) {
        m_ownedObject = new VersionedObject(*other.m_ownedObject);
        m_object = m_ownedObject;
    }
}

RevisionObject& RevisionObject::operator=(const RevisionObject& other) {
    if (this == &other) {
        return *this;
    }
    VersionedObject* owned = nullptr;
    if (other.m_ownedObject != nullptr) {
        owned = new VersionedObject(*other.m_ownedObject);
    }
    delete m_ownedObject;
    m_ownedObject = owned;
    m_object = owned != nullptr ? owned : other.m_object;
    copyText(m_name, kFieldSize, other.m_name);
    copyText(m_notes, kFieldSize, other.m_notes);
    copyText(m_uid, kFieldSize, other.m_uid);
    m_version = other.m_version;
    return *this;
}

RevisionObject::~RevisionObject() {
    delete m_ownedObject;
}

void RevisionObject::getUID(char* out, int size) const {
    copyText(out, size, m_uid);
}

void RevisionObject::getName(char* out, int size) {
    copyText(out, size, m_name);
}

void RevisionObject::getNotes(char* out, int size) {
    copyText(out, size, m_notes);
}

void RevisionObject::setName(const char* name) {
    copyText(m_name, kFieldSize, name);
}

void RevisionObject::setNotes(const char* notes) {
    copyText(m_notes, kFieldSize, notes);
}

bool RevisionObject::read(const UID& /*uid*/) {
    return true;
}

void RevisionObject::getVersion(char* out, int size) {
    copyText(out, size, std::to_string(m_version));
}

void RevisionObject::getMasterUID(char* out, int size) {
    if (m_object == nullptr) {
        copyText(out, size, "");
        return;
    }
    m_object->getUID(out, size);
}

bool RevisionObject::isVersionSaved() {
    return zeb::core::hasRow(Statements::selectRevision(m_uid));
}

bool RevisionObject::read() {
    if (m_uid[0] == '\0') {
        return false;
    }
    ResultSet* rs = zeb::core::runQuery(Statements::selectRevision(m_uid));
    if (!rs->next()) {
        return false;
    }
    const bool gotName = zeb::core::readText(rs, "REVNAME", m_name);
    const bool gotNotes = zeb::core::readText(rs, "REVNOTES", m_notes);
    const bool gotVersion = rs->getInt("REVVER", &m_version);
    return gotName && gotNotes && gotVersion;
}

int RevisionObject::getMaxVer() {
    char masterUid[kFieldSize];
    getMasterUID(masterUid, kFieldSize);
    bool ok = false;
    ResultSet* rs = zeb::core::runQuery(Statements::selectVersionsOfObject(masterUid), &ok);
    if (!ok) {
        return -1;
    }
    int highest = 0;
    while (rs->next()) {
        int version = 0;
        if (rs->getInt("REVVER", &version) && version > highest) {
            highest = version;
        }
    }
    return highest;
}

bool RevisionObject::save() {
    // Without an owner there is no object to number the revision in.
    if (m_object == nullptr) {
        return false;
    }
    // The number and the insert belong together: no other program may
    // number a version of the same object in between.
    WriterLock lock;
    if (!lock.held()) {
        return false;
    }
    if (isVersionSaved()) {
        // Version, owner and time never change after the insert.
        return zeb::core::runUpdate(Statements::updateRevision(m_uid, m_name, m_notes));
    }
    return insertRevision();
}

bool RevisionObject::insertRevision() {
    if (m_object == nullptr) {
        return false;
    }
    const std::string now = Statements::timeText(static_cast<long long>(std::time(nullptr)));
    const int highest = getMaxVer();
    if (highest < 0 || highest == INT_MAX) {
        return false;
    }
    m_version = highest + 1;
    char masterUid[kFieldSize];
    getMasterUID(masterUid, kFieldSize);
    return zeb::core::runUpdate(
        Statements::insertRevision(m_uid, m_name, m_notes, m_version, masterUid, now));
}

bool RevisionObject::destroy() {
    WriterLock lock;
    if (!lock.held() || m_object == nullptr || !isVersionSaved()) {
        return false;
    }
    return deleteRow() && destroyObjectIfLast();
}

bool RevisionObject::deleteRow() {
    return zeb::core::runUpdate(Statements::deleteRevision(m_uid));
}

bool RevisionObject::destroyObjectIfLast() {
    // The object goes with its last revision. Only a query that succeeded
    // and found nothing says that it was the last; a failed one leaves the
    // object, and the destroy is not complete.
    char masterUid[kFieldSize];
    getMasterUID(masterUid, kFieldSize);
    bool ok = false;
    const bool anyLeft =
        zeb::core::runQuery(Statements::selectAnyRevisionOfObject(masterUid), &ok)->next();
    if (!ok) {
        return false;
    }
    // The owner is held as const; destroying it changes the repository, not
    // the object in memory.
    return anyLeft || const_cast<VersionedObject*>(m_object)->destroy();
}
