// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>

#include <QDialog>

class QTextBrowser;

namespace quantrel::ui {

/// The user guide in a window of the program: a text browser over the installed HTML, so that
/// it reads without a desktop browser. Links inside the guide stay in it; links to the web go
/// to the desktop.
class GuideWindow : public QDialog {
    Q_OBJECT

public:
    /// A window over the guide at `guide`.
    explicit GuideWindow(const std::filesystem::path& guide, QWidget* parent = nullptr);

    /// The browser showing the guide.
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_ = nullptr;
};

}  // namespace quantrel::ui
