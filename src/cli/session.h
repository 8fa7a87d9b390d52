// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/options.h"

namespace quantrel {
class Calculator;
}

namespace quantrel::cli {

/// The prompt of the interactive session.
inline constexpr std::string_view kPrompt = "> ";

/// Line input for the interactive session: readline on a terminal, a script in tests.
class LineEditor {
public:
    virtual ~LineEditor() = default;
    /// Shows `prompt` and reads one line; none at the end of the input.
    virtual std::optional<std::string> readLine(std::string_view prompt) = 0;
    /// Remembers a line the user entered.
    virtual void addHistory(const std::string& line) = 0;
};

/// Runs the interactive session until the end of the input or "quit" / "exit". What one read
/// gives is split into lines (a paste of several), each taken as if typed and added to the
/// history on its own: "help" and "?" show the help page, "?X" answers a question (answerText),
/// a comment line is skipped, a " #" comment is dropped, every other line that is not blank is
/// evaluated. A result goes to `out`; an error goes to `err` as a marker line under the input
/// (after the prompt; the line is shown again, escaped, when it held control characters or came
/// from a paste) and the full message, in red when `colour` is set, with quoted input escaped
/// (safeText). Returns Success when every line succeeded, LineFailed otherwise.
ExitCode runSession(Calculator& calculator, LineEditor& editor, std::ostream& out,
                    std::ostream& err, bool colour);

/// The history file: $XDG_STATE_HOME/quantrel/history when that is an absolute path, otherwise
/// $HOME/.local/state/quantrel/history; none without either. Arguments may be null.
std::optional<std::filesystem::path> historyFile(const char* xdgStateHome, const char* home);

/// Makes sure the history file exists and only its owner can read or write it: creates the
/// missing directories (the last one readable by the owner alone) and the file with mode 0600, and
/// takes the group's and others' permissions from an existing file. Returns false when the file
/// cannot be used.
bool prepareHistoryFile(const std::filesystem::path& file);

/// Whether output to the terminal `fd` may be coloured: it is a terminal, NO_COLOR is unset or
/// empty, and TERM is not "dumb".
bool useColour(int fd);

}  // namespace quantrel::cli
