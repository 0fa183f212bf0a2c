// The system's conversions with Windows' argument rules, which Wine does not enforce: for
// UTF-8 and GB18030 WideCharToMultiByte takes no flag but WC_ERR_INVALID_CHARS and no
// default-character argument, and fails (ERROR_INVALID_FLAGS / ERROR_INVALID_PARAMETER)
// otherwise. It counts the refused calls. Wine 8 has no GB18030 table: where the system
// lacks one, ASCII and a few characters with their GB18030 bytes stand in for it.
#pragma once
#include "BatchCodePage.h"
#include <windows.h>
#include <string>
#include <type_traits>

class StrictCodePages : public CodePageCalls {
public:
    int MultiByteToWide(unsigned int codePage, unsigned long flags, const char* bytes, int length, wchar_t* wide,
                        int wideLength) const override
    {
        if (Strict(codePage) && (flags & ~static_cast<unsigned long>(MB_ERR_INVALID_CHARS)))
            return Refuse(ERROR_INVALID_FLAGS);
        if (Sample(codePage)) return Convert(bytes, length, wide, wideLength, &Sampled::bytes, &Sampled::wide);
        return SystemCodePageCalls().MultiByteToWide(codePage, flags, bytes, length, wide, wideLength);
    }
    int WideToMultiByte(unsigned int codePage, unsigned long flags, const wchar_t* wide, int length, char* bytes,
                        int byteLength, const char* defaultChar, int* usedDefault) const override
    {
        if (Strict(codePage) && (flags & ~static_cast<unsigned long>(WC_ERR_INVALID_CHARS)))
            return Refuse(ERROR_INVALID_FLAGS);
        if (Strict(codePage) && (defaultChar || usedDefault)) return Refuse(ERROR_INVALID_PARAMETER);
        if (Sample(codePage)) return Convert(wide, length, bytes, byteLength, &Sampled::wide, &Sampled::bytes);
        return SystemCodePageCalls().WideToMultiByte(codePage, flags, wide, length, bytes, byteLength, defaultChar,
                                                     usedDefault);
    }
    mutable int refused = 0;

private:
    struct Sampled {
        const wchar_t* wide;
        const char* bytes;
    };
    static constexpr Sampled GB18030[] = {
        {L"\u7528", "\xd3\xc3"}, {L"\u6237", "\xbb\xa7"}, {L"\u00fc", "\xa8\xb9"}, {L"\u00d8", "\x81\x30\x89\x31"},
        {L"\u20ac", "\xa2\xe3"}, {L"\u4e2d", "\xd6\xd0"}, {L"\u6587", "\xce\xc4"}, {L"\U0001F600", "\x94\x39\xfc\x36"},
    };
    static bool Strict(unsigned int codePage) { return codePage == CP_UTF8 || codePage == 54936; }
    static bool Sample(unsigned int codePage) { return codePage == 54936 && !IsValidCodePage(54936); }
    static int Fail(DWORD error)
    {
        SetLastError(error);
        return 0;
    }
    // ASCII stays; every other character must be one of the table's.
    template <typename In, typename Out>
    static int Convert(const In* in, int length, Out* out, int room, const In* Sampled::*from, const Out* Sampled::*to)
    {
        std::basic_string<Out> result;
        for (int i = 0; i < length;) {
            int used = static_cast<std::make_unsigned_t<In>>(in[i]) < 0x80 ? 1 : 0;
            if (used) result += static_cast<Out>(in[i]);
            for (const Sampled& c : GB18030) {
                int n = static_cast<int>(std::char_traits<In>::length(c.*from));
                if (used || i + n > length || std::char_traits<In>::compare(in + i, c.*from, n) != 0) continue;
                result += c.*to;
                used = n;
            }
            if (!used) return Fail(ERROR_NO_UNICODE_TRANSLATION);
            i += used;
        }
        const int n = static_cast<int>(result.size());
        if (room == 0) return n;
        if (room < n) return Fail(ERROR_INSUFFICIENT_BUFFER);
        std::char_traits<Out>::copy(out, result.data(), n);
        return n;
    }
    int Refuse(DWORD error) const
    {
        ++refused;
        return Fail(error);
    }
};
