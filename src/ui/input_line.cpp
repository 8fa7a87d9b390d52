// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/input_line.h"

#include <algorithm>
#include <optional>
#include <utility>

#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextCursor>

namespace quantrel::ui {

InputColours inputColours(const QPalette& palette, const QColor& error) {
    const QColor text = palette.color(QPalette::Text);
    const QColor base = palette.color(QPalette::Base);
    // Operators sit between the text and the base colour: present, but not loud.
    const QColor operation((text.red() * 3 + base.red() * 2) / 5,
                           (text.green() * 3 + base.green() * 2) / 5,
                           (text.blue() * 3 + base.blue() * 2) / 5);
    if (base.lightness() < 128) {
        return {QColor(130, 176, 240), QColor(140, 204, 146), QColor(206, 160, 236), operation,
                error};
    }
    return {QColor(26, 82, 160), QColor(36, 110, 52), QColor(128, 56, 150), operation, error};
}

// Colours a one-line document by its pieces, and the error span over them.
class InputLine::Highlighter : public QSyntaxHighlighter {
public:
    explicit Highlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

    SpanSource source;
    InputColours colours;
    std::optional<std::pair<int, int>> mark;

protected:
    void highlightBlock(const QString& text) override {
        if (source) {
            const std::string utf8 = text.toStdString();
            // Character position of every byte offset.
            std::vector<int> characters(utf8.size() + 1, 0);
            int position = 0;
            for (std::size_t i = 0; i <= utf8.size(); ++i) {
                characters[i] = position;
                if (i == utf8.size()) break;
                const auto byte = static_cast<unsigned char>(utf8[i]);
                // A lead byte starts a character; four-byte ones take a surrogate pair.
                if ((byte & 0xC0) != 0x80) position += byte >= 0xF0 ? 2 : 1;
            }
            for (const TokenSpan& span : source(utf8)) {
                const QColor* colour = nullptr;
                bool bold = false;
                switch (span.kind) {
                    case TokenSpan::Kind::Number:
                        colour = &colours.number;
                        break;
                    case TokenSpan::Kind::Unit:
                        colour = &colours.unit;
                        break;
                    case TokenSpan::Kind::Function:
                    case TokenSpan::Kind::Variable:
                        colour = &colours.function;
                        break;
                    case TokenSpan::Kind::Keyword:
                        colour = &colours.operation;
                        bold = true;
                        break;
                    case TokenSpan::Kind::Operator:
                    case TokenSpan::Kind::Bracket:
                        colour = &colours.operation;
                        break;
                    case TokenSpan::Kind::Unknown:
                        break;
                }
                if (colour == nullptr) continue;
                const auto at = [&](int byte) {
                    return characters[std::min(static_cast<std::size_t>(std::max(byte, 0)),
                                               utf8.size())];
                };
                QTextCharFormat format;
                format.setForeground(*colour);
                if (bold) format.setFontWeight(QFont::Bold);
                setFormat(at(span.begin), at(span.end) - at(span.begin), format);
            }
        }
        if (mark) {
            const int begin = std::clamp(mark->first, 0, static_cast<int>(text.size()));
            const int end = std::clamp(mark->second, begin, static_cast<int>(text.size()));
            for (int i = begin; i < end; ++i) {
                QTextCharFormat marked = format(i);
                marked.setForeground(colours.error);
                setFormat(i, 1, marked);
            }
        }
    }
};

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
    highlighter_ = new Highlighter(document());
    colours_ = inputColours(palette(), QColor(255, 0, 0));
    highlighter_->colours = colours_;
}

InputLine::~InputLine() = default;

void InputLine::setSpanSource(SpanSource source) {
    highlighter_->source = std::move(source);
    highlighter_->rehighlight();
}

void InputLine::setColours(const InputColours& colours) {
    colours_ = colours;
    highlighter_->colours = colours;
    highlighter_->rehighlight();
}

void InputLine::markRange(int begin, int end) {
    const int length = document()->characterCount() - 1;  // without the closing paragraph mark
    begin = std::clamp(begin, 0, length);
    end = std::clamp(end, begin, length);
    highlighter_->mark = std::make_pair(begin, end);
    highlighter_->rehighlight();
}

void InputLine::clearMarks() {
    if (!highlighter_->mark) return;
    highlighter_->mark.reset();
    highlighter_->rehighlight();
}

void InputLine::select(int anchor, int position) {
    const int length = document()->characterCount() - 1;
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(anchor, 0, length));
    cursor.setPosition(std::clamp(position, 0, length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

bool InputLine::event(QEvent* event) {
    // Tab asks for a completion before the widget would move the focus with it.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() == Qt::Key_Tab && modifiers == Qt::NoModifier) {
            emit completionRequested(true);
            return true;
        }
        if (key->key() == Qt::Key_Backtab ||
            (key->key() == Qt::Key_Tab && modifiers == Qt::ShiftModifier)) {
            emit completionRequested(false);
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void InputLine::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // The window handles these: Enter clicks its default button.
            event->ignore();
            return;
        case Qt::Key_Escape:
            if (event->modifiers() != Qt::NoModifier) break;
            // Taken when it goes down, so that an Escape that closed a menu does not arrive.
            event->accept();
            emit escapePressed();
            return;
        case Qt::Key_Up:
        case Qt::Key_Down:
            // A single line has nowhere to go up or down to: the keys walk the history.
            if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
                emit recallRequested(event->key() == Qt::Key_Up);
                event->accept();
                return;
            }
            break;
        default:
            break;
    }
    QPlainTextEdit::keyPressEvent(event);
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
