// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTextBrowser>

namespace quantrel::ui {

/// One line of the hint panel (the information line or the error line): read-only rich text in
/// the palette's colours, without caret or frame, whose height follows its text at the width
/// the layout gives it.
class HintLine : public QTextBrowser {
    Q_OBJECT

public:
    /// A hidden, empty line.
    explicit HintLine(QWidget* parent = nullptr);

    /// Shows `html` and fits the height to it; an empty text hides the line.
    void setRichText(const QString& html);
    /// The text as shown, without markup.
    QString plainText() const { return toPlainText(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitHeight();
};

}  // namespace quantrel::ui
