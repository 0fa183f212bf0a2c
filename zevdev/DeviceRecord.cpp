#include "DeviceRecord.h"

namespace zevdev {

std::string DeviceRecord::recordText() const
{
    if (!text.empty()) return text;
    std::string record;
    for (const auto& f : fields) record += f.first + "=" + f.second + "\r\n";
    return record;
}

const std::string* DeviceRecord::field(const std::string& name) const
{
    for (const auto& f : fields)
        if (f.first == name) return &f.second;
    return nullptr;
}

void DeviceRecord::set(const std::string& name, const std::string& value)
{
    for (auto& f : fields)
        if (f.first == name) {
            f.second = value;
            return;
        }
    fields.emplace_back(name, value);
}

std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return text;
}

} // namespace zevdev
