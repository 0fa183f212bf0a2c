// The program's resources as Windows reads them from Vacater.exe.
#include "AppTestSupport.h"

using namespace apptest;

namespace {

#define ZV_TEXT_(x) #x
#define ZV_TEXT(x) ZV_TEXT_(x)
const char* const ZV_VERSION_TEXT = ZV_TEXT(ZV_VERSION_DOTS);

#pragma pack(push, 1)
struct DialogExHeader {
    WORD dlgVer, signature;
    DWORD helpID, exStyle, style;
    WORD cDlgItems;
    short x, y, cx, cy;
    WCHAR menuClassCaption[1];   // with no menu and no class: 0, 0, then the caption
};
#pragma pack(pop)

} // namespace

TEST(ProgramResources, DialogsIconAboutTextVersionAndManifest)
{
    HMODULE m = LoadLibraryExA((ProgramDir() + "\\Vacater.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, m);
    auto resource = [&](int type, int id, DWORD* size) -> const BYTE* {
        HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
        *size = r ? SizeofResource(m, r) : 0;
        return r ? static_cast<const BYTE*>(LockResource(LoadResource(m, r))) : nullptr;
    };
    DWORD size = 0;
    // The removal dialog: a hidden pop-up of its size; the About box.
    const struct { int id, cx, cy, items; const wchar_t* caption; } dialogs[] = {
        {102, 161, 103, 1, L"Vacater"}, {100, 235, 55, 4, L"Info \u00fcber Vacater"}};
    for (const auto& d : dialogs) {
        auto h = reinterpret_cast<const DialogExHeader*>(resource(5, d.id, &size)); // RT_DIALOG
        ASSERT_NE(nullptr, h) << d.id;
        EXPECT_EQ(0xFFFF, h->signature);
        EXPECT_EQ(d.cx, h->cx);
        EXPECT_EQ(d.cy, h->cy);
        EXPECT_EQ(d.items, h->cDlgItems);
        EXPECT_EQ(0u, h->menuClassCaption[0] | h->menuClassCaption[1]);
        EXPECT_EQ(std::wstring(d.caption), h->menuClassCaption + 2);
    }
    auto removal = reinterpret_cast<const DialogExHeader*>(resource(5, 102, &size));
    const DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    EXPECT_EQ(wanted, removal->style & (wanted | WS_VISIBLE));
    EXPECT_TRUE(removal->exStyle & WS_EX_APPWINDOW);
    WCHAR text[64] = L"";
    ASSERT_GT(LoadStringW(m, 101, text, 64), 0);
    EXPECT_STREQ(L"Inf&o \u00fcber Vacater...", text);
    // The icon: a 32- and a 16-pixel image of 16 colours (4 bits).
    const BYTE* group = resource(14, 128, &size);   // RT_GROUP_ICON: 6-byte head, 14-byte entries
    ASSERT_NE(nullptr, group);
    ASSERT_EQ(2, group[4]);
    for (int i = 0; i < 2; ++i)   // width, colours, bits per pixel
        EXPECT_EQ(std::vector<int>({i ? 16 : 32, 16, 4}),
                  std::vector<int>({group[6 + 14 * i], group[8 + 14 * i], group[12 + 14 * i]})) << i;
    EXPECT_NE(nullptr, resource(16, 1, &size));   // RT_VERSION
    const BYTE* manifest = resource(24, 1, &size);  // RT_MANIFEST
    ASSERT_NE(nullptr, manifest);
    const std::string manifestText(reinterpret_cast<const char*>(manifest), size);
    EXPECT_NE(std::string::npos, manifestText.find("asInvoker"));
    // The assembly version is the one of the file VERSION, like the version resource's.
    EXPECT_NE(std::string::npos, manifestText.find(std::string("name=\"ZevtronSystems.Vacater\" version=\"") +
                                                   ZV_VERSION_TEXT + "\"")) << manifestText;
    FreeLibrary(m);
}
