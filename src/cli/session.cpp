// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/session.h"

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
#include "core/calculator.h"

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

void showError(std::ostream& err, std::string_view line, const Error& error, bool colour) {
    if (const std::optional<Span> span = highlightSpan(error, line)) {
        const std::string marker =
            std::string(static_cast<std::size_t>(displayColumns(kPrompt)), ' ') +
            markerLine(line, *span);
        if (colour) {
            // Colour only the marks, so the blanks before them stay plain.
            const std::size_t marks = marker.find('^');
            err << marker.substr(0, marks) << kBoldRed << marker.substr(marks) << kReset << '\n';
        } else {
            err << marker << '\n';
        }
    }
    if (colour) {
        err << kRed << error.message(line) << kReset << '\n';
    } else {
        err << error.message(line) << '\n';
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
        err << (i == 0 ? "" : ", ") << names[i];
    err << "?\n";
}

}  // namespace

ExitCode runSession(Calculator& calculator, LineEditor& editor, std::ostream& out,
                    std::ostream& err, bool colour) {
    bool allSucceeded = true;
    while (std::optional<std::string> line = editor.readLine(kPrompt)) {
        if (isBlank(*line)) continue;
        editor.addHistory(*line);
        if (isQuitCommand(*line)) return allSucceeded ? ExitCode::Success : ExitCode::LineFailed;
        if (const std::optional<std::string> name = questionName(*line)) {
            out << describeText(calculator, *name) << std::flush;
            continue;
        }
        try {
            const EvaluationResult result = calculator.evaluate(*line);
            out << result.text << '\n';
            // How the line was read, where it reads unlike its look: a line of its own.
            if (!result.note.empty()) out << "  (" << result.note << ")\n";
            out.flush();
        } catch (const Error& error) {
            allSucceeded = false;
            out.flush();
            showError(err, *line, error, colour);
            showSuggestions(err, calculator, error);
            err.flush();
        } catch (const std::exception& error) {
            allSucceeded = false;
            out.flush();
            err << "Error: " << error.what() << '\n' << std::flush;
        }
    }
    return allSucceeded ? ExitCode::Success : ExitCode::LineFailed;
}

std::optional<std::filesystem::path> historyFile(const char* xdgStateHome, const char* home) {
    if (xdgStateHome != nullptr && *xdgStateHome != '\0') {
        const std::filesystem::path state(xdgStateHome);
        if (state.is_absolute()) return state / "quantrel" / "history";
    }
    if (home != nullptr && *home != '\0') {
        return std::filesystem::path(home) / ".local" / "state" / "quantrel" / "history";
    }
    return std::nullopt;
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
