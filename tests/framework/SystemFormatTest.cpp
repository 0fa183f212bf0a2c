// The framework's texts keep their bytes now that msvcrt formats them instead of MinGW's
// C99 printf: CString grows to any length, and a window class keeps its name.
#include <gtest/gtest.h>
#include "CString.h"
#include "SystemFormat.h"
#include "WndClass.h"
#include <cstdio>
#include <string>

namespace {

std::string c99(const char* format, ...)
{
    va_list args, copy;
    va_start(args, format);
    va_copy(copy, args);
    std::string out(static_cast<size_t>(__mingw_vsnprintf(nullptr, 0, format, copy)), '\0');
    va_end(copy);
    __mingw_vsnprintf(&out[0], out.size() + 1, format, args);
    va_end(args);
    return out;
}

}  // namespace

TEST(CStringFormat, KeepsTheWholeTextAtEveryLength)
{
    for (size_t n : {0u, 1u, 15u, 16u, 511u, 512u, 513u, 4095u, 4096u, 70000u}) {
        SCOPED_TRACE(n);
        std::string body(n, 'q');
        if (n) body[n - 1] = 'E';
        CString s("old text");
        s.Format("%s|%c|%ld|%d", body.c_str(), 'z', -5L, 42);
        EXPECT_EQ(c99("%s|%c|%ld|%d", body.c_str(), 'z', -5L, 42), s.str());
        EXPECT_EQ(n + 8, static_cast<size_t>(s.GetLength()));
    }
}

TEST(CStringFormat, AnArgumentMayBeTheOldTextAndAnEmptyResultEmptiesIt)
{
    CString s("abc");
    s.Format("%s-%s", s.GetString(), s.GetString());
    EXPECT_STREQ("abc-abc", s);
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
    s = "x";
    s.FormatV(nullptr, nullptr);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(WindowClassName, ShowsPointersAsTheC99PrintfDid)
{
    const void* pointers[] = {nullptr, reinterpret_cast<void*>(1), reinterpret_cast<void*>(0xABCDEF),
                              reinterpret_cast<void*>(~uintptr_t(0))};
    for (const void* p : pointers) {
        std::string ours;
        ASSERT_TRUE(FormatString(ours, "<" FORMAT_POINTER ">", PointerValue(p)));
        EXPECT_EQ(c99("<%p>", p), ours);
    }
    HCURSOR cursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    LPCSTR name = RegisterWndClass(CS_HREDRAW | CS_VREDRAW, cursor, brush);
    ASSERT_NE(nullptr, name);
    EXPECT_EQ(c99("ZvWnd:%x:%p:%p:%p", CS_HREDRAW | CS_VREDRAW, static_cast<void*>(cursor),
                  static_cast<void*>(brush), static_cast<void*>(nullptr)),
              std::string(name));
}
