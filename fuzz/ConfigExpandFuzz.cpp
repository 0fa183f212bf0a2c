// The first %NAME% pair of a registry text, expanded from the environment, narrow and wide,
// against the rule: the text before the first '%', the variable's value, the text after
// the second '%'; everything else stays, further '%' included.
#include "BlobTail.h"
#include "FuzzHarness.h"
#include <zvcrypt/Blob.h>
#include <zvcrypt/Config.h>
#include <cstdlib>
#include <cstring>
#include <cwchar>

using fuzz::TailIsZero;
using zvcrypt::Blob;

namespace {

template <typename Char, typename Getenv>
std::basic_string<Char> Expected(const std::basic_string<Char>& text, Getenv getenv_)
{
    size_t first = text.find(Char('%'));
    if (first == std::basic_string<Char>::npos) return text;
    size_t second = text.find(Char('%'), first + 1);
    if (second == std::basic_string<Char>::npos) return text;
    const Char* value = getenv_(text.substr(first + 1, second - first - 1).c_str());
    return text.substr(0, first) + (value ? value : std::basic_string<Char>()) + text.substr(second + 1);
}

bool Check(const std::string& input, std::string& why)
{
    std::string narrow = input.substr(0, input.find('\0'));
    Blob n(narrow.c_str());
    zvcrypt::expandFirstVariable(n);
    std::string want = Expected<char>(narrow, [](const char* name) { return static_cast<const char*>(getenv(name)); });
    if (want != n.getString() || (!want.empty() && !(n.getFormat() & zvcrypt::BLOB_CHAR)) || !TailIsZero(n)) {
        why = "narrow [" + narrow.substr(0, 60) + "] gave [" + std::string(n.getString()).substr(0, 60) + "]";
        return false;
    }
    std::wstring wide(narrow.begin(), narrow.end());
    for (wchar_t& c : wide) c = static_cast<unsigned char>(c);
    Blob w(wide.c_str());
    w.setFormat(zvcrypt::BLOB_TEXT | zvcrypt::BLOB_WCHAR);   // as a registry text arrives
    zvcrypt::expandFirstVariable(w);
    std::wstring wwant = Expected<wchar_t>(wide, [](const wchar_t* name) { return static_cast<const wchar_t*>(_wgetenv(name)); });
    if (wwant != w.getWString() || (!wwant.empty() && !(w.getFormat() & zvcrypt::BLOB_WCHAR)) || !TailIsZero(w)) {
        why = "wide [" + narrow.substr(0, 60) + "] expanded otherwise";
        return false;
    }
    return true;
}

const char* const NAMES[] = {"ZVF_A", "ZVF_LONG", "ZVF_8BIT", "ZVF_PCT", "ZVF_UNSET", "", "zvf_a", "=C:", "PATH"};
const char* const ALPHABET = "%%%ZVF_a \\=\xe9";

std::string Generate(fuzz::Rng& rng)
{
    std::string s;
    for (size_t parts = rng.Below(6); parts; --parts) {
        if (rng.OneIn(2)) s += "%" + std::string(NAMES[rng.Below(sizeof NAMES / sizeof *NAMES)]) + (rng.OneIn(5) ? "" : "%");
        for (size_t n = rng.OneIn(20) ? 300 + rng.Below(1000) : rng.Below(10); n; --n)
            s += rng.OneIn(3) ? rng.Pick(ALPHABET) : static_cast<char>(1 + rng.Below(255));
    }
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    // Values with blanks, 8-bit bytes, a '%' pair of their own (never expanded again), and a long one.
    _putenv("ZVF_A=value a");
    _putenv(("ZVF_LONG=" + std::string(5000, 'L')).c_str());
    _putenv("ZVF_8BIT=\xe9t\xe9 \xfc");
    _putenv("ZVF_PCT=%ZVF_A%");
    fuzz::Target target = {"config-expand", Generate, Check, ALPHABET,
                           {"", "%", "%%", "a%ZVF_A%b", "%ZVF_PCT%%ZVF_A%", "%ZVF_UNSET%x", "x%ZVF_LONG", "%ZVF_8BIT%%"}};
    return fuzz::Run(target, argc, argv);
}
