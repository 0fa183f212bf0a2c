#include "Scenario.h"

namespace zevdev {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const unsigned long MAX_WAIT_MS = 60000;

// Milliseconds as plain decimal digits, at most MAX_WAIT_MS.
bool ParseWait(const std::string& text, unsigned long& ms)
{
    if (text.empty() || text.size() > 5) return false;
    ms = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        ms = ms * 10 + static_cast<unsigned long>(c - '0');
    }
    return ms <= MAX_WAIT_MS;
}

} // namespace

const ScenarioCommand* Scenario::find(const std::string& command) const
{
    for (const auto& c : commands)
        if (c.text == command) return &c;
    return nullptr;
}

std::string UnescapeScenarioText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            char n = text[i + 1];
            if (n == 'r') { out += '\r'; ++i; continue; }
            if (n == 'n') { out += '\n'; ++i; continue; }
            if (n == 't') { out += '\t'; ++i; continue; }
        }
        out += c;
    }
    return out;
}

bool ParseScenario(const std::string& text, Scenario& scenario, std::string& error)
{
    scenario.commands.clear();
    error.clear();
    ScenarioCommand* command = nullptr;
    ScenarioPass* pass = nullptr;
    size_t start = 0;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();

        size_t k = 0;
        while (k < line.size() && IsBlank(line[k])) ++k;
        if (k == line.size() || line[k] == '#') continue;
        size_t kEnd = k;
        while (kEnd < line.size() && !IsBlank(line[kEnd])) ++kEnd;
        std::string keyword = line.substr(k, kEnd - k);
        // Exactly one separator: the rest of the line is the value, blanks included.
        std::string raw = kEnd < line.size() ? line.substr(kEnd + 1) : std::string();
        std::string value = UnescapeScenarioText(raw);

        if (keyword == "command") {
            if (value.empty()) return fail("command without text");
            if (scenario.find(value)) return fail("command given twice: " + value);
            scenario.commands.push_back(ScenarioCommand());
            command = &scenario.commands.back();
            command->text = value;
            pass = nullptr;
        } else if (keyword == "pass") {
            if (!command) return fail("pass before any command");
            if (!raw.empty()) return fail("pass takes no value");
            command->passes.push_back(ScenarioPass());
            pass = &command->passes.back();
        } else if (keyword == "repeat") {
            if (!pass) return fail("repeat before any pass");
            command->repeatLast = true;
        } else if (keyword == "wait") {
            if (!pass) return fail("wait outside a pass");
            if (!ParseWait(raw, pass->waitMs)) return fail("wait takes milliseconds, 0 to 60000");
        } else if (keyword == "output" || keyword == "device") {
            if (!pass) return fail(keyword + " outside a pass");
            (keyword == "output" ? pass->output : pass->device.text) += value;
        } else if (keyword == "info" || keyword == "error" || keyword == "field") {
            if (!pass) return fail(keyword + " outside a pass");
            std::string name = keyword;
            if (keyword == "field") {
                size_t blank = 0;
                while (blank < raw.size() && !IsBlank(raw[blank])) ++blank;
                if (blank == 0) return fail("field without a name");
                name = raw.substr(0, blank);
                value = blank < raw.size() ? UnescapeScenarioText(raw.substr(blank + 1)) : std::string();
            }
            pass->device.set(name, value);
        } else {
            return fail("unknown keyword: " + keyword);
        }
    }
    return true;
}

} // namespace zevdev
