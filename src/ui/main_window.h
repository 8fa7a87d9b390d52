// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include <QDialog>
#include <QPointer>

#include "core/calculator.h"
#include "ui/hint_text.h"
#include "ui/history.h"

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QUrl;
class QPropertyAnimation;

namespace quantrel::ui {

class HintLine;
class HistoryView;
class InputLine;

/// The calculator's window: the input line, the "=" button and the result field (showing the
/// result of what is typed, greyed, until Enter commits it), below them the information line
/// and the error line on a panel, and the history of calculations, which takes the height of a
/// resizable window. Without the history the window fits its lines, as a compact calculator.
/// Owns the Calculator and keeps no state of the calculation.
class MainWindow : public QDialog {
    Q_OBJECT

public:
    /// Most functions (and most constants) the Insert menu lists.
    static constexpr int kMaxMenuFunctions = 1000;
    /// Pixels between the rows of the window.
    static constexpr int kRowSpacing = 7;
    /// Duration of the slide animations when the window opens and closes.
    static constexpr int kSlideMilliseconds = 150;
    /// The significant digits View ▸ Digits offers; the first is the default.
    static constexpr std::array<int, 3> kDigitChoices{6, 10, 15};

    /// A window over `calculator`; its about box and Help menu open `userGuide` (empty: no
    /// guide). The history is read from and kept in `historyFile` (empty: not kept). The
    /// window's size, position and choices are kept in the application's QSettings.
    explicit MainWindow(Calculator calculator, std::filesystem::path userGuide = {},
                        std::filesystem::path historyFile = {}, QWidget* parent = nullptr);
    /// Releases the window; the calculator goes with it.
    ~MainWindow() override;

    /// The engine behind the window.
    const Calculator& calculator() const { return calculator_; }
    /// The calculations made, oldest first.
    const History& history() const { return history_; }
    /// What went wrong reading or writing the history file; empty when nothing did.
    const QString& historyProblem() const { return historyProblem_; }
    /// Whether the result field shows the live result of the text typed (greyed) rather than a
    /// committed one.
    bool resultIsLive() const { return resultIsLive_; }
    /// Whether the window is sliding out after a close request.
    bool isClosing() const { return closing_; }

    /// Evaluates the input line: the result goes to the result field and the history, or the
    /// error to the error line (with suggestions for an unknown name) and the offending span
    /// of the input in the error colour.
    void evaluateInput();
    /// Shows the result of the text typed so far, greyed, or nothing when it does not evaluate
    /// (or would draw random numbers); `ans` stays as it is.
    void updateLiveResult();
    /// Recomputes the information line from the text before the caret and refits the window.
    void updateHints();
    /// Inserts `name` and a space at the caret, over the selection, as the Insert menu does.
    void insertName(const QString& name);
    /// Completes the name before the caret with the hint link `link` (its index in the list),
    /// or puts a suggested name in place of the unknown one.
    void followLink(const QUrl& link);
    /// Puts the input of history entry `index` into the input line.
    void recallEntry(int index);
    /// Puts the result field's text on the clipboard.
    void copyResult();
    /// Forgets every calculation, also in the history file.
    void clearHistory();
    /// Shows or hides the history; hidden, the window fits its lines. Remembered.
    void setHistoryVisible(bool visible);
    /// Writes numbers with `digits` significant digits. Remembered.
    void setDigits(int digits);
    /// Gives the input line the focus and selects its text.
    void focusInput();
    /// Opens the user guide in the desktop's browser.
    void showUserGuide();
    /// Opens the about box and waits until it closes.
    void showAbout();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createMenus(QMenuBar* menuBar);
    void createInsertMenu(QMenuBar* menuBar);
    void loadHistory();
    void addToHistory(HistoryEntry entry);
    void saveHistory();
    void restoreSettings();
    void applyDigits(int digits);
    void saveGeometrySettings();
    void inputChanged();
    void recall(bool older);
    void showResult(const QString& text, bool live, const std::string& note = {});
    QString informationHtml() const;
    void showInformation(const HintText& hint);
    void applyColours();
    void recolourInput();
    void inputKeyReleased(int key);
    void fitWindow();
    void slide(bool opening);
    void finishClosing();

    Calculator calculator_;
    std::filesystem::path userGuide_;
    std::filesystem::path historyFile_;
    History history_;
    QString historyProblem_;
    HintText hint_;            // what the information line shows
    std::string readingNote_;  // how the shown result's line was read, or empty
    QString previewedText_;    // the input text the result field belongs to
    bool resultIsLive_ = false;
    int expandedHeight_ = 0;  // the height to return to when the history is shown again

    InputLine* input_ = nullptr;
    QPushButton* evaluateButton_ = nullptr;
    QLineEdit* result_ = nullptr;
    QWidget* client_ = nullptr;
    QWidget* panel_ = nullptr;
    QWidget* informationRow_ = nullptr;
    QWidget* errorRow_ = nullptr;
    HintLine* errorLine_ = nullptr;
    HintLine* informationLine_ = nullptr;
    HistoryView* historyView_ = nullptr;
    QAction* historyAction_ = nullptr;
    QAction* copyResultAction_ = nullptr;
    QActionGroup* digitsGroup_ = nullptr;

    bool inputRecoloured_ = false;
    bool opened_ = false;
    bool closing_ = false;
    bool closeAllowed_ = false;
    QPointer<QPropertyAnimation> animation_;
};

/// The colour of errors against `palette`: pure red on a light base, a lighter red on a dark
/// one, so that it stays clearly red and readable in both.
QColor errorColour(const QPalette& palette);

}  // namespace quantrel::ui
