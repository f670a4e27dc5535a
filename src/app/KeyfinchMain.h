// The main window and the program-wide state that the other windows reach directly.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include "KeyfinchChar.h"

// Set while the main window initialises, valid until it is destroyed.
extern HWND MainWindow;
extern HWND StringPage;
extern HWND LocationPage;
extern HWND DatePage;  // none in the ANSI program
extern HWND JumpDialog;
extern HWND TabControl;
extern HWND SearchButton;
extern HWND AbortButton;
extern HWND NewButton;
extern HWND HistoryButton;
extern HWND ListLabel;
extern HWND ResultList;
extern HWND StatusBar;
extern HWND ProgressBar;
extern HIMAGELIST ResultImageList;
extern SIZE MinTrackSize;
extern WNDPROC ListDefaultProc;

// Start-up state (KeyfinchNT.cpp). The label of a key's unnamed value is read by the search
// thread, so it lives as long as the process.
extern TString& DefaultValueLabel;
extern HACCEL MainAccelerators;
extern int MainShowCommand;
extern bool JumpDialogVisible;

// KeyfinchMain.cpp: the window, its layout and its pages.
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void LayoutMainWindow(WPARAM wParam, LPARAM lParam);
void ShowSelectedPage();
void InitMainControls();
// One part of the status bar: 0 the message, 1 the time, 2 the progress.
void SetStatusText(int part, const TString& text);

// KeyfinchCommands.cpp: the menu, button and list commands.
void OnMainCommand(int id);
void UpdateMenuItems(HMENU menu);
LRESULT CALLBACK ListSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ShowListContextMenu();
void CopyKeyName();
void ResetConditions();
