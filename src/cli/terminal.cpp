// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/terminal.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

// readline's headers use FILE without including <stdio.h> themselves. They only declare what is
// looked up below: the program is not linked against readline.
#include <readline/history.h>
#include <readline/readline.h>

#include "cli/name_queries.h"
#include "cli/options.h"
#include "cli/safe_text.h"
#include "cli/session.h"
#include "core/calculator.h"

namespace quantrel::cli {

namespace {

#define QUANTREL_STRINGIFY_VALUE(x) #x
#define QUANTREL_STRINGIFY(x) QUANTREL_STRINGIFY_VALUE(x)
// readline's shared library carries its major version in its name.
constexpr const char* kReadlineLibrary = "libreadline.so." QUANTREL_STRINGIFY(RL_VERSION_MAJOR);
#undef QUANTREL_STRINGIFY
#undef QUANTREL_STRINGIFY_VALUE

constexpr int kHistoryLines = 1000;

// readline is loaded when an interactive session starts, not when the program does: scripts and
// pipes, the common use, then start without mapping readline and the terminal library.
struct Readline {
    decltype(&::readline) readline = nullptr;
    decltype(&::rl_replace_line) replaceLine = nullptr;
    decltype(&::rl_crlf) crlf = nullptr;
    decltype(&::rl_on_new_line) onNewLine = nullptr;
    decltype(&::rl_redisplay) redisplay = nullptr;
    decltype(&::rl_display_match_list) displayMatchList = nullptr;
    decltype(&::rl_forced_update_display) forcedUpdateDisplay = nullptr;
    decltype(&::rl_ding) ding = nullptr;
    decltype(&::rl_begin_undo_group) beginUndoGroup = nullptr;
    decltype(&::rl_end_undo_group) endUndoGroup = nullptr;
    decltype(&::rl_delete_text) deleteText = nullptr;
    decltype(&::rl_insert_text) insertText = nullptr;
    decltype(&::rl_bind_key) bindKey = nullptr;
    decltype(&::stifle_history) stifleHistory = nullptr;
    decltype(&::read_history) readHistory = nullptr;
    decltype(&::history_truncate_file) truncateHistoryFile = nullptr;
    decltype(&::history_get) historyGet = nullptr;
    decltype(&::add_history) addHistory = nullptr;
    decltype(&::append_history) appendHistory = nullptr;
    decltype(&::rl_line_buffer) lineBuffer = nullptr;
    decltype(&::rl_point) point = nullptr;
    decltype(&::rl_end) end = nullptr;
    decltype(&::rl_readline_name) readlineName = nullptr;
    decltype(&::rl_signal_event_hook) signalEventHook = nullptr;
    decltype(&::history_length) historyLength = nullptr;
    decltype(&::history_base) historyBase = nullptr;
};

template <typename Pointer>
bool lookUp(void* library, const char* name, Pointer& pointer) {
    pointer = reinterpret_cast<Pointer>(::dlsym(library, name));
    return pointer != nullptr;
}

// Loads readline once; null when it is not installed or lacks a name used here.
const Readline* loadReadline() {
    static const std::optional<Readline> loaded = []() -> std::optional<Readline> {
        void* library = ::dlopen(kReadlineLibrary, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return std::nullopt;
        Readline rl;
        const bool complete = lookUp(library, "readline", rl.readline) &&
                              lookUp(library, "rl_replace_line", rl.replaceLine) &&
                              lookUp(library, "rl_crlf", rl.crlf) &&
                              lookUp(library, "rl_on_new_line", rl.onNewLine) &&
                              lookUp(library, "rl_redisplay", rl.redisplay) &&
                              lookUp(library, "rl_display_match_list", rl.displayMatchList) &&
                              lookUp(library, "rl_forced_update_display", rl.forcedUpdateDisplay) &&
                              lookUp(library, "rl_ding", rl.ding) &&
                              lookUp(library, "rl_begin_undo_group", rl.beginUndoGroup) &&
                              lookUp(library, "rl_end_undo_group", rl.endUndoGroup) &&
                              lookUp(library, "rl_delete_text", rl.deleteText) &&
                              lookUp(library, "rl_insert_text", rl.insertText) &&
                              lookUp(library, "rl_bind_key", rl.bindKey) &&
                              lookUp(library, "stifle_history", rl.stifleHistory) &&
                              lookUp(library, "read_history", rl.readHistory) &&
                              lookUp(library, "history_truncate_file", rl.truncateHistoryFile) &&
                              lookUp(library, "history_get", rl.historyGet) &&
                              lookUp(library, "add_history", rl.addHistory) &&
                              lookUp(library, "append_history", rl.appendHistory) &&
                              lookUp(library, "rl_line_buffer", rl.lineBuffer) &&
                              lookUp(library, "rl_point", rl.point) &&
                              lookUp(library, "rl_end", rl.end) &&
                              lookUp(library, "rl_readline_name", rl.readlineName) &&
                              lookUp(library, "rl_signal_event_hook", rl.signalEventHook) &&
                              lookUp(library, "history_length", rl.historyLength) &&
                              lookUp(library, "history_base", rl.historyBase);
        if (!complete) {
            ::dlclose(library);
            return std::nullopt;
        }
        return rl;  // the library stays loaded until the program ends
    }();
    return loaded ? &*loaded : nullptr;
}

// readline calls plain C functions; these are readline and the calculator they use while a
// session runs.
const Readline* activeReadline = nullptr;
const Calculator* completionCalculator = nullptr;
volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

// Ctrl-C abandons the line being typed and starts a fresh prompt, as in a shell.
int onSignalEvent() {
    if (interrupted != 0 && activeReadline != nullptr) {
        interrupted = 0;
        activeReadline->replaceLine("", 0);
        activeReadline->crlf();
        activeReadline->onNewLine();
        activeReadline->redisplay();
    }
    return 0;
}

void listCandidates(const Readline& rl, const std::vector<std::string>& candidates,
                    const std::string& common) {
    std::vector<char*> matches;
    matches.reserve(candidates.size() + 2);
    matches.push_back(const_cast<char*>(common.c_str()));
    int longest = 0;
    for (const std::string& candidate : candidates) {
        matches.push_back(const_cast<char*>(candidate.c_str()));
        longest = std::max(longest, static_cast<int>(candidate.size()));
    }
    matches.push_back(nullptr);
    rl.displayMatchList(matches.data(), static_cast<int>(candidates.size()), longest);
    rl.forcedUpdateDisplay();
}

int completeName(int, int) {
    if (completionCalculator == nullptr || activeReadline == nullptr) return 0;
    const Readline& rl = *activeReadline;
    const std::string_view line(*rl.lineBuffer, static_cast<std::size_t>(*rl.end));
    const Completion completion =
        completeAt(*completionCalculator, line, static_cast<std::size_t>(*rl.point));
    if (completion.candidates.empty()) {
        rl.ding();
        return 0;
    }
    if (completion.replacement.size() > completion.end - completion.begin) {
        rl.beginUndoGroup();
        rl.deleteText(static_cast<int>(completion.begin), static_cast<int>(completion.end));
        *rl.point = static_cast<int>(completion.begin);
        rl.insertText(completion.replacement.c_str());
        rl.endUndoGroup();
    } else if (completion.candidates.size() > 1) {
        listCandidates(rl, completion.candidates, completion.replacement);
    }
    return 0;
}

class ReadlineEditor : public LineEditor {
public:
    ReadlineEditor(const Readline& rl, const Calculator& calculator)
        : rl_(rl), historyFile_(historyFile(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"))) {
        activeReadline = &rl_;
        completionCalculator = &calculator;
        *rl_.readlineName = "quantrel";
        rl_.bindKey('\t', completeName);
        *rl_.signalEventHook = onSignalEvent;
        std::signal(SIGINT, onInterrupt);
        rl_.stifleHistory(kHistoryLines);
        if (historyFile_) {
            // append_history needs the file to exist; the history is the user's alone to read.
            writeHistory_ = prepareHistoryFile(*historyFile_);
            if (!writeHistory_) reportUnwritableHistory();
            rl_.readHistory(historyFile_->c_str());
        }
    }

    ~ReadlineEditor() override {
        if (writeHistory_) rl_.truncateHistoryFile(historyFile_->c_str(), kHistoryLines);
        completionCalculator = nullptr;
        activeReadline = nullptr;
    }

    ReadlineEditor(const ReadlineEditor&) = delete;
    ReadlineEditor& operator=(const ReadlineEditor&) = delete;

    std::optional<std::string> readLine(std::string_view prompt) override {
        const std::string promptText(prompt);
        char* raw = rl_.readline(promptText.c_str());
        if (raw == nullptr) return std::nullopt;
        std::string line(raw);
        std::free(raw);
        return line;
    }

    void addHistory(const std::string& line) override {
        const int length = *rl_.historyLength;
        const HIST_ENTRY* last =
            length > 0 ? rl_.historyGet(*rl_.historyBase + length - 1) : nullptr;
        if (last != nullptr && line == last->line) return;
        rl_.addHistory(line.c_str());
        // Written line by line, so the history survives however the session ends.
        if (writeHistory_ && rl_.appendHistory(1, historyFile_->c_str()) != 0) {
            writeHistory_ = false;
            reportUnwritableHistory();
        }
    }

private:
    // Said once: the session goes on, only its lines are not kept.
    void reportUnwritableHistory() const {
        std::cerr << "quantrel-cli: cannot write the history file "
                  << safeText(historyFile_->string()) << "; this session's lines are not kept\n"
                  << std::flush;
    }

    const Readline& rl_;
    std::optional<std::filesystem::path> historyFile_;
    bool writeHistory_ = false;
};

// Without readline: a prompt and plain lines, no editing, completion or history.
class PlainEditor : public LineEditor {
public:
    std::optional<std::string> readLine(std::string_view prompt) override {
        std::cout << prompt << std::flush;
        std::string line;
        if (!std::getline(std::cin, line)) return std::nullopt;
        return line;
    }
    void addHistory(const std::string&) override {}
};

}  // namespace

ExitCode runTerminalSession(Calculator& calculator) {
    const bool colour = useColour(STDERR_FILENO);
    std::cout << bannerText() << std::flush;
    if (const Readline* rl = loadReadline()) {
        ReadlineEditor editor(*rl, calculator);
        return runSession(calculator, editor, std::cout, std::cerr, colour);
    }
    PlainEditor editor;
    return runSession(calculator, editor, std::cout, std::cerr, colour);
}

}  // namespace quantrel::cli
