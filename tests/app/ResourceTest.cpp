// The program's resources as Windows reads them from Vacater.exe: the dialog templates, the
// About item's text, the icon's images and the version.
#include "AppTestSupport.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>

using namespace apptest;

namespace {

#pragma pack(push, 1)
struct DialogExHeader {
    WORD dlgVer, signature;
    DWORD helpID, exStyle, style;
    WORD cDlgItems;
    short x, y, cx, cy;
};
struct IconDirEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_module = LoadLibraryExA((BinDir() + "\\Vacater.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, m_module);
    }
    void TearDown() override
    {
        if (m_module) FreeLibrary(m_module);
    }
    const BYTE* Resource(LPCSTR type, UINT id, DWORD* size = nullptr)
    {
        HRSRC r = FindResourceA(m_module, MAKEINTRESOURCEA(id), type);
        if (!r) return nullptr;
        if (size) *size = SizeofResource(m_module, r);
        return static_cast<const BYTE*>(LockResource(LoadResource(m_module, r)));
    }
    // The caption of an extended dialog template: after the menu and class fields.
    static std::wstring Caption(const DialogExHeader* h)
    {
        const WCHAR* p = reinterpret_cast<const WCHAR*>(h + 1);
        for (int field = 0; field < 2; ++field) {  // menu, class: 0, 0xFFFF + id, or a string
            if (*p == 0xFFFF) p += 2;
            else p += wcslen(p) + 1;
        }
        return p;
    }
    HMODULE m_module = nullptr;
};

} // namespace

TEST_F(ProgramResources, RemovalDialogIsAHiddenPopUpOfItsSize)
{
    auto h = reinterpret_cast<const DialogExHeader*>(Resource(MAKEINTRESOURCEA(5), 102)); // RT_DIALOG
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(0xFFFF, h->signature);
    EXPECT_EQ(161, h->cx);
    EXPECT_EQ(103, h->cy);
    EXPECT_EQ(1, h->cDlgItems);
    EXPECT_EQ(0u, h->style & WS_VISIBLE);
    const DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    EXPECT_EQ(wanted, h->style & wanted);
    EXPECT_TRUE(h->exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(L"Vacater", Caption(h));
}

TEST_F(ProgramResources, AboutBoxAndItsMenuText)
{
    auto h = reinterpret_cast<const DialogExHeader*>(Resource(MAKEINTRESOURCEA(5), 100));
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(235, h->cx);
    EXPECT_EQ(55, h->cy);
    EXPECT_EQ(4, h->cDlgItems);
    EXPECT_EQ(L"Info \u00fcber Vacater", Caption(h));
    WCHAR text[64] = L"";
    ASSERT_GT(LoadStringW(m_module, 101, text, 64), 0);
    EXPECT_STREQ(L"Inf&o \u00fcber Vacater...", text);
}

TEST_F(ProgramResources, IconHasA32And16PixelImageOf16Colours)
{
    DWORD size = 0;
    const BYTE* group = Resource(MAKEINTRESOURCEA(14), 128, &size); // RT_GROUP_ICON
    ASSERT_NE(nullptr, group);
    WORD count = 0;
    memcpy(&count, group + 4, sizeof count);
    ASSERT_EQ(2, count);
    const IconDirEntry* e = reinterpret_cast<const IconDirEntry*>(group + 6);
    EXPECT_EQ(32, e[0].width);
    EXPECT_EQ(16, e[1].width);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(16, e[i].colorCount);
        EXPECT_EQ(4, e[i].bitCount);
    }
    HICON icon = LoadIconA(m_module, MAKEINTRESOURCEA(128));
    EXPECT_NE(nullptr, icon);
}

TEST_F(ProgramResources, CarriesVersionAndManifest)
{
    DWORD size = 0;
    EXPECT_NE(nullptr, Resource(MAKEINTRESOURCEA(16), 1, &size)); // RT_VERSION
    const BYTE* manifest = Resource(MAKEINTRESOURCEA(24), 1, &size); // RT_MANIFEST
    ASSERT_NE(nullptr, manifest);
    std::string text(reinterpret_cast<const char*>(manifest), size);
    EXPECT_NE(std::string::npos, text.find("asInvoker"));
}
