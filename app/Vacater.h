// The application object: reads the options, relocates the program to the temporary
// directory or runs the removal dialog, and writes the clean-up batch at the end.
#pragma once
#include "CString.h"
#include "CWinApp.h"
#include <windows.h>

class CRemoveDlg;

class CRemoveApp : public CWinApp {
public:
    CRemoveApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Copies the package to %Temp% and starts the copy there (FALSE: end this instance), or
    // creates the removal dialog as main window (TRUE: keep running).
    BOOL CopyAndRestart();
    // Writes "remove.bat" into %Temp% and starts it hidden (nothing with "/RemoveOnly").
    void CleanUp(BOOL bInit);

    bool m_bCleanUp;
    CRemoveDlg* m_pRemoveDlg;
    CString m_removeApplication;
    long m_removeOnly;
    long m_cleanUpOnly;
    long m_sleep;
    CString m_currentPath;
    CString m_removeSplash;
    CString m_removeOKSplash;
    CString m_rmDir;
    CString m_rmAbsDir;
    CString m_vkDriveLetter;

private:
    // Stores one option; returns false when the option ends the reading ("/Sleep").
    bool TakeOption(const char* key, const char* value);
};
