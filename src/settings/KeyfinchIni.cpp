// The settings of the windows. Until they are kept in a file, every start gets the start values.
#include "KeyfinchIni.h"

#include <windows.h>
#include <commctrl.h>
#include "DialogHelpers.h"
#include "KeyfinchList.h"
#include "KeyfinchMain.h"
#include "Resource.h"

static const int DefaultColumnWidths[] = {100, 200, 100, 100, 100};

void LoadSettings()
{
    for (int id : {IDC_KEY, IDC_VALUE, IDC_DATA})
        CheckDlgButton(StringPage, id, BST_CHECKED);
    CheckRadioButton(LocationPage, IDC_ALLROOTS, IDC_ONEKEY, IDC_ALLROOTS);
    for (int id = IDC_HKCR; id <= IDC_HKCC; ++id)
        CheckDlgButton(LocationPage, id, BST_CHECKED);
    CheckDlgButton(LocationPage, IDC_SUBKEY, BST_CHECKED);
    PostCommand(LocationPage, IDC_ALLROOTS, BN_CLICKED);
#if !defined(KEYFINCH_ANSI)
    for (int id : {IDC_AFTER, IDC_BEFORE})
        PostCommand(DatePage, id, BN_CLICKED);
#endif
    for (int column = 0; column < ResultColumnCount; ++column)
        SendMessage(ResultList, LVM_SETCOLUMNWIDTH, column, DefaultColumnWidths[column]);
    MainShowCommand = SW_SHOWNORMAL;
    JumpDialogVisible = false;
    SelectTabPage(TabControl, 0);
}

void SaveSettings()
{
}
