// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/input_line.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>

namespace quantrel::ui {

InputLine::InputLine(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    setUndoRedoEnabled(true);
    document()->setDocumentMargin(1);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
}

void InputLine::markRange(int begin, int end) {
    const int length = document()->characterCount() - 1;  // without the closing paragraph mark
    begin = std::clamp(begin, 0, length);
    end = std::clamp(end, begin, length);
    if (begin == end) return;
    QTextCursor cursor(document());
    cursor.setPosition(begin);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    QTextCharFormat red;
    red.setForeground(markColour_);
    cursor.mergeCharFormat(red);
}

void InputLine::clearMarks() {
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.setCharFormat(QTextCharFormat());
    // Text typed next takes the default colour too.
    QTextCursor caret = textCursor();
    QTextCharFormat typing = caret.charFormat();
    typing.clearForeground();
    caret.setCharFormat(typing);
    setTextCursor(caret);
}

void InputLine::select(int anchor, int position) {
    const int length = document()->characterCount() - 1;
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(anchor, 0, length));
    cursor.setPosition(std::clamp(position, 0, length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void InputLine::keyPressEvent(QKeyEvent* event) {
    emit keyPressed();
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            // The window handles these: Enter clicks its default button.
            event->ignore();
            return;
        case Qt::Key_Up:
        case Qt::Key_Down:
            // A single line has nowhere to go up or down to: the keys walk the history.
            if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
                emit recallRequested(event->key() == Qt::Key_Up);
                event->accept();
                return;
            }
            QPlainTextEdit::keyPressEvent(event);
            return;
        default:
            QPlainTextEdit::keyPressEvent(event);
    }
}

void InputLine::keyReleaseEvent(QKeyEvent* event) {
    QPlainTextEdit::keyReleaseEvent(event);
    emit keyReleased(event->key());
}

bool InputLine::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void InputLine::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText()) return;
    QString text = source->text();
    text.replace(QRegularExpression(QStringLiteral("\r\n|[\r\n\u2028\u2029]")),
                 QStringLiteral(" "));
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
}

}  // namespace quantrel::ui
