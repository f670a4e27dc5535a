// The options dialog: the sizes of the three histories.
#pragma once

void ShowOptionsDialog();
