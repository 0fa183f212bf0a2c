// ConfigEntry: one registry value of a Config store.
#include <zvcrypt/Config.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace zvcrypt {

ConfigEntry::ConfigEntry() : mulType(TYPE_NUMBER) {}

ConfigEntry::ConfigEntry(const char* text) : mulType(TYPE_NUMBER)
{
    if (!text || !*text)
        return;
    const char* end = std::strchr(text, '=');
    std::string key = end ? std::string(text, end) : std::string(text);
    for (char& c : key)
        c = (char)std::tolower((signed char)c);
    mKey = Blob(key.c_str());
}

ConfigEntry::ConfigEntry(const ConfigEntry& other)
    : mSection(other.mSection), mKey(other.mKey), mValue(other.mValue), mulType(other.mulType)
{
}

ConfigEntry& ConfigEntry::operator=(const ConfigEntry& other)
{
    if (this != &other) {
        mSection = other.mSection;
        mKey = other.mKey;
        mValue = other.mValue;
        mulType = other.mulType;
    }
    return *this;
}

bool ConfigEntry::set(const Blob& name, const Blob& data, unsigned long registryType)
{
    mKey = name;
    mKey.toLower();
    if (registryType == TYPE_TEXT) {
        setType(TYPE_TEXT);
        mValue = data;
        expandFirstVariable(mValue);
    } else if (registryType == TYPE_NUMBER) {
        setType(TYPE_NUMBER);
        unsigned long number = 0;
        if (data.getData())
            std::memcpy(&number, data.getData(), 4);
        mValue = number;
    } else {
        // Kept as read; the type stays as it was (a number in a new entry).
        mValue = data;
    }
    return true;
}

void ConfigEntry::setType(unsigned long type)
{
    mulType = type;
    if (type == TYPE_NUMBER)
        mValue.setFormat(BLOB_HOST_LONG);
}

void ConfigEntry::setSection(const Blob& section)
{
    mSection = section;
}

Blob ConfigEntry::getValue() const
{
    return mValue;
}

void expandFirstVariable(Blob& text)
{
    if (text.isNull() || text.getLength() == 0)
        return;
    if (text.getFormat() & BLOB_WCHAR) {
        const wchar_t* s = text.getWString();
        const wchar_t* first = std::wcsstr(s, L"%");
        if (!first)
            return;
        const wchar_t* second = std::wcsstr(first + 1, L"%");
        if (!second)
            return;
        std::wstring name(first + 1, second);
        const wchar_t* value = _wgetenv(name.c_str());
        std::wstring result(s, first);
        result += value ? value : L"";
        result += second + 1;
        text = Blob(result.c_str());
        text.setFormat(BLOB_WCHAR);
    } else {
        const char* s = text.getString();
        const char* first = std::strstr(s, "%");
        if (!first)
            return;
        const char* second = std::strstr(first + 1, "%");
        if (!second)
            return;
        std::string name(first + 1, second);
        const char* value = std::getenv(name.c_str());
        std::string result(s, first);
        result += value ? value : "";
        result += second + 1;
        text = Blob(result.c_str());
        text.setFormat(BLOB_CHAR);
    }
}

} // namespace zvcrypt
