// SPDX-License-Identifier: GPL-3.0-or-later
// A front end that reaches past the calculator.
#include "syntax/tokenizer.h"
