// The settings: put into the windows when the main window is created, taken from them when it
// is destroyed.
#pragma once

void LoadSettings();
void SaveSettings();
