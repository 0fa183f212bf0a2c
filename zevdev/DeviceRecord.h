// One device record of a command's report: named fields ("info", "error", ...) and the
// record's text as ZDAPI_GetDevice hands it out.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace zevdev {

struct DeviceRecord {
    std::vector<std::pair<std::string, std::string>> fields;  // in the order they were set
    std::string text;  // the record's text when given; else built from the fields

    bool empty() const { return text.empty() && fields.empty(); }
    // `text` if given, else one "name=value\r\n" line per field.
    std::string recordText() const;
    // The value of a field, or null when the record has no such field.
    const std::string* field(const std::string& name) const;
    // Sets a field, replacing an earlier value of the same name in its place.
    void set(const std::string& name, const std::string& value);
};

// A value as records and listings show it: line breaks and tabs become blanks, so one value
// never looks like another line.
std::string OneLine(std::string text);

} // namespace zevdev
