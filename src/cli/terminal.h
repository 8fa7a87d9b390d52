// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "cli/options.h"

namespace quantrel {
class Calculator;
}

namespace quantrel::cli {

/// The interactive session on a terminal: readline with a prompt, line editing, Tab completion
/// of names and a history kept in the user's state directory (never an error when it cannot be
/// written).
ExitCode runTerminalSession(Calculator& calculator);

}  // namespace quantrel::cli
