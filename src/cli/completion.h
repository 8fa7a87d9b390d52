// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quantrel::cli {

/// The bash completion script for quantrel-cli, written from the option table (optionTable), so
/// that every option is offered. packaging/completion/quantrel-cli.bash holds it; a test keeps
/// the file and the table in step.
std::string bashCompletionScript();

/// The zsh completion script (packaging/completion/_quantrel-cli), from the same table.
std::string zshCompletionScript();

}  // namespace quantrel::cli
