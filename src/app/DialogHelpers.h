// Dialog and window helpers shared by every window of the program: dialogs built from their
// templates with the message font, program information, the about box, the clipboard writer
// and small window, menu and dialog-unit routines. None keeps state of its own.
#pragma once

#include <windows.h>
#include "KeyfinchChar.h"

// Dialogs
HGLOBAL LoadDialogTemplate(HINSTANCE instance, int resourceId);
HWND CreateDialogFromTemplate(HINSTANCE instance, int resourceId, HWND parent, DLGPROC dialogProc);
INT_PTR DialogBoxFromTemplate(HINSTANCE instance, int resourceId, HWND owner, DLGPROC dialogProc);
int MessageFontPointSize(const LOGFONTW& logFont);

// Program information
TString GetModulePath();
DWORD PlatformId();
WORD WindowsVersion();
void ShowAboutBox();
void CopyTextToClipboard(const TString& text);

// The warning every page and dialog shows for something the user can correct.
void ShowWarning(HWND owner, const KChar* text);

// Windows, menus and dialog units
TString GetWindowTextString(HWND window);
TString GetComboItemText(HWND combo, int index);
bool GetChildRect(HWND window, RECT* rect);
bool MoveWindowRect(HWND window, const RECT& rect, bool repaint);
bool GetWindowSize(HWND window, SIZE* size);
HMENU FindMenuWithItem(HMENU menu, UINT commandId);
bool PostCommand(HWND dialog, int controlId, WORD notificationCode);
int FirstCheckedButton(HWND dialog, int firstId, int lastId);
void AttachToWindowThread(HWND window);
void DetachFromWindowThread(HWND window);
bool PlaceControl(HWND dialog, int controlId, const RECT& dialogUnits, bool repaint);
int DluToPixelsX(HWND dialog, int n);
int DluToPixelsY(HWND dialog, int n);
int PixelsToDluY(HWND dialog, int pixels);
int SelectTabPage(HWND tab, int index);
