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
class QLineEdit;
class QMenuBar;
class QPushButton;
class QPropertyAnimation;

namespace quantrel::ui {

class GuideWindow;
class HistoryView;
class InfoPanel;
class InputLine;
class UnitBrowser;

/// The calculator's window: the input line, the "=" button and the result field (showing the
/// result of what is typed, greyed, until Enter commits it), below them the information area,
/// always two rows high (hints, errors, suggestions, how a line was read), and the history of
/// calculations, which takes the height of a resizable window. The input, the result and the
/// information area keep together at most kMaxLineWidth wide. Without the history the window
/// fits its lines, as a compact calculator. The window never changes its size by itself.
/// Owns the Calculator and keeps no state of the calculation.
class MainWindow : public QDialog {
    Q_OBJECT

public:
    /// Pixels between the rows of the window.
    static constexpr int kRowSpacing = 7;
    /// Duration of the slide animations when the window opens and closes.
    static constexpr int kSlideMilliseconds = 150;
    /// The significant digits View ▸ Digits offers; the first is the default.
    static constexpr std::array<int, 3> kDigitChoices{6, 10, 15};
    /// The widest the input, the result and the information area become, in pixels.
    static constexpr int kMaxLineWidth = 860;

    /// A window over `calculator`; F1 and the about box open `userGuide` (empty: no guide) in a
    /// window of the program. The history is read from and kept in `historyFile` (empty: not
    /// kept). The window's size, position and choices are kept in the application's QSettings.
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
    /// error to the information area (with suggestions for an unknown name) and the offending
    /// span of the input in the error colour. The text stays, selected, so that typing replaces
    /// it and the arrow keys edit it.
    void evaluateInput();
    /// Shows the result of the text typed so far, greyed, or nothing when it does not evaluate
    /// (or would draw random numbers); `ans` stays as it is.
    void updateLiveResult();
    /// Recomputes the hint from the text before the caret.
    void updateHints();
    /// Inserts `name` and a space at the caret, over the selection.
    void insertName(const QString& name);
    /// Puts the name at `index` of the hint's names in place: a completion of the name before
    /// the caret, or a suggestion in place of the unknown name. Tab does this with the next.
    void chooseName(int index);
    /// Tab (`forward`) or Shift+Tab: the next (or previous) completion or suggestion; where there
    /// is none, the focus moves on.
    void completeOrMoveFocus(bool forward);
    /// Puts the input of history entry `index` into the input line.
    void recallEntry(int index);
    /// Puts the result field's text on the clipboard.
    void copyResult();
    /// Puts every calculation on the clipboard as text, one a line.
    void copyHistory();
    /// Asks whether to forget every calculation, and does so after a yes.
    void clearHistory();
    /// Forgets every calculation, also in the history file.
    void forgetHistory();
    /// Shows or hides the history; hidden, the window fits its lines. Remembered.
    void setHistoryVisible(bool visible);
    /// Writes numbers with `digits` significant digits. Remembered.
    void setDigits(int digits);
    /// Gives the input line the focus and selects its text.
    void focusInput();
    /// Opens the user guide in a window of the program.
    void showUserGuide();
    /// Opens the unit browser on `tab` (a UnitBrowser::Tab).
    void showBrowser(int tab);
    /// Opens the about box and waits until it closes.
    void showAbout();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Tab's walk through the names of one hint: the text before the first Tab, and which name
    // is in place of it now.
    struct Completion {
        bool active = false;
        HintText hint;
        std::string text;
        int caret = 0;  // bytes
        int index = -1;
    };

    void createMenus(QMenuBar* menuBar);
    void loadHistory();
    void addToHistory(HistoryEntry entry);
    void saveHistory();
    void restoreSettings();
    void applyDigits(int digits);
    void saveGeometrySettings();
    void inputChanged();
    void escapePressed();
    void recall(bool older);
    void replaceInput(const std::string& text, int caretBytes);
    void showResult(const QString& text, bool live, const std::string& note = {});
    void showInformation();
    void applyColours();
    void inputKeyReleased(int key);
    void fitWindow();
    void slide(bool opening);
    void finishClosing();

    Calculator calculator_;
    std::filesystem::path userGuide_;
    std::filesystem::path historyFile_;
    History history_;
    QString historyProblem_;
    HintText hint_;            // what the information area shows for the text before the caret
    std::string readingNote_;  // how the shown result's line was read, or empty
    std::vector<HintRow> errorRows_;  // the error of the text the input held at Enter
    std::vector<HintRow> notice_;     // a notice about the history file, until the first key
    Completion completion_;
    bool completing_ = false;  // the input changes for a completion
    QString previewedText_;    // the input text the result field belongs to
    bool resultIsLive_ = false;
    int expandedHeight_ = 0;  // the height to return to when the history is shown again

    InputLine* input_ = nullptr;
    QPushButton* evaluateButton_ = nullptr;
    QLineEdit* result_ = nullptr;
    QWidget* client_ = nullptr;
    InfoPanel* info_ = nullptr;
    HistoryView* historyView_ = nullptr;
    QAction* historyAction_ = nullptr;
    QAction* copyResultAction_ = nullptr;
    QAction* copyHistoryAction_ = nullptr;
    QAction* clearHistoryAction_ = nullptr;
    QActionGroup* digitsGroup_ = nullptr;
    QPointer<UnitBrowser> browser_;
    QPointer<GuideWindow> guide_;

    bool opened_ = false;
    bool closing_ = false;
    bool closeAllowed_ = false;
    QPointer<QPropertyAnimation> animation_;
};

/// The colour of errors against `palette`: pure red on a light base, a lighter red on a dark
/// one, so that it stays clearly red and readable in both.
QColor errorColour(const QPalette& palette);

}  // namespace quantrel::ui
