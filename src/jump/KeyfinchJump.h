// The jump dialog and the commands that jump to a hit or list the earlier jumps.
#pragma once

#include <windows.h>

INT_PTR CALLBACK JumpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void ShowJumpDialog();
void JumpToSelectedResult();
void ShowJumpHistory();
