// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <QDialog>
#include <QPointer>

#include "core/calculator.h"
#include "ui/row_layout.h"

class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QUrl;
class QPropertyAnimation;

namespace quantrel::ui {

class HintLine;
class InputLine;

/// The calculator's window: the input line, the "=" button and the result field, and below them
/// the information line and the error line on a white panel that the window grows and shrinks
/// to. Owns the Calculator and keeps no state of the calculation.
class MainWindow : public QDialog {
    Q_OBJECT

public:
    /// Most functions the Insert menu lists.
    static constexpr int kMaxMenuFunctions = 1000;
    /// Pixels between the rows of the window.
    static constexpr int kRowSpacing = 7;
    /// Duration of the slide animations when the window opens and closes.
    static constexpr int kSlideMilliseconds = 150;

    /// A window over `calculator`; its about box opens `userGuide` (empty: no guide).
    explicit MainWindow(Calculator calculator, std::filesystem::path userGuide = {},
                        QWidget* parent = nullptr);
    /// Releases the window; the calculator goes with it.
    ~MainWindow() override;

    /// The engine behind the window.
    const Calculator& calculator() const { return calculator_; }
    /// Whether the window is sliding out after a close request.
    bool isClosing() const { return closing_; }

    /// Evaluates the input line: the result goes to the result field, or the error to the error
    /// line with the offending span of the input in red.
    void evaluateInput();
    /// Recomputes the information line from the text before the caret and refits the window.
    void updateHints();
    /// Inserts `name` and a space at the caret, over the selection, as the Insert menu does.
    void insertName(const QString& name);
    /// Completes the name before the caret with the hint link `link` (its index in the list).
    void followLink(const QUrl& link);
    /// Opens the about box and waits until it closes.
    void showAbout();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createMenus(QMenuBar* menuBar);
    void insertFunction(int index);
    void insertUnit(int index);
    void recolourInput();
    void inputKeyReleased(int key);
    void arrangeRows();
    void fitWindow();
    std::vector<RowSizes> rowSizes() const;
    void slide(bool opening);
    void finishClosing();

    Calculator calculator_;
    std::filesystem::path userGuide_;
    std::vector<std::string> functionNames_;
    std::vector<std::string> unitNames_;
    std::vector<std::string> linkNames_;  // the names the information line offers as links

    QWidget* client_ = nullptr;
    InputLine* input_ = nullptr;
    QPushButton* evaluateButton_ = nullptr;
    QLineEdit* result_ = nullptr;
    QWidget* panel_ = nullptr;
    HintLine* errorLine_ = nullptr;
    HintLine* informationLine_ = nullptr;
    QLabel* errorIcon_ = nullptr;
    QLabel* informationIcon_ = nullptr;
    RowLayout layout_;

    bool inputRecoloured_ = false;
    bool opened_ = false;
    bool closing_ = false;
    bool closeAllowed_ = false;
    QPointer<QPropertyAnimation> animation_;
};

}  // namespace quantrel::ui
