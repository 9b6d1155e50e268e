#pragma once

#include <string>
#include <vector>

namespace zeb::platform {

// The contents of a registry file in .reg text form: keys in file order, each
// with its values in file order. Key pieces and value names compare without
// regard to ASCII case; their first spelling is kept. Lines that cannot be
// read are dropped; values of other kinds than strings are kept as written.
class RegistryFile {
public:
    using KeyPath = std::vector<std::string>;  // root name first, then one piece per level

    // Splits "A\B\\C\" into its pieces, dropping empty ones.
    static KeyPath splitKey(const std::string& text);

    static RegistryFile parse(const std::string& text);
    std::string serialize() const;

    // The string value, or null when the key or value is missing or the value
    // is not a string.
    const std::string* getString(const KeyPath& key, const std::string& name) const;
    // Creates the key and the value as needed; false when nothing changed.
    bool setString(const KeyPath& key, const std::string& name, const std::string& data);
    // False when there was no such value.
    bool deleteValue(const KeyPath& key, const std::string& name);
    // Removes the key and every key below it; false when there was none.
    bool deleteTree(const KeyPath& key);
    std::vector<std::string> valueNames(const KeyPath& key) const;

private:
    struct Value {
        std::string name;     // empty for the default value ("@")
        std::string data;     // text of a string value
        std::string rawLine;  // a value of another kind, as written
    };
    struct Key {
        KeyPath path;
        std::vector<Value> values;
    };

    const Key* findKey(const KeyPath& path) const;
    Key* findKey(const KeyPath& path);
    static Value* findValue(Key& key, const std::string& name);
    static const Value* findValue(const Key& key, const std::string& name);
    void storeValue(Key& key, Value value);

    std::vector<Key> m_keys;
};

}  // namespace zeb::platform
