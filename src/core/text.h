// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The engine's ASCII character classes and case folding, for the front ends, which see the
// engine through core only.

#include "xmlParser/ascii.h"
