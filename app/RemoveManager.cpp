#include "RemoveManager.h"
#include "EjectPasses.h"
#include "EjectReport.h"
#include "EjectSettings.h"
#include "Picture.h"
#include "Splash.h"
#include "debug.h"
#include <cstring>
#include <string>
#include <windows.h>

namespace {

const int COMMAND_BUFFER = 512;
const unsigned long REPORT_BUFFER = 16000;

// The wide traces show file names and captions as readable text.
std::wstring Wide(const char* text)
{
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &w[0], n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

} // namespace

CRemoveManager::CRemoveManager() {}

CRemoveManager::~CRemoveManager() {}

EjectResult CRemoveManager::EjectVaultik()
{
    DebugTrace(0, "--> CRemoveManager::EjectVaultik\n");
    CEjectSettings settings = ReadEjectSettings(EJECT_SETTINGS_FILE);

    CSplashWnd* pRemoveSplash = nullptr;
    if (settings.removeSplash.IsEmpty()) {
        DebugTraceW(0, L"No Splash file defined ! ");
    } else {
        DebugTraceW(0, L"Using SplashScreen %ls ... ", Wide(settings.removeSplash).c_str());
        HBITMAP hBitmap = LoadPictureFile(settings.removeSplash);
        if (hBitmap) {
            pRemoveSplash = CSplashWnd::ShowSplashScreen(nullptr, hBitmap, 0,
                                                         settings.removing.IsEmpty() ? 0 : WS_CAPTION);
            if (pRemoveSplash) {
                CSplashWnd::SetSplashText(pRemoveSplash, SplashWindowText(settings.removing, EJECT_DEFAULT_REMOVING));
                DebugTraceW(0, L"Called ShowSplashScreen and set text %ls ", Wide(settings.removing).c_str());
            }
        }
    }

    bool ejected1 = false, ejected2 = false;
    Eject(EJECT_COMMAND_1, &ejected1);
    EjectResult result = Eject(EJECT_COMMAND_2, &ejected2);

    if (pRemoveSplash) CSplashWnd::HideSplashScreen(pRemoveSplash);

    bool showEjectOK = ShowsEjectOKSplash(ReadEjectOKOnlyEjected(EJECT_SETTINGS_FILE), ejected1 || ejected2);
    if (!showEjectOK)
        DebugTrace(0, "CRemoveManager::EjectVaultik: EjectOKOnlyEjected is set and no device was ejected, "
                      "no EjectOK splash\r\n");
    if (showEjectOK && !settings.ejectOKSplash.IsEmpty()) {
        HBITMAP hBitmap = LoadPictureFile(settings.ejectOKSplash);
        if (hBitmap) {
            int displayTime = ReadEjectOKTime(EJECT_SETTINGS_FILE);
            CSplashWnd* pOKSplash = CSplashWnd::ShowSplashScreen(nullptr, hBitmap, static_cast<UINT>(displayTime),
                                                                 settings.ejectOK.IsEmpty() ? 0 : WS_CAPTION);
            DebugTraceW(0, L"Called SowSplashScreen wit image %ls and time %ld ", Wide(settings.ejectOKSplash).c_str(),
                        static_cast<long>(displayTime));
            if (pOKSplash) CSplashWnd::SetSplashText(pOKSplash, SplashWindowText(settings.ejectOK, EJECT_DEFAULT_EJECTOK));
            // The splash hides itself once this thread dispatches its timer again.
            Sleep(static_cast<DWORD>(displayTime));
        }
    }

    DebugTrace(0, "<-- CRemoveManager::EjectVaultik returns %ld\n", static_cast<long>(result));
    return result;
}

EjectResult CRemoveManager::Eject(CString command, bool* pDeviceEjected)
{
    ZDHANDLE handle = ZDAPI_CreateHandle();
    char commandText[COMMAND_BUFFER];
    strncpy(commandText, command, COMMAND_BUFFER - 1);
    commandText[COMMAND_BUFFER - 1] = '\0';

    EjectPasses loop;
    bool goOn = true;
    while (goOn) {
        long devicesEjected = 0;
        DebugTrace(0, "Eject: <%s> \r\n", commandText);
        EjectResult ret = EjectDevice(handle, 0, commandText, &devicesEjected);
        // "EJECTED" or a count of ejected devices: the report says a device went.
        if (pDeviceEjected && (ret == EJECT_RESULT_DONE || devicesEjected != 0)) *pDeviceEjected = true;
        goOn = loop.Take(ret, devicesEjected);
    }
    EjectResult result = loop.result;

    ZDAPI_CloseHandle(&handle);
    DebugTrace(0, "<-- CRemoveManager::Eject: returns=%i \r\n", static_cast<int>(result));
    return result;
}

EjectResult CRemoveManager::EjectDevice(ZDHANDLE handle, unsigned long flags, const char* command, long* pDevicesEjected)
{
    char buffer[REPORT_BUFFER];
    memset(buffer, 0, sizeof buffer);
    unsigned long length = 0;
    long devicesEjected = 0;
    EjectResult iRet = EJECT_RESULT_INCONCLUSIVE;

    ZDAPI_ZevDevExec(handle, flags, command);

    ZDAPI_GetOutput(handle, buffer, REPORT_BUFFER, &length);
    if (buffer[0]) {
        DebugTrace(0, "CRemoveManager::EjectDevice: output\r\n\t%s\r\n*******************\r\n", buffer);
        FindDevicesEjected(buffer, &devicesEjected);
        DebugTrace(0, "CRemoveManager::EjectDevice: set DevicesEjected to %ld\r\n", devicesEjected);
    }

    ZDAPI_ParseCurrentOutput(handle, 0);

    ZDAPI_GetDevice(handle, 0, buffer, REPORT_BUFFER, &length);
    if (buffer[0]) DebugTrace(0, "CRemoveManager::EjectDevice:\r\n%s", buffer);

    ZDAPI_GetDeviceInfo(handle, 0, "info", buffer, REPORT_BUFFER, &length);
    switch (ClassifyEjectInfo(buffer)) {
    case EJECT_INFO_EJECTED:
        iRet = EJECT_RESULT_DONE;
        break;
    case EJECT_INFO_FAILED:
        ZDAPI_GetDeviceInfo(handle, 0, "error", buffer, REPORT_BUFFER, &length);
        iRet = EjectErrorResult(buffer);
        break;
    case EJECT_INFO_NONE:
        break;
    }

    if (pDevicesEjected) *pDevicesEjected = devicesEjected;
    DebugTrace(0, "<-- CRemoveManager::EjectDevice: iRet=%i with DevicesEjected=%ld\r\n", static_cast<int>(iRet),
               devicesEjected);
    return iRet;
}
