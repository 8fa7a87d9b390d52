// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/hint_line.h"

#include <cmath>

#include <QResizeEvent>
#include <QTextDocument>

namespace quantrel::ui {

HintLine::HintLine(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::NoFocus);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    setUndoRedoEnabled(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    document()->setDocumentMargin(1);
    hide();
}

void HintLine::setRichText(const QString& html) {
    if (html.isEmpty()) {
        clear();
        hide();
        return;
    }
    setHtml(html);
    show();
    fitHeight();
}

void HintLine::resizeEvent(QResizeEvent* event) {
    QTextBrowser::resizeEvent(event);
    if (event->size().width() != event->oldSize().width()) fitHeight();
}

void HintLine::fitHeight() {
    document()->setTextWidth(width() - 2 * frameWidth());
    const int height = static_cast<int>(std::ceil(document()->size().height())) + 2 * frameWidth();
    if (height != this->height() || minimumHeight() != height) setFixedHeight(height);
}

}  // namespace quantrel::ui
