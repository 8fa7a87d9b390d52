// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <optional>

namespace quantrel::ui {

/// The bundled user guide: <prefix>/share/doc/quantrel/guide.html beside the installed
/// executable (<prefix>/bin/quantrel), else `sourceDocs`/guide.html (the build tree's docs
/// directory, for a program run from its build tree). Nothing when neither file exists.
std::optional<std::filesystem::path> findUserGuide(const std::filesystem::path& executable,
                                                   const std::filesystem::path& sourceDocs);

}  // namespace quantrel::ui
