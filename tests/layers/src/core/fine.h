// SPDX-License-Identifier: GPL-3.0-or-later
// Including a lower folder is fine.
#include "eval/node.h"
