#pragma once

#include "core/IZEB.h"
#include "core/ZebcoreExport.h"

class UID;
class VersionedObject;

// One revision of a versioned object: a REVTABLE row with a name, notes and
// a version number. A revision is saved when its row exists. The first
// save() inserts the row with the next version number of its object; later
// saves update name and notes only. Deleting the last revision of an object
// deletes the object.
class ZEBCORE_API RevisionObject : public IZEB {
public:
    // A new revision of `object` (not owned) with a new identifier; nothing is
    // read or written.
    RevisionObject(const char* name, const char* notes, const VersionedObject* object);
    // The revision of that identifier, belonging to `object` (not owned).
    RevisionObject(const UID& uid, const VersionedObject* object);
    // The revision of that identifier; its owner is looked up and made as a
    // plain VersionedObject, owned by the revision. Without a row it has no
    // owner.
    explicit RevisionObject(const UID& uid);
    // A copy of a revision that owns its object owns a copy of that object.
    RevisionObject(const RevisionObject& other);
    RevisionObject& operator=(const RevisionObject& other);

    // IZEB, in this order.
    void getUID(char* out, int size) const override;
    void getName(char* out, int size) override;
    void getNotes(char* out, int size) override;
    void setName(const char* name) override;
    void setNotes(const char* notes) override;
    // Revisions are loaded by their constructors: does nothing, true.
    bool read(const UID& uid) override;
    // False without an owner.
    bool save() override;
    // Deletes the row; when it was the owner's last revision, destroys the
    // owner too. False without an owner, and when either step failed or it
    // cannot be told whether the revision was the last: the row may be gone
    // then, and what is left of the owner is for the repository check.
    bool destroy() override;

    virtual ~RevisionObject();

    // The version number as decimal text; 0 until read or first saved.
    void getVersion(char* out, int size);
    // The owner's identifier text; empty without an owner.
    void getMasterUID(char* out, int size);
    // The owner, or null.
    const VersionedObject* getObject() const { return m_object; }

    // True when a REVTABLE row with this revision's identifier exists.
    bool isVersionSaved();

protected:
    // The first save of a revision known to be unsaved: the row with the next
    // version number of the owner.
    bool insertRevision();
    // The two halves of destroy(): the revision's row; then, when it was the
    // owner's last revision, the owner (through its virtual destroy). The
    // second is true when the owner has revisions left or is gone.
    bool deleteRow();
    bool destroyObjectIfLast();

    char m_name[1024];
    char m_notes[1024];
    char m_uid[1024];
    int m_version = 0;
    const VersionedObject* m_object = nullptr;
    VersionedObject* m_ownedObject = nullptr;

private:
    // Loads name, notes and version from the revision's row.
    bool read();
    // The highest version among the owner's revisions, 0 when it has none,
    // -1 when they cannot be read.
    int getMaxVer();
};
