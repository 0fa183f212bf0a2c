// Settings read from one registry key under HKEY_LOCAL_MACHINE, looked up by value name
// without regard to case. Read only: nothing is ever written back.
#pragma once
#include <zvcrypt/Blob.h>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zvcrypt {

// One registry value of the loaded key.
class ConfigEntry {
public:
    // Registry value types the store distinguishes (REG_SZ and REG_DWORD).
    enum { TYPE_TEXT = 1, TYPE_NUMBER = 4 };

    ConfigEntry();
    // Query form: the key is the text up to its first '=', lower-cased.
    explicit ConfigEntry(const char* text);
    ConfigEntry(const ConfigEntry& other);
    ConfigEntry& operator=(const ConfigEntry& other);

    // Fills the entry from one registry value (name and data as wide text). Always true.
    bool set(const Blob& name, const Blob& data, unsigned long registryType);
    // Type 4 also labels the value as a host-order number.
    void setType(unsigned long type);
    void setSection(const Blob& section);
    Blob getValue() const;

    const Blob& getSection() const { return mSection; }
    const Blob& getKey() const { return mKey; }
    unsigned long getType() const { return mulType; }

private:
    Blob mSection;
    Blob mKey;
    Blob mValue;
    unsigned long mulType;
};

// Replaces the first %NAME% pair of a narrow or wide text by the variable's value
// (nothing when it is not set); further '%' stay as they are. The store does this to
// every REG_SZ value it reads.
void expandFirstVariable(Blob& text);

// Looks an environment variable up: true and its value when it is set.
typedef std::function<bool(const std::string& name, std::string& value)> EnvLookup;
// The process's own environment (getenv).
bool processEnvironment(const std::string& name, std::string& value);
// The same rule on a narrow text, with the variables that lookup gives (for a text read
// from the registry by another program, with the environment it chooses).
std::string expandFirstVariable(const std::string& text, const EnvLookup& lookup);

class Config {
public:
    Config();
    ~Config();

    // Reads the values of HKEY_LOCAL_MACHINE\name, replacing all entries. False only for
    // a null name; a missing or unreadable key gives true with no entries.
    bool load(const char* name);
    // On success the query receives a copy of the stored entry.
    bool find(ConfigEntry& query) const;
    // On failure the output is left untouched.
    bool getValue(const char* key, unsigned long& value) const;
    bool getValue(const char* key, Blob& value) const;

    const Blob& getSection() const { return mSection; }
    std::size_t getCount() const { return mEntries.size(); }

private:
    void readKey();

    Blob mSection;
    std::vector<ConfigEntry> mEntries;
};

} // namespace zvcrypt
