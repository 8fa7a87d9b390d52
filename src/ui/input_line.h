// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include <QColor>
#include <QPlainTextEdit>

#include "core/calculator.h"

class QSyntaxHighlighter;

namespace quantrel::ui {

/// The colours of the pieces of an input line, chosen for a palette: quiet and distinct on a
/// light or a dark base.
struct InputColours {
    QColor number, unit, function, operation, error;
};
/// The colours for `palette`; `error` is the colour of the error span.
InputColours inputColours(const QPalette& palette, const QColor& error);

/// The single-line input of the main window. It colours its text by the pieces the engine cuts
/// it into (numbers, units, functions, operators) and marks the offending span of a failed
/// evaluation in the error colour. Enter is left to the window (whose default button
/// evaluates), Up and Down ask for earlier inputs, Tab and Shift+Tab ask for a completion,
/// Escape is reported, pasted line breaks become spaces.
class InputLine : public QPlainTextEdit {
    Q_OBJECT

public:
    /// Where the pieces of a text and their kinds come from.
    using SpanSource = std::function<std::vector<TokenSpan>(std::string_view)>;

    /// An empty input line.
    explicit InputLine(QWidget* parent = nullptr);
    ~InputLine() override;

    /// The whole text.
    QString text() const { return toPlainText(); }
    /// Colours the text by the pieces `source` finds.
    void setSpanSource(SpanSource source);
    /// The colours of the pieces and of the mark.
    void setColours(const InputColours& colours);
    const InputColours& colours() const { return colours_; }
    /// Colours the characters [begin, end) in the error colour until clearMarks().
    void markRange(int begin, int end);
    /// Returns the marked characters to the colours of their pieces.
    void clearMarks();
    /// Selects [anchor, position), clipped to the text; the caret goes to `position`.
    void select(int anchor, int position);
    /// Gives the focus to the next (or previous) widget, as Tab does where nothing completes.
    void passFocus(bool next) { focusNextPrevChild(next); }

signals:
    /// A key came up in the line.
    void keyReleased(int key);
    /// Up (`older`) or Down was pressed: the window puts an earlier input in the line.
    void recallRequested(bool older);
    /// Tab (`forward`) or Shift+Tab was pressed.
    void completionRequested(bool forward);
    /// Escape was pressed in the line.
    void escapePressed();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;

private:
    class Highlighter;
    Highlighter* highlighter_ = nullptr;
    InputColours colours_;
};

}  // namespace quantrel::ui
