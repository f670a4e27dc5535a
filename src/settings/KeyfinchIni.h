// The settings file beside the program: read into the windows when the main window is created,
// written from them when it is destroyed.
#pragma once

#include <cstdint>

// How many of the newest entries of each history the file keeps (set in the options dialog).
extern int32_t SubStringMaxCount;
extern int32_t KeyNameMaxCount;
extern int32_t JumpHistoryMaxCount;

const int32_t DefaultSubStringMaxCount = 5;
const int32_t DefaultKeyNameMaxCount = 5;
const int32_t DefaultJumpHistoryMaxCount = 20;

void LoadSettings();
void SaveSettings();
