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

namespace {

// The first %NAME% pair of text replaced by the variable's value (nothing when it is not
// set); without a pair the text stays. One rule for narrow and wide texts.
template <typename Char, typename Lookup>
std::basic_string<Char> expandFirstPair(const std::basic_string<Char>& text, Lookup lookup)
{
    size_t first = text.find(Char('%'));
    if (first == std::basic_string<Char>::npos)
        return text;
    size_t second = text.find(Char('%'), first + 1);
    if (second == std::basic_string<Char>::npos)
        return text;
    std::basic_string<Char> value;
    lookup(text.substr(first + 1, second - first - 1), value);
    return text.substr(0, first) + value + text.substr(second + 1);
}

} // namespace

std::string expandFirstVariable(const std::string& text, const EnvLookup& lookup)
{
    return expandFirstPair(text, [&lookup](const std::string& name, std::string& value) {
        if (!lookup || !lookup(name, value))
            value.clear();
    });
}

bool processEnvironment(const std::string& name, std::string& value)
{
    const char* found = std::getenv(name.c_str());
    if (!found)
        return false;
    value = found;
    return true;
}

void expandFirstVariable(Blob& text)
{
    if (text.isNull() || text.getLength() == 0)
        return;
    if (text.getFormat() & BLOB_WCHAR) {
        std::wstring result = expandFirstPair(std::wstring(text.getWString()),
                                              [](const std::wstring& name, std::wstring& value) {
                                                  const wchar_t* found = _wgetenv(name.c_str());
                                                  value = found ? found : L"";
                                              });
        text = Blob(result.c_str());
        text.setFormat(BLOB_WCHAR);
    } else {
        std::string result = expandFirstVariable(std::string(text.getString()), processEnvironment);
        text = Blob(result.c_str());
        text.setFormat(BLOB_CHAR);
    }
}

} // namespace zvcrypt
