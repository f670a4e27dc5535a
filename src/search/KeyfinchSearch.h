// The search thread: starting and stopping a search from the main window, its progress and
// what it leaves in the window when it ends.
#pragma once

#include "Registry.h"
#include "SearchConditions.h"
#include "Walk.h"

// The search thread reads these; they live as long as the process, so a search still running
// when the program ends never reads freed memory.
extern TSearchConditions& SearchConditions;
extern TSearchState& SearchState;
extern TRegistry& SystemRegistry;
// The expected key count of a full search, the denominator of the percentage.
extern int32_t AllKeyCount;

void StartSearch();
void AbortSearch();
void ShowProgress(const TString& path);
// Raises the stop request when the main window closes; nothing waits for the thread.
void StopSearchAtExit();
