// Config: the settings of one registry key under HKEY_LOCAL_MACHINE.
#include <zvcrypt/Config.h>

#include <windows.h>
#include <mbstring.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zvcrypt {

namespace {
bool sameText(const char* a, const char* b)
{
    return _mbscmp((const unsigned char*)a, (const unsigned char*)b) == 0;
}

std::wstring widen(const char* text)
{
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
    wide.resize(n - 1);
    return wide;
}
} // namespace

Config::Config() {}

Config::~Config() {}

bool Config::load(const char* name)
{
    if (!name)
        return false;
    mEntries.clear();
    mSection = Blob(name);
    readKey();
    return true;
}

// Registry failures are neither reported nor returned: the store is read while the
// logger is being set up, and a missing key simply leaves it empty.
void Config::readKey()
{
    HKEY key = nullptr;
    std::wstring path = widen(mSection.getString());
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;

    wchar_t className[260] = {};
    DWORD classLength = 260;
    DWORD values = 0, longestSubkey = 0, longestClass = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(key, className, &classLength, nullptr, nullptr, &longestSubkey,
                         &longestClass, &values, &longestName, &longestData, nullptr,
                         nullptr) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return;
    }

    // Twice the unit in bytes: every name and every value keeps a zero behind it.
    DWORD unit = std::max<DWORD>({512, 2 * longestSubkey, 2 * longestClass, 2 * longestName,
                                  2 * longestData});
    std::vector<unsigned char> nameBuffer(2 * (size_t)unit);
    std::vector<unsigned char> dataBuffer(2 * (size_t)unit);

    for (DWORD index = 0; index < values; ++index) {
        std::fill(nameBuffer.begin(), nameBuffer.end(), 0);
        std::fill(dataBuffer.begin(), dataBuffer.end(), 0);
        DWORD nameLength = unit;
        DWORD dataLength = unit;
        DWORD type = 0;
        if (RegEnumValueW(key, index, (wchar_t*)nameBuffer.data(), &nameLength, nullptr, &type,
                          dataBuffer.data(), &dataLength) != ERROR_SUCCESS)
            continue;

        add((const wchar_t*)nameBuffer.data(), dataBuffer.data(), dataLength, type);
    }
    RegCloseKey(key);
}

void Config::add(const wchar_t* name, const unsigned char* data, unsigned long size, unsigned long registryType)
{
    Blob wideName(name);
    wideName.setFormat(BLOB_WCHAR);
    // Text keeps its characters without the terminating zero; other data as read.
    unsigned long used = size;
    if (registryType == REG_SZ) {
        std::vector<unsigned char> padded(data, data + size);
        padded.resize(size + 2, 0);
        used = (unsigned long)(2 * wcsnlen((const wchar_t*)padded.data(), (size + 1) / 2));
    }
    Blob value(data, used);
    value.setFormat(BLOB_WCHAR);

    ConfigEntry entry;
    entry.set(wideName, value, registryType);
    entry.setSection(mSection);
    mEntries.push_back(entry);
}

bool Config::find(ConfigEntry& query) const
{
    if (query.getKey().getLength() == 0)
        return false;
    const char* wanted = query.getKey().getString();
    for (const ConfigEntry& entry : mEntries) {
        Blob key(entry.getKey());
        key.toLower();
        if (!sameText(key.getString(), wanted))
            continue;
        if (!sameText(entry.getSection().getString(), mSection.getString()))
            continue;
        query = entry;
        return true;
    }
    return false;
}

bool Config::getValue(const char* key, unsigned long& value) const
{
    ConfigEntry query(key);
    if (!find(query))
        return false;
    value = query.getValue().toULong();
    return true;
}

bool Config::getValue(const char* key, Blob& value) const
{
    ConfigEntry query(key);
    if (!find(query))
        return false;
    value = query.getValue();
    return true;
}

} // namespace zvcrypt
