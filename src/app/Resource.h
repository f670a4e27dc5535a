// Every resource and control id of the program, grouped by the window that uses it. Shared by
// the resource script and the sources, so only plain #defines.
#pragma once

// Icons
#define IDI_KEY 101
#define IDI_STRING 102
#define IDI_BINARY 103
#define IDI_JUMP 104

// Menus and the accelerator table
#define IDM_MAIN 200
#define IDM_LIST 290
#define IDA_MAIN 300

// Menu commands
#define IDM_JUMP 210
#define IDM_COPYKEYNAME 211
#define IDM_EXIT 213
#define IDM_SORTBYNAME 220
#define IDM_SORTBYLOCATION 221
#define IDM_SORTBYDATA 222
#define IDM_SORTBYTYPE 223
#define IDM_SORTBYTIME 224
#define IDM_JUMPDIALOG 230
#define IDM_OPTIONS 231
#define IDM_ABOUT 240

// Main window (dialog 400)
#define IDD_MAIN 400
#define IDC_TAB 100
#define IDC_SEARCH 101
#define IDC_ABORT 102
#define IDC_NEW 103
#define IDC_HISTORY 104
#define IDC_LISTLABEL 105
#define IDC_RESULTLIST 106
#define IDC_STATUSBAR 107
#define IDC_PROGRESS 108

// Search string page (dialog 401)
#define IDD_STRINGPAGE 401
#define IDC_SUBSTRING 100
#define IDC_TARGETGROUP 101
#define IDC_KEY 102
#define IDC_VALUE 103
#define IDC_DATA 104
#define IDC_WHOLEWORD 105
#define IDC_MATCHCASE 106

// Location page (dialog 402)
#define IDD_LOCATIONPAGE 402
#define IDC_ALLROOTS 100
#define IDC_CHOSENROOTS 101
#define IDC_ONEKEY 102
#define IDC_HKCR 200
#define IDC_HKCU 201
#define IDC_HKLM 202
#define IDC_HKU 203
#define IDC_HKCC 204
#define IDC_SUBKEY 300
#define IDC_KEYNAMELABEL 301
#define IDC_KEYNAME 302

// Date and time page (dialog 403)
#define IDD_DATEPAGE 403
#define IDC_TIME 102
#define IDC_AFTER 200
#define IDC_AFTERDATE 201
#define IDC_AFTERTIME 202
#define IDC_AFTERNOW 203
#define IDC_BEFORE 300
#define IDC_BEFOREDATE 301
#define IDC_BEFORETIME 302
#define IDC_BEFORENOW 303
#define IDC_CLOCK 400

// Options dialog (dialog 404)
#define IDD_OPTIONS 404
#define IDC_JUMPCOUNT 100
#define IDC_JUMPCOUNTSPIN 101
#define IDC_CLEARJUMPS 102
#define IDC_SUBSTRINGCOUNT 200
#define IDC_SUBSTRINGCOUNTSPIN 201
#define IDC_CLEARSUBSTRINGS 203
#define IDC_KEYNAMECOUNT 300
#define IDC_KEYNAMECOUNTSPIN 301
#define IDC_CLEARKEYNAMES 303
#define IDC_DEFAULTS 400

// Jump dialog (dialog 405)
#define IDD_JUMP 405
#define IDC_JUMPKEYNAME 100
#define IDC_TOPMOST 101
#define IDC_JUMPGRIP 102

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
