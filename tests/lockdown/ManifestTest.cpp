// What Vacater's manifest tells Windows, read the way Windows reads it (an activation context
// over the program's manifest resource): per-monitor DPI awareness, so that the splash picture
// is shown pixel for pixel on scaled screens instead of being stretched.
#include "ChildProcess.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

namespace {

std::wstring Setting(HANDLE context, const wchar_t* ns, const wchar_t* name)
{
    wchar_t value[128] = L"";
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context, ns, name, value, 128, &written)) return L"(none)";
    return value;
}

} // namespace

TEST(VacaterManifest, DeclaresPerMonitorDpiAwareness)
{
    std::string exe = ProgramDir() + "\\Vacater.exe";
    ACTCTXA actCtx = {};
    actCtx.cbSize = sizeof actCtx;
    actCtx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    actCtx.lpSource = exe.c_str();
    actCtx.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE context = CreateActCtxA(&actCtx);
    ASSERT_NE(INVALID_HANDLE_VALUE, context) << GetLastError();
    // Windows 10 1607 and later read dpiAwareness (per-monitor V2 first); older ones dpiAware.
    EXPECT_EQ(L"PerMonitorV2, PerMonitor",
              Setting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"));
    EXPECT_EQ(L"true/pm", Setting(context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"));
    ReleaseActCtx(context);
}
