// The registry subtrees the Windows tests create. The Unicode and the ANSI test programs run at
// the same time in one Wine prefix, so each has its own.
#pragma once

#include "KeyfinchChar.h"

#if defined(KEYFINCH_ANSI)
#define TEST_KEY(name) KT("Software\\KeyfinchTest\\Ansi\\") KT(name)
#else
#define TEST_KEY(name) KT("Software\\KeyfinchTest\\Unicode\\") KT(name)
#endif
