// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <clocale>
#include <string>

namespace quantrel::test {

/// Switches the process to the first installed locale other than "C" (a comma-decimal one when
/// there is one) for one scope, and puts "C" back afterwards. name() is empty when none exists.
class ScopedLocale {
public:
    ScopedLocale() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                                 "ru_RU.UTF-8", "C.UTF-8", "C.utf8"}) {
            if (const char* set = std::setlocale(LC_ALL, name)) {
                name_ = set;
                return;
            }
        }
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, "C"); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    /// The locale now in force, or empty when only "C" is installed.
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

}  // namespace quantrel::test
