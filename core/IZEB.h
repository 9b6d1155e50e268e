#pragma once

#include "core/ZebcoreExport.h"

class UID;

// Anything under version control: it has an identifier, a name and notes,
// and can be read from, saved to and removed from the repository. Getters
// copy their text into a caller buffer of `size` bytes (callers pass 1024),
// cut to fit. Setters change memory only; save() writes.
//
// The order of the operations below is the layout of the interface: do not
// reorder or insert. There is deliberately no virtual destructor; the
// destructor is protected so that nobody deletes an item through IZEB.
class ZEBCORE_API IZEB {
public:
    virtual void getUID(char* out, int size) const = 0;
    virtual void getName(char* out, int size) = 0;
    virtual void getNotes(char* out, int size) = 0;
    virtual void setName(const char* name) = 0;
    virtual void setNotes(const char* notes) = 0;
    virtual bool read(const UID& uid) = 0;
    virtual bool save() = 0;
    virtual bool destroy() = 0;

protected:
    IZEB() = default;
    IZEB(const IZEB&) = default;
    IZEB& operator=(const IZEB&) = default;
    ~IZEB() = default;
};
