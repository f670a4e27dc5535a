// The condition pages of the main window and the collection of the search conditions from them.
#pragma once

#include <windows.h>
#include "KeyfinchChar.h"

INT_PTR CALLBACK StringPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LocationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DatePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Copies the pages into the search conditions; false, after a warning on the page concerned,
// when they cannot make a search.
bool CollectConditions();
bool CollectStringPage();
bool CollectLocationPage();
bool CollectDatePage();
// Moves text to the top of a history combo box, dropping an entry that differs only in case.
void AddToHistory(HWND combo, const TString& text);

inline bool IsChecked(HWND page, int id)
{
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

// Stretches a history combo box to 6 dialog units short of the page's right edge, keeping the
// caret and selection of its edit field.
void StretchComboBox(HWND page, int comboId, int pageWidth);
