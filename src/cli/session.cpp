// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/session.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <ostream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "cli/batch.h"
#include "cli/marker.h"
#include "cli/name_queries.h"
#include "cli/safe_text.h"
#include "core/calculator.h"
#include "core/settings_search.h"

namespace quantrel::cli {

namespace {

constexpr std::string_view kRed = "\033[31m";
constexpr std::string_view kBoldRed = "\033[1;31m";
constexpr std::string_view kReset = "\033[0m";

bool isQuitCommand(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return line == "quit" || line == "exit";
}

// The marks under the failing part of `line`, and the message. The marks stand under the line
// as the prompt showed it; when it was not shown as it is read (a control character shown
// escaped, a later line of a paste), the line is shown again first, escaped, to mark under.
void showError(std::ostream& err, std::string_view line, const Error& error, bool colour,
               bool shownAtPrompt) {
    const std::string indent(static_cast<std::size_t>(displayColumns(kPrompt)), ' ');
    if (const std::optional<Span> span = highlightSpan(error, line)) {
        const SafeText safe = safeTextWithOffsets(line);
        const auto at = [&](int offset) {
            return static_cast<int>(safe.offsets[static_cast<std::size_t>(
                std::clamp<int>(offset, 0, static_cast<int>(line.size())))]);
        };
        if (!shownAtPrompt || safe.text != line) err << indent << safe.text << '\n';
        const std::string marker =
            indent + markerLine(safe.text, Span{at(span->begin), at(span->end)});
        if (colour) {
            // Colour only the marks, so the blanks before them stay plain.
            const std::size_t marks = marker.find('^');
            err << marker.substr(0, marks) << kBoldRed << marker.substr(marks) << kReset << '\n';
        } else {
            err << marker << '\n';
        }
    }
    const std::string message = safeText(error.message(line));
    if (colour) {
        err << kRed << message << kReset << '\n';
    } else {
        err << message << '\n';
    }
}

/// "  did you mean: km, kmh?" when the line failed on a name the calculator does not know and
/// some known names are close to it; nothing otherwise.
void showSuggestions(std::ostream& err, const Calculator& calculator, const Error& error) {
    const std::optional<std::string> name = Calculator::unknownName(error);
    if (!name) return;
    const std::vector<std::string> names = calculator.closestNames(*name);
    if (names.empty()) return;
    err << "  did you mean: ";
    for (std::size_t i = 0; i < names.size(); ++i)
        err << (i == 0 ? "" : ", ") << safeText(names[i]);
    err << "?\n";
}

// The lines of what one read gave: a paste of several lines arrives as one text.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (true) {
        const std::size_t end = text.find_first_of("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        // CR LF is one line end.
        const std::size_t next = text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
        text.remove_prefix(next);
    }
    return lines;
}

// "help" asks for the help page, unless the settings give that name a meaning of their own.
bool isHelpCommand(const Calculator& calculator, std::string_view line) {
    std::string_view word = line;
    while (!word.empty() && isBlankChar(word.front()))
        word.remove_prefix(1);
    while (!word.empty() && isBlankChar(word.back()))
        word.remove_suffix(1);
    return word == "help" && calculator.describe(word).kind == HintKind::None;
}

}  // namespace

ExitCode runSession(Calculator& calculator, LineEditor& editor, std::ostream& out,
                    std::ostream& err, bool colour) {
    bool allSucceeded = true;
    while (const std::optional<std::string> read = editor.readLine(kPrompt)) {
        const std::vector<std::string_view> lines = splitLines(*read);
        // Each line of a paste is taken as if it had been typed on its own.
        for (const std::string_view typed : lines) {
            if (isBlank(typed)) continue;
            editor.addHistory(std::string(typed));
            if (isQuitCommand(typed))
                return allSucceeded ? ExitCode::Success : ExitCode::LineFailed;
            if (isComment(typed)) continue;
            const std::string_view line = withoutComment(typed);
            if (isHelpCommand(calculator, line)) {
                out << sessionHelpText() << std::flush;
                continue;
            }
            if (const std::optional<std::string> question = questionName(line)) {
                out << answerText(calculator, *question) << std::flush;
                continue;
            }
            try {
                const EvaluationResult result = calculator.evaluate(line);
                out << result.text << '\n';
                // How the line was read, where it reads unlike its look: a line of its own.
                if (!result.note.empty()) out << "  (" << safeText(result.note) << ")\n";
                out.flush();
            } catch (const Error& error) {
                allSucceeded = false;
                out.flush();
                showError(err, line, error, colour, lines.size() == 1);
                showSuggestions(err, calculator, error);
                err.flush();
            } catch (const std::exception& error) {
                allSucceeded = false;
                out.flush();
                err << "Error: " << safeText(error.what()) << '\n' << std::flush;
            }
        }
    }
    return allSucceeded ? ExitCode::Success : ExitCode::LineFailed;
}

std::optional<std::filesystem::path> historyFile(const char* xdgStateHome, const char* home) {
    const std::optional<std::filesystem::path> directory = stateDirectory(xdgStateHome, home);
    if (!directory) return std::nullopt;
    return *directory / "history";
}

bool prepareHistoryFile(const std::filesystem::path& file) {
    const std::filesystem::path directory = file.parent_path();
    std::error_code error;
    if (!directory.empty() && !std::filesystem::is_directory(directory, error)) {
        std::filesystem::create_directories(directory.parent_path(), error);
        if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) return false;
    struct stat status {};
    const bool usable = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    // A history written while it was readable by others is made private now. (A file that is not
    // the user's own cannot be changed and is used as it is.)
    if (usable && (status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        [[maybe_unused]] const int ignored = ::fchmod(fd, status.st_mode & S_IRWXU);
    }
    ::close(fd);
    return usable;
}

bool useColour(int fd) {
    if (::isatty(fd) == 0) return false;
    // An empty NO_COLOR counts as unset.
    if (const char* noColour = std::getenv("NO_COLOR"); noColour != nullptr && *noColour != '\0') {
        return false;
    }
    const char* term = std::getenv("TERM");
    return term == nullptr || std::string_view(term) != "dumb";
}

}  // namespace quantrel::cli
