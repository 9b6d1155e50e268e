#pragma once

class IZEB;

// The selection walk of a left pane: yields the selected versioned items one
// at a time (a VersionedFile or a RevisionFile, owned by the pane's
// SelectContext), making each the context's current item, and null at the
// end. A selected entry that stands for no item (a folder, a revision that
// has gone) is passed over, never taken for the end. An item stays valid
// until the next call. `dropping` (Delete in the browse tree) also removes
// the walked items' tree nodes.
class SelectionWalk {
public:
    virtual IZEB* firstSelected(bool dropping) = 0;
    virtual IZEB* nextSelected(bool dropping) = 0;

protected:
    ~SelectionWalk() = default;
};
