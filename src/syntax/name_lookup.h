// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string_view>

namespace quantrel {

struct Unit;
struct Function;

/// What the tokenizer asks about a name. The settings' registry answers; tests may answer from
/// a small table.
class NameLookup {
public:
    /// The unit with exactly this symbol, or nullptr.
    virtual const Unit* findUnit(std::string_view symbol) const = 0;
    /// The function with exactly this name, or nullptr.
    virtual const Function* findFunction(std::string_view name) const = 0;

protected:
    NameLookup() = default;
    NameLookup(const NameLookup&) = default;
    NameLookup& operator=(const NameLookup&) = default;
    ~NameLookup() = default;
};

}  // namespace quantrel
