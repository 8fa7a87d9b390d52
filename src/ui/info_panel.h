// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <vector>

#include <QFrame>
#include <QString>

#include "ui/hint_text.h"

class QLabel;

namespace quantrel::ui {

/// The information area below the input: always two rows high, whatever it shows, so that the
/// window never changes its size by itself. A row longer than the width is cut with "…", and the
/// whole text (also of rows beyond the second) is the area's tooltip then. Links report their
/// index through linkChosen. An error row is drawn in the error colour beside an error icon.
class InfoPanel : public QFrame {
    Q_OBJECT

public:
    /// The rows the area shows.
    static constexpr int kRows = 2;

    /// An empty area.
    explicit InfoPanel(QWidget* parent = nullptr);

    /// Shows `rows`, of which the first `errorRows` are an error.
    void setRows(std::vector<HintRow> rows, int errorRows = 0);
    /// The colour of error rows.
    void setErrorColour(const QColor& colour);
    /// Every row given, without markup, one per line.
    QString plainText() const;
    /// The rows as shown (cut to the width), without markup.
    QStringList shownRows() const;
    /// Whether an error is shown.
    bool showsError() const { return errorRows_ > 0; }
    /// The label of row `index`, for tests.
    QLabel* rowLabel(int index) const { return labels_[static_cast<std::size_t>(index)]; }

signals:
    /// The link of the name at `index` was clicked.
    void linkChosen(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void render();

    std::vector<HintRow> rows_;
    int errorRows_ = 0;
    QColor errorColour_{255, 0, 0};
    QLabel* icon_ = nullptr;
    std::vector<QLabel*> labels_;
};

}  // namespace quantrel::ui
