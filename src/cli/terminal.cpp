#include "cli/terminal.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>
#include <vector>

// readline's headers use FILE without including <stdio.h> themselves.
#include <readline/history.h>
#include <readline/readline.h>

#include "cli/name_queries.h"
#include "cli/session.h"
#include "core/calculator.h"

namespace quantrel::cli {

namespace {

constexpr int kHistoryLines = 1000;

// readline calls plain C functions; this is the calculator they ask while a session runs.
const Calculator* completionCalculator = nullptr;
volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

// Ctrl-C abandons the line being typed and starts a fresh prompt, as in a shell.
int onSignalEvent() {
    if (interrupted != 0) {
        interrupted = 0;
        rl_replace_line("", 0);
        rl_crlf();
        rl_on_new_line();
        rl_redisplay();
    }
    return 0;
}

void listCandidates(const std::vector<std::string>& candidates, const std::string& common) {
    std::vector<char*> matches;
    matches.reserve(candidates.size() + 2);
    matches.push_back(const_cast<char*>(common.c_str()));
    int longest = 0;
    for (const std::string& candidate : candidates) {
        matches.push_back(const_cast<char*>(candidate.c_str()));
        longest = std::max(longest, static_cast<int>(candidate.size()));
    }
    matches.push_back(nullptr);
    rl_display_match_list(matches.data(), static_cast<int>(candidates.size()), longest);
    rl_forced_update_display();
}

int completeName(int, int) {
    if (completionCalculator == nullptr) return 0;
    const std::string_view line(rl_line_buffer, static_cast<std::size_t>(rl_end));
    const Completion completion =
        completeAt(*completionCalculator, line, static_cast<std::size_t>(rl_point));
    if (completion.candidates.empty()) {
        rl_ding();
        return 0;
    }
    if (completion.replacement.size() > completion.end - completion.begin) {
        rl_begin_undo_group();
        rl_delete_text(static_cast<int>(completion.begin), static_cast<int>(completion.end));
        rl_point = static_cast<int>(completion.begin);
        rl_insert_text(completion.replacement.c_str());
        rl_end_undo_group();
    } else if (completion.candidates.size() > 1) {
        listCandidates(completion.candidates, completion.replacement);
    }
    return 0;
}

class ReadlineEditor : public LineEditor {
public:
    explicit ReadlineEditor(const Calculator& calculator)
        : historyFile_(historyFile(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"))) {
        completionCalculator = &calculator;
        rl_readline_name = "quantrel";
        rl_bind_key('\t', completeName);
        rl_signal_event_hook = onSignalEvent;
        std::signal(SIGINT, onInterrupt);
        stifle_history(kHistoryLines);
        if (historyFile_) {
            std::error_code error;
            std::filesystem::create_directories(historyFile_->parent_path(), error);
            read_history(historyFile_->c_str());
            // append_history needs the file to exist.
            std::ofstream touch(*historyFile_, std::ios::app);
        }
    }

    ~ReadlineEditor() override {
        if (historyFile_) history_truncate_file(historyFile_->c_str(), kHistoryLines);
        completionCalculator = nullptr;
    }

    ReadlineEditor(const ReadlineEditor&) = delete;
    ReadlineEditor& operator=(const ReadlineEditor&) = delete;

    std::optional<std::string> readLine(std::string_view prompt) override {
        const std::string promptText(prompt);
        char* raw = readline(promptText.c_str());
        if (raw == nullptr) return std::nullopt;
        std::string line(raw);
        std::free(raw);
        return line;
    }

    void addHistory(const std::string& line) override {
        const HIST_ENTRY* last =
            history_length > 0 ? history_get(history_base + history_length - 1) : nullptr;
        if (last != nullptr && line == last->line) return;
        add_history(line.c_str());
        // Written line by line, so the history survives however the session ends.
        if (historyFile_) append_history(1, historyFile_->c_str());
    }

private:
    std::optional<std::filesystem::path> historyFile_;
};

}  // namespace

ExitCode runTerminalSession(Calculator& calculator) {
    ReadlineEditor editor(calculator);
    return runSession(calculator, editor, std::cout, std::cerr, useColour(STDERR_FILENO));
}

}  // namespace quantrel::cli
