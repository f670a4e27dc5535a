// The program's version, for the version block and the about box.
#pragma once

#define KEYFINCH_VERSION_NUMBERS 2, 6, 1, 0
#define KEYFINCH_FILE_VERSION "2.6.1.0"
#define KEYFINCH_PRODUCT_VERSION "2.6.1"
#define KEYFINCH_DESCRIPTION "Keyfinch 2.6.1"
#define KEYFINCH_COPYRIGHT "Copyright (C) 2026 The Keyfinch developers"
