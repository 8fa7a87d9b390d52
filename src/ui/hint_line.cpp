// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/hint_line.h"

#include <cmath>

#include <QPalette>
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
    document()->setDocumentMargin(1);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
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

void HintLine::fitHeight() {
    document()->setTextWidth(width() - 2 * frameWidth());
    const int height = static_cast<int>(std::ceil(document()->size().height()));
    resize(width(), height + 2 * frameWidth());
}

}  // namespace quantrel::ui
