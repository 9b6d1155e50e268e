#pragma once

#include "core/IZEB.h"
#include "core/ZebcoreExport.h"

class RevisionObject;
class UID;

// One element of a revision list: [0] the version number as decimal text,
// [1] the name, [2] the notes, [3] the time of the revision (decimal seconds
// since 1970), [4] the revision's identifier text.
typedef char RevisionListElement[5][1024];

// An item with a MASTERZEB row: identifier, name and notes. Whether it is
// saved is decided by the repository alone (isVersionSaved), never by a
// flag in memory. A first save() writes the initial revision, then the
// object's row; later saves update name and notes.
class ZEBCORE_API VersionedObject : public IZEB {
public:
    // A new object with a new identifier; nothing is read or written.
    VersionedObject(const char* name, const char* notes);
    // The object of that identifier; name and notes stay empty when it has
    // no row.
    explicit VersionedObject(const UID& uid);
    VersionedObject(const VersionedObject& other) = default;
    VersionedObject& operator=(const VersionedObject& other) = default;

    // IZEB, in this order.
    void getUID(char* out, int size) const override;
    void getName(char* out, int size) override;
    void getNotes(char* out, int size) override;
    void setName(const char* name) override;
    void setNotes(const char* notes) override;
    // Takes the identifier and loads its row; true when the row was found.
    bool read(const UID& uid) override;
    bool save() override;
    // Deletes the object's revision rows, then its row. True when the
    // object's row was deleted.
    bool destroy() override;

    virtual ~VersionedObject();
    // A new, unsaved revision with this object's name and notes, belonging to
    // this object. The caller owns it.
    virtual RevisionObject* createInitialRevision();

    // True when a MASTERZEB row with this object's identifier exists.
    bool isVersionSaved();

    // Number of revisions of the object `uid`.
    static int getNumRevs(const UID& uid);
    // Fills one element per revision of the object `uid`, in the order the
    // data source returns them; the caller provides room for getNumRevs()
    // elements. Returns true.
    static bool getRevisions(const UID& uid, RevisionListElement* revisions);
    // The same, writing at most `capacity` elements and giving the number
    // written in `*count`: safe when revisions are added by another process
    // between getNumRevs() and this call.
    static bool getRevisions(const UID& uid, RevisionListElement* revisions, int capacity,
                             int* count);
    // Empties REVTABLE, then MASTERZEB; false at the first failing statement.
    static bool purgeZEB();

protected:
    // The first save of an object known to be unsaved: the initial revision,
    // then the object's row.
    bool insertObject();

    char m_uid[1024];
    char m_name[1024];
    char m_notes[1024];

private:
    // Loads name and notes from the object's row.
    bool read();
};
