// Blob text conversions: narrow and wide texts converted, appended across widths and read
// back. Every result keeps its zero tail, a conversion that succeeds reads back to the
// text it came from, and a mixed append is the sum of its parts.
#include "BlobTail.h"
#include "FuzzHarness.h"
#include <zvcrypt/Blob.h>
#include <cstring>
#include <cwchar>

using fuzz::TailIsZero;
using zvcrypt::Blob;

namespace {

std::string Narrow(const Blob& b) { return b.getString(); }
std::wstring Wide(const Blob& b) { return b.getWString(); }

bool Fail(std::string& why, const std::string& text)
{
    why = text;
    return false;
}

bool Check(const std::string& input, std::string& why)
{
    if (input.empty()) return true;
    // The first byte picks how the rest is read: narrow bytes, or wide characters from pairs.
    std::string narrow = input.substr(1);
    narrow = narrow.substr(0, narrow.find('\0'));
    std::wstring wide;
    for (size_t i = 1; i + 1 < input.size(); i += 2) {
        wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(input[i]) | static_cast<unsigned char>(input[i + 1]) << 8);
        if (!c) break;
        wide += c;
    }

    Blob n(narrow.c_str());
    if (n.getLength() != narrow.size() || Narrow(n) != narrow || !TailIsZero(n))
        return Fail(why, "a narrow Blob does not hold its text");
    Blob w(wide.c_str());
    if (w.getLength() != 2 * wide.size() || Wide(w) != wide || !TailIsZero(w))
        return Fail(why, "a wide Blob does not hold its text");

    // Narrow to wide and back: either the text comes back, or the conversion gave nothing.
    Blob up(n);
    up.convert(zvcrypt::BLOB_WCHAR);
    if (!TailIsZero(up) || up.getLength() % 2) return Fail(why, "narrow to wide: odd length or no zero tail");
    if (up.getLength()) {
        if (!(up.getFormat() & zvcrypt::BLOB_WCHAR)) return Fail(why, "narrow to wide: not labelled wide");
        Blob down(up);
        down.convert(zvcrypt::BLOB_CHAR);
        if (Narrow(down) != narrow || !TailIsZero(down)) return Fail(why, "narrow to wide and back changed the text");
        if (Wide(n) != Wide(up)) return Fail(why, "getWString of narrow text differs from its conversion");
    }
    // Wide to narrow: a result reads back as the same wide text.
    Blob flat(w);
    flat.convert(zvcrypt::BLOB_CHAR);
    if (!TailIsZero(flat)) return Fail(why, "wide to narrow: no zero tail");
    if (flat.getLength()) {
        Blob again(flat);
        again.convert(zvcrypt::BLOB_WCHAR);
        if (Wide(again) != wide) return Fail(why, "wide to narrow and back changed the text");
        if (Narrow(w) != Narrow(flat)) return Fail(why, "getString of wide text differs from its conversion");
    }
    // Appends across widths convert the right-hand side to the left's width. An empty wide
    // text has no format, so it takes bytes as they are: only texts on both sides count.
    if (narrow.empty() || wide.empty()) return true;
    Blob sum(n);
    sum += w;
    if (sum.getLength() != n.getLength() + flat.getLength() || Narrow(sum) != narrow + Narrow(flat) || !TailIsZero(sum))
        return Fail(why, "narrow += wide is not the narrow text and the converted wide one");
    Blob wsum(w);
    wsum += n;
    if (wsum.getLength() != w.getLength() + up.getLength() || Wide(wsum) != wide + Wide(up) || !TailIsZero(wsum))
        return Fail(why, "wide += narrow is not the wide text and the converted narrow one");
    return true;
}

const char* const ALPHABET = "aZ09 %\x7f\x80\xe9\xff\x01";

std::string Generate(fuzz::Rng& rng)
{
    std::string s(1, static_cast<char>(rng.Below(256)));
    size_t n = rng.OneIn(30) ? 300 + rng.Below(2000) : rng.Below(40);
    bool ascii = rng.OneIn(2);
    for (size_t i = 0; i < n; ++i)
        s += ascii ? static_cast<char>(0x20 + rng.Below(95)) : static_cast<char>(1 + rng.Below(255));
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    fuzz::Target target = {"blob-text", Generate, Check, ALPHABET,
                           {"", "n", "nplain text", "w\xe9t\xe9", "x\x80\x81\xfe\xff", "ya\0b", "z\xff\xfe\x00\xd8"}};
    return fuzz::Run(target, argc, argv);
}
