// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/user_guide.h"

#include <system_error>

namespace quantrel::ui {

std::optional<std::filesystem::path> findUserGuide(const std::filesystem::path& executable,
                                                   const std::filesystem::path& sourceDocs) {
    std::error_code error;
    if (!executable.empty()) {
        const std::filesystem::path installed =
            executable.parent_path() / ".." / "share" / "doc" / "quantrel" / "guide.html";
        if (std::filesystem::is_regular_file(installed, error)) return installed.lexically_normal();
    }
    if (!sourceDocs.empty()) {
        const std::filesystem::path inSource = sourceDocs / "guide.html";
        if (std::filesystem::is_regular_file(inSource, error)) return inSource;
    }
    return std::nullopt;
}

}  // namespace quantrel::ui
