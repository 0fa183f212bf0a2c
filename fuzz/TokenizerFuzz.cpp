// The command-line tokenizer against a small model of its state table: the same pairs, in
// the same order, keys and values cut at 255 characters.
#include "FuzzHarness.h"
#include "XParamList.h"
#include <cstring>
#include <utility>

namespace {

typedef std::vector<std::pair<std::string, std::string>> Pairs;

// Between options, in a key, at a value's first character, in a value.
Pairs Model(const std::string& line)
{
    const size_t MAX = XParamList::TOKEN_BUFFER - 1;
    Pairs pairs;
    std::string token, key;
    int state = 0;
    bool quoted = false;
    auto append = [&](char c) { if (token.size() < MAX) token += c; };
    size_t end = line.find('\0');
    if (end == std::string::npos) end = line.size();
    for (size_t i = 0; i < end; ++i) {
        char c = line[i];
        if (state == 0) {
            if (c == '/') token = "/", state = 1;
        } else if (state == 1) {
            if (c == ' ') pairs.emplace_back(token, ""), state = 0;
            else if (c == ':' || c == '=') key = token, token.clear(), state = 2;
            else {
                append(c);
                if (i + 1 == end) pairs.emplace_back(token, ""), state = 0;
            }
        } else if (state == 2) {
            if (c == '"') quoted = true;
            else append(c);
            state = 3;
        } else if (c == ' ' && !quoted) {
            pairs.emplace_back(key, token), state = 0;
        } else if (c == '"' && quoted) {
            quoted = false, pairs.emplace_back(key, token), state = 0;
        } else {
            append(c);
        }
    }
    if (state == 3) pairs.emplace_back(key, token);
    return pairs;
}

std::string Shown(const std::string& s)
{
    return (s.size() > 40 ? s.substr(0, 40) + "..." : s) + " (" + std::to_string(s.size()) + " bytes)";
}

bool Check(const std::string& input, std::string& why)
{
    XParamList params;
    params.SetCommandLine(input.c_str());
    bool parsed = params.Parse();
    Pairs want = Model(input);
    if (want.size() > 65535) return true;   // beyond the 16-bit count; not generated
    if (parsed != !want.empty()) {
        why = "Parse() returned " + std::string(parsed ? "true" : "false") + " for " + std::to_string(want.size()) + " pairs";
        return false;
    }
    if (params.GetCount() != want.size()) {
        why = "count " + std::to_string(params.GetCount()) + ", model " + std::to_string(want.size());
        return false;
    }
    for (size_t i = 0; i < want.size(); ++i) {
        const char* key = params.GetKey(static_cast<int>(i));
        const char* value = params.GetValue(static_cast<int>(i));
        if (!key || !value || want[i].first != key || want[i].second != value) {
            why = "pair " + std::to_string(i) + " is [" + Shown(key ? key : "(null)") + "]=[" + Shown(value ? value : "(null)") +
                  "], model [" + Shown(want[i].first) + "]=[" + Shown(want[i].second) + "]";
            return false;
        }
    }
    if (*params.GetKey(static_cast<int>(want.size())) || *params.GetValue(-1)) {
        why = "a pair beyond the count has text";
        return false;
    }
    return true;
}

const char* const OPTIONS[] = {"/Application", "/RemoveOnly", "/RemoveSplash", "/RemoveOKSplash", "/RmDir",
                               "/RmAbsDir", "/CleanUpOnly", "/Sleep", "/VKDriveLetter", "/DriveLetter", "/", "/x"};
const char* const ALPHABET = "/=:\" \t\\ab.%&";

std::string Text(fuzz::Rng& rng, size_t n)
{
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        size_t kind = rng.Below(10);
        s += kind < 5 ? static_cast<char>('a' + rng.Below(26)) : kind < 8 ? rng.Pick(ALPHABET)
                                                                        : static_cast<char>(0x80 + rng.Below(128));
    }
    return s;
}

std::string Generate(fuzz::Rng& rng)
{
    std::string line;
    switch (rng.Below(4)) {   // the program path
    case 0: line = "\"E:\\Vaultik\\Vacater.exe\""; break;
    case 1: line = "C:\\users\\a b\\Temp\\Vacater.exe"; break;
    case 2: line = "E:/odd/path/Vacater.exe"; break;
    default: break;
    }
    size_t options = rng.OneIn(200) ? 1000 + rng.Below(4000) : rng.Below(8);
    for (size_t i = 0; i < options; ++i) {
        line += rng.OneIn(8) ? std::string(1 + rng.Below(3), ' ') : " ";
        line += rng.OneIn(6) ? "/" + Text(rng, rng.Below(6)) : OPTIONS[rng.Below(sizeof OPTIONS / sizeof *OPTIONS)];
        size_t sep = rng.Below(8);
        if (sep == 0) continue;   // a key alone
        line += sep < 5 ? '=' : sep < 7 ? ':' : ' ';
        size_t length = rng.OneIn(20) ? 200 + rng.Below(400) : rng.Below(16);
        switch (rng.Below(4)) {
        case 0: line += "\"" + Text(rng, length) + "\""; break;
        case 1: line += "\"" + Text(rng, length); break;   // never closed
        default: line += Text(rng, length); break;
        }
    }
    return line;
}

} // namespace

int main(int argc, char** argv)
{
    fuzz::Target target = {"tokenizer", Generate, Check, ALPHABET,
                           {"", "Vacater.exe", "/", "/ ", "/k", "/k=", "/k= v", "/RmAbsDir=\"C:\\a b\" /x:y",
                            "/k=\"open", "/k=a\"b /l", "/k=\"a\"rest /m", "C:/x/Vacater.exe /Sleep=5"}};
    return fuzz::Run(target, argc, argv);
}
