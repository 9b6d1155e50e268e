#pragma once

#include <string>
#include <vector>

namespace setup {

// Thunar keeps every custom action of a user in one file, uca.xml:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <actions>
//   <action>
//       <unique-id>zebdoc-add</unique-id>
//       ...
//   </action>
//   </actions>
//
// Ours go in and out by their unique ids; the others, and everything
// between the actions, stay as they are.

// The <action> elements of `xml` with their unique ids, in file order.
struct ActionElement {
    size_t begin = 0;
    size_t end = 0;  // just after "</action>"
    std::string uniqueId;
};
std::vector<ActionElement> actionElements(const std::string& xml);

// `existing` (empty: no file yet) with the actions of `fragment` in place of
// any action with the same unique id, before "</actions>". False, with the
// reason, when `existing` has no "</actions>" or `fragment` no action: a
// file that cannot be understood is left alone.
bool mergeActions(const std::string& existing, const std::string& fragment, std::string& out,
                  std::string& error);

// `existing` without the actions whose unique id is one of `ids` (an id
// ending in "*" matches every id that begins with the rest).
std::string removeActions(const std::string& existing, const std::vector<std::string>& ids);

}  // namespace setup
