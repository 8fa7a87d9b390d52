// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quantrel::ui {

/// One calculation of the history: the line as typed and what it gave.
struct HistoryEntry {
    std::string input;
    std::string result;   ///< the result text, or the error's text for a failed line
    bool failed = false;  ///< the line failed; `result` holds the error

    friend bool operator==(const HistoryEntry&, const HistoryEntry&) = default;
};

/// The calculations made, oldest first, at most kMaxEntries of them, with a walk through the
/// earlier inputs as a shell's Up and Down keys do.
class History {
public:
    /// The oldest entries go when more are added.
    static constexpr std::size_t kMaxEntries = 1000;

    /// The entries, oldest first.
    const std::deque<HistoryEntry>& entries() const { return entries_; }
    /// Appends `entry`, dropping the oldest beyond kMaxEntries, and ends any walk.
    void add(HistoryEntry entry);
    /// Replaces every entry (the newest kMaxEntries of `entries` are kept) and ends any walk.
    void assign(std::vector<HistoryEntry> entries);
    /// Forgets every entry.
    void clear();

    /// One step back in the walk through earlier inputs, from the line `current` shows now:
    /// the next older input that differs from `current`, or nothing at the oldest. The first
    /// step keeps `current` as the draft that stepping forward past the newest gives back.
    std::optional<std::string> older(std::string_view current);
    /// One step forward: the next newer input that differs from `current`, then the draft; or
    /// nothing when no walk is under way.
    std::optional<std::string> newer(std::string_view current);
    /// Ends the walk: the next older() starts again from the newest entry.
    void endWalk();

private:
    std::deque<HistoryEntry> entries_;
    std::size_t position_ = 0;  // index of the input shown; entries_.size(): the draft
    bool walking_ = false;
    std::string draft_;
};

/// Where the history is kept: $XDG_STATE_HOME/quantrel/window-history when that variable holds an
/// absolute path, else $HOME/.local/state/quantrel/window-history; nothing without either.
std::optional<std::filesystem::path> historyFilePath(const char* stateHome, const char* home);

/// The history file's content for `entries`.
std::string serializeHistory(const std::deque<HistoryEntry>& entries);

/// What reading a history file gave.
struct LoadedHistory {
    std::vector<HistoryEntry> entries;
    /// Why the file was ignored (damaged, unreadable); nothing when it was read or is missing.
    std::optional<std::string> problem;
};

/// Reads the content of a history file; a damaged one gives no entries and a problem.
LoadedHistory parseHistory(std::string_view content);

/// Reads the history file at `path`. A missing file is an empty history; a file that cannot be
/// read or is damaged gives no entries and a problem naming the file.
LoadedHistory loadHistory(const std::filesystem::path& path);

/// Writes `entries` to `path` so that the file is always whole: a temporary file in the same
/// directory (readable by the owner only), flushed to the disk, then renamed over the old one.
/// Missing directories are made (by the owner only). Returns why it failed, nothing on success;
/// on failure the old file stays as it was.
std::optional<std::string> saveHistory(const std::filesystem::path& path,
                                       const std::deque<HistoryEntry>& entries);

/// The calculations as plain text, one a line, oldest first: "2 km + 300 m = 2.3 km", a failed
/// one as "1 / 0 ! Math: Division by zero".
std::string historyText(const std::deque<HistoryEntry>& entries);

}  // namespace quantrel::ui
