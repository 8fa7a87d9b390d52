// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/history.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/settings_search.h"

namespace quantrel::ui {
namespace {

// The file: a header line, one line per entry ("=" for a result, "!" for an error, a space,
// the input, a tab, the result), and a closing line with the number of entries, so that a file
// cut short is recognised. Backslashes, tabs and line breaks inside texts are escaped.
constexpr std::string_view kHeader = "quantrel history 1";
constexpr std::string_view kEnd = "end ";
// A history of kMaxEntries long lines stays far below this; anything larger is not ours.
constexpr std::uintmax_t kMaxFileSize = 64u << 20;

void appendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
}

std::optional<std::string> unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

std::optional<HistoryEntry> parseEntry(std::string_view line) {
    if (line.size() < 2 || (line[0] != '=' && line[0] != '!') || line[1] != ' ') {
        return std::nullopt;
    }
    const std::string_view rest = line.substr(2);
    const std::size_t tab = rest.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    std::optional<std::string> input = unescaped(rest.substr(0, tab));
    std::optional<std::string> result = unescaped(rest.substr(tab + 1));
    if (!input || !result) return std::nullopt;
    return HistoryEntry{std::move(*input), std::move(*result), line[0] == '!'};
}

LoadedHistory damaged(std::string why) {
    LoadedHistory loaded;
    loaded.problem = std::move(why);
    return loaded;
}

std::string systemMessage(int error) {
    return std::generic_category().message(error);
}

// Writes all of `data` to `fd`; false with errno set on failure.
bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

void History::add(HistoryEntry entry) {
    entries_.push_back(std::move(entry));
    while (entries_.size() > kMaxEntries)
        entries_.pop_front();
    endWalk();
}

void History::assign(std::vector<HistoryEntry> entries) {
    const std::size_t skipped = entries.size() > kMaxEntries ? entries.size() - kMaxEntries : 0;
    entries_.assign(std::make_move_iterator(entries.begin() + static_cast<std::ptrdiff_t>(skipped)),
                    std::make_move_iterator(entries.end()));
    endWalk();
}

void History::clear() {
    entries_.clear();
    endWalk();
}

std::optional<std::string> History::older(std::string_view current) {
    if (!walking_) {
        walking_ = true;
        position_ = entries_.size();
        draft_ = current;
    }
    for (std::size_t i = position_; i > 0; --i) {
        if (entries_[i - 1].input != current) {
            position_ = i - 1;
            return entries_[position_].input;
        }
    }
    return std::nullopt;
}

std::optional<std::string> History::newer(std::string_view current) {
    if (!walking_) return std::nullopt;
    for (std::size_t i = position_ + 1; i < entries_.size(); ++i) {
        if (entries_[i].input != current) {
            position_ = i;
            return entries_[position_].input;
        }
    }
    walking_ = false;
    return draft_;
}

void History::endWalk() {
    walking_ = false;
    position_ = entries_.size();
    draft_.clear();
}

std::optional<std::filesystem::path> historyFilePath(const char* stateHome, const char* home) {
    const std::optional<std::filesystem::path> directory = stateDirectory(stateHome, home);
    if (!directory) return std::nullopt;
    return *directory / "window-history";
}

std::string serializeHistory(const std::deque<HistoryEntry>& entries) {
    std::string out;
    out += kHeader;
    out += '\n';
    for (const HistoryEntry& entry : entries) {
        out += entry.failed ? "! " : "= ";
        appendEscaped(out, entry.input);
        out += '\t';
        appendEscaped(out, entry.result);
        out += '\n';
    }
    out += kEnd;
    out += std::to_string(entries.size());
    out += '\n';
    return out;
}

LoadedHistory parseHistory(std::string_view content) {
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        // Every line, the last included, ends with a line break.
        if (end == std::string_view::npos) return damaged("it ends in the middle of a line");
        lines.push_back(content.substr(0, end));
        content.remove_prefix(end + 1);
    }
    if (lines.empty() || lines.front() != kHeader) return damaged("it does not begin as expected");
    if (lines.size() < 2 || !lines.back().starts_with(kEnd)) {
        return damaged("its end is missing");
    }
    const std::string_view countText = lines.back().substr(kEnd.size());
    std::size_t count = 0;
    const auto [end, error] =
        std::from_chars(countText.data(), countText.data() + countText.size(), count);
    if (error != std::errc() || end != countText.data() + countText.size() ||
        count != lines.size() - 2) {
        return damaged("its entries are incomplete");
    }
    LoadedHistory loaded;
    loaded.entries.reserve(count);
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        std::optional<HistoryEntry> entry = parseEntry(lines[i]);
        if (!entry) return damaged("line " + std::to_string(i + 1) + " is damaged");
        loaded.entries.push_back(std::move(*entry));
    }
    return loaded;
}

LoadedHistory loadHistory(const std::filesystem::path& path) {
    const auto ignored = [&](const std::string& why) {
        return damaged("The history " + path.string() + " was not loaded: " + why + ".");
    };
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return {};
    if (error) return ignored(error.message());
    if (!std::filesystem::is_regular_file(status)) return ignored("it is not a file");
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return ignored(error.message());
    if (size > kMaxFileSize) return ignored("it is too large");

    std::ifstream file(path, std::ios::binary);
    if (!file) return ignored(systemMessage(errno));
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) return ignored("it cannot be read");
    LoadedHistory loaded = parseHistory(content.str());
    if (loaded.problem) return ignored(*loaded.problem);
    return loaded;
}

std::optional<std::string> saveHistory(const std::filesystem::path& path,
                                       const std::deque<HistoryEntry>& entries) {
    const auto failed = [&](const std::string& why) {
        return "The history could not be saved to " + path.string() + ": " + why + ".";
    };
    const std::filesystem::path directory = path.parent_path();
    std::error_code error;
    if (!directory.empty() && !std::filesystem::is_directory(directory, error)) {
        std::filesystem::create_directories(directory, error);
        if (error) return failed(error.message());
        // Only the owner reads what was calculated.
        std::filesystem::permissions(directory, std::filesystem::perms::owner_all, error);
    }

    std::string temporary = path.string() + ".XXXXXX";
    // mkstemp makes the file readable and writable by the owner only.
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return failed(systemMessage(errno));
    const auto abandon = [&](int savedError) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return failed(systemMessage(savedError));
    };
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0) return abandon(errno);
    if (!writeAll(fd, serializeHistory(entries))) return abandon(errno);
    if (::fsync(fd) != 0) return abandon(errno);
    if (::close(fd) != 0) {
        const int savedError = errno;
        ::unlink(temporary.c_str());
        return failed(systemMessage(savedError));
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int savedError = errno;
        ::unlink(temporary.c_str());
        return failed(systemMessage(savedError));
    }
    // The rename itself reaches the disk with the directory.
    if (const int directoryFd =
            ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        directoryFd >= 0) {
        ::fsync(directoryFd);
        ::close(directoryFd);
    }
    return std::nullopt;
}

std::string historyText(const std::deque<HistoryEntry>& entries) {
    std::string text;
    for (const HistoryEntry& entry : entries)
        text += entry.input + (entry.failed ? " ! " : " = ") + entry.result + '\n';
    return text;
}

}  // namespace quantrel::ui
