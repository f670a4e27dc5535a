// Jumping to a key in the registry editor: driving the editor from outside, the jump dialog, and
// the history of earlier jumps.
#pragma once

#include <windows.h>

#include <vector>
#include "KeyfinchChar.h"

// One jump: the key as it was passed, and the selected value (empty for the key itself; the
// unnamed value under DefaultValueLabel).
struct TJumpHistory {
    TString KeyName;
    TString ValueName;
};

// Oldest first, newest last; unique as pairs, compared without regard to case.
extern std::vector<TJumpHistory> JumpHistory;

// JumpToKey.cpp: the registry editor. InitRemoteMemory runs once at start-up.
void InitRemoteMemory();
void* RemoteAlloc(HANDLE process, DWORD size);
void RemoteFree(HANDLE process, void* buffer);
void RemoteRead(HANDLE process, const void* buffer, void* local, DWORD size);
void RemoteWrite(HANDLE process, void* buffer, const void* local, DWORD size);
// Shows the key, and the value when valueName is not empty, in the registry editor, starting
// the editor when none runs. owner is the window where the jump was asked for.
void JumpToKey(const TString& keyName, const TString& valueName, HWND owner);

// KeyfinchJump.cpp: the jump dialog and the commands of the main window.
INT_PTR CALLBACK JumpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void AddJumpHistory(const TJumpHistory& entry);
void DeleteJumpHistory(size_t index);
void ShowJumpDialog();
void JumpToSelectedResult();
void ShowJumpHistory();
