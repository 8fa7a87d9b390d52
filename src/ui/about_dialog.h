// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <functional>
#include <utility>

#include <QDialog>

namespace quantrel::ui {

/// The about box: the banner with the version, the whole notice text, a link to the user guide
/// and OK.
/// Escape does not close it; OK and the close box do.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    /// The version shown over the banner: the program's version.
    static constexpr const char* kVersionText = QUANTREL_VERSION;

    /// An about box whose link opens `userGuide` (nothing happens when the path is empty).
    explicit AboutDialog(std::filesystem::path userGuide, QWidget* parent = nullptr);

    /// The notice text: the program's notice and the credit for the random number generator.
    static QString noticeText();
    /// Opens the guide with `opener` instead of the desktop's browser.
    void setGuideOpener(std::function<void()> opener) { opener_ = std::move(opener); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openUserGuide();

    std::filesystem::path userGuide_;
    std::function<void()> opener_;
};

}  // namespace quantrel::ui
