// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QPlainTextEdit>

namespace quantrel::ui {

/// The single-line input of the main window. Unlike a line edit it can colour parts of its
/// text, which marks the offending span of a failed evaluation. Enter is left to the window
/// (whose default button evaluates), Up and Down ask for earlier inputs, pasted line breaks
/// become spaces.
class InputLine : public QPlainTextEdit {
    Q_OBJECT

public:
    /// An empty input line.
    explicit InputLine(QWidget* parent = nullptr);

    /// The whole text.
    QString text() const { return toPlainText(); }
    /// Colours the characters [begin, end) in the mark colour; nothing else of their format
    /// changes.
    void markRange(int begin, int end);
    /// The colour of marked characters; red (255, 0, 0) by default.
    void setMarkColour(const QColor& colour) { markColour_ = colour; }
    /// Returns every character to the default colour.
    void clearMarks();
    /// Selects [anchor, position), clipped to the text; the caret goes to `position`.
    void select(int anchor, int position);

signals:
    /// A key went down in the line, before the line handles it.
    void keyPressed();
    /// A key came up in the line.
    void keyReleased(int key);
    /// Up (`older`) or Down was pressed: the window puts an earlier input in the line.
    void recallRequested(bool older);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;

private:
    QColor markColour_{255, 0, 0};
};

}  // namespace quantrel::ui
