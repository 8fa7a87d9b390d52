// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Storage for many small texts that live as long as their owner: copies are packed into chunks
// that never move, so a view into one stays valid until the arena is destroyed, and the whole
// lot is freed at once. The XML reader keeps decoded texts in one; the unit catalogue keeps the
// texts of its units in another.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace quantrel {

class TextArena {
public:
    TextArena() = default;
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;
    TextArena(TextArena&&) noexcept = default;
    TextArena& operator=(TextArena&&) noexcept = default;

    /// A copy of `text` kept by the arena.
    std::string_view keep(std::string_view text) {
        if (text.empty()) return {};
        if (text.size() > left_) {
            const std::size_t size = std::max(kChunk, text.size());
            chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
            free_ = chunks_.back().get();
            left_ = size;
        }
        char* const start = free_;
        text.copy(start, text.size());
        free_ += text.size();
        left_ -= text.size();
        return {start, text.size()};
    }

private:
    static constexpr std::size_t kChunk = 4096;
    std::vector<std::unique_ptr<char[]>> chunks_;
    char* free_ = nullptr;
    std::size_t left_ = 0;
};

}  // namespace quantrel
