// SPDX-License-Identifier: GPL-3.0-or-later
// A header that reaches upwards: the layering check must refuse it.
#include "core/calculator.h"
