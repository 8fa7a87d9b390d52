// SPDX-License-Identifier: GPL-3.0-or-later
// Widget tests of the desktop calculator, run on the offscreen platform.

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QListWidget>
#include <QContextMenuEvent>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QMessageBox>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextLayout>
#include <QTreeWidget>

#include <sys/stat.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "core/calculator.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"
#include "ui/about_dialog.h"
#include "ui/guide_window.h"
#include "ui/history_view.h"
#include "ui/info_panel.h"
#include "ui/input_line.h"
#include "ui/main_window.h"
#include "ui/unit_browser.h"

using quantrel::ui::AboutDialog;
using quantrel::ui::GuideWindow;
using quantrel::ui::HistoryView;
using quantrel::ui::InfoPanel;
using quantrel::ui::InputLine;
using quantrel::ui::MainWindow;
using quantrel::ui::UnitBrowser;

namespace {

// The test registry plus a unit whose symbol takes several bytes.
quantrel::Calculator makeCalculator() {
    auto registry = quantrel::test::makeTestRegistry();
    registry->defineUnit("Length", "\xc2\xb5m", std::string("micrometre"), "The micrometre",
                         std::string("0.000001 m"));
    return quantrel::Calculator(std::move(registry));
}

// A window over makeCalculator(); with `freshSettings`, the remembered choices of earlier
// windows are forgotten first.
std::unique_ptr<MainWindow> openWindow(std::filesystem::path guide,
                                       std::filesystem::path historyFile, bool freshSettings) {
    if (freshSettings) QSettings().clear();
    return std::make_unique<MainWindow>(makeCalculator(), std::move(guide), std::move(historyFile));
}

// One window with handles to its parts.
struct Window {
    explicit Window(std::filesystem::path guide = {}, std::filesystem::path historyFile = {},
                    bool freshSettings = true)
        : window(openWindow(std::move(guide), std::move(historyFile), freshSettings)) {
        input = window->findChild<InputLine*>(QStringLiteral("input"));
        result = window->findChild<QLineEdit*>(QStringLiteral("result"));
        info = window->findChild<InfoPanel*>(QStringLiteral("panel"));
        client = window->findChild<QWidget*>(QStringLiteral("client"));
        history = window->findChild<HistoryView*>(QStringLiteral("history"));
        window->show();
        input->setFocus();
    }

    // Types `text` key by key, as a user would.
    void type(const QString& text) const { QTest::keyClicks(input, text); }
    void enter() const { QTest::keyClick(input, Qt::Key_Return); }
    void clearInput() const {
        input->selectAll();
        QTest::keyClick(input, Qt::Key_Delete);
    }

    // The information area's rows, all of them, one a line.
    QString information() const { return info->plainText(); }
    // Chooses the name of link `index`, as a click on it does.
    void clickLink(int index) const {
        for (int row = 0; row < InfoPanel::kRows; ++row) {
            if (info->rowLabel(row)->text().contains(QStringLiteral("href=\"%1\"").arg(index))) {
                emit info->rowLabel(row)->linkActivated(QString::number(index));
                return;
            }
        }
        QFAIL("no such link");
    }

    std::unique_ptr<MainWindow> window;
    InputLine* input = nullptr;
    QLineEdit* result = nullptr;
    InfoPanel* info = nullptr;
    QWidget* client = nullptr;
    HistoryView* history = nullptr;
};

// The colour each character of the input is drawn in.
QList<QColor> drawnColours(const InputLine* input) {
    const QTextBlock block = input->document()->firstBlock();
    QList<QColor> colours(block.length() - 1, input->palette().color(QPalette::Text));
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (!range.format.hasProperty(QTextFormat::ForegroundBrush)) continue;
        for (int i = range.start; i < range.start + range.length && i < colours.size(); ++i)
            colours[i] = range.format.foreground().color();
    }
    return colours;
}

// One character per character of the input: 'r' where it is drawn in the error colour, '.'
// elsewhere.
QString redMask(const InputLine* input) {
    QString mask;
    for (const QColor& colour : drawnColours(input))
        mask += colour == input->colours().error ? QLatin1Char('r') : QLatin1Char('.');
    return mask;
}

// Answers the next question box with `button` once it shows; `asked` tells whether one came.
void answerNextQuestion(QMessageBox::StandardButton button, bool* asked = nullptr) {
    QTimer::singleShot(0, [button, asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (asked != nullptr) *asked = box != nullptr;
        if (box != nullptr) box->button(button)->click();
    });
}

// Receives the addresses that the about box asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheResultOfAnEvaluation();
    void showsErrorsAndMarksTheirSpan_data();
    void showsErrorsAndMarksTheirSpan();
    void anErrorBelongsToTheTextItWasMadeFor();
    void enterLeavesTheTextSelectedForTheNextLine();
    void escapeClearsTheLineThenCloses();
    void informationAreaKeepsItsHeight();
    void longLinesAreCutWithTheWholeTextInTheTooltip();
    void inputAndResultKeepTogetherWhenWide();
    void hintsDescribeCompleteNamesAndListTheOthers();
    void tabCompletesAndCycles_data();
    void tabCompletesAndCycles();
    void tabWithoutCompletionsMovesTheFocus();
    void linkClickReplacesTheWholeWord();
    void readingNotesFollowTheResult();
    void unknownNamesGetSuggestions();
    void unitBrowserFiltersAndInserts();
    void unitBrowserListsFunctionsAndConstants();
    void inputIsColouredByItsPieces_data();
    void inputIsColouredByItsPieces();
    void historyListsCalculationsAndRecallsThem();
    void clearingTheHistoryAsksFirst();
    void historyIsKeptInTheStateDirectory();
    void aDamagedHistoryFileIsIgnoredWithAMessage();
    void copyResultPutsTheResultOnTheClipboard();
    void copyHistoryPutsEveryCalculationOnTheClipboard();
    void liveResultFollowsTheTypingAndLeavesAnsAlone();
    void windowResizesAndRemembersItsGeometry();
    void historyCanBeHiddenAndTheChoiceIsRemembered();
    void digitsApplyToResults();
    void shortcutsReachTheirCommands();
    void coloursFollowTheLightOrDarkPalette();
    void everyWayOfClosingSlidesOut_data();
    void everyWayOfClosingSlidesOut();
    void userGuideOpensInAWindowOfItsOwn();
    void aboutBoxOpensFromTheMenuAndIgnoresEscape();
    void aboutBoxShowsItsWholeText();
    void aboutBoxOpensTheGuideOnEveryClick();
    void badSettingsEndWithExitCodeOne();
    void noDisplayEndsWithExitCodeTwo();
};

void MainWindowTest::showsTheResultOfAnEvaluation() {
    Window w;
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Quantrel"));
    w.type(QStringLiteral("2 km + 300 m"));
    w.enter();
    QCOMPARE(w.result->text(), QStringLiteral("2.3 km"));
    QVERIFY(!w.info->showsError());
    // The "=" button evaluates as well; ans carries over.
    w.clearInput();
    w.type(QStringLiteral("ans * 2"));
    w.window->findChild<QPushButton*>(QStringLiteral("evaluate"))->click();
    QCOMPARE(w.result->text(), QStringLiteral("4.6 km"));
}

void MainWindowTest::showsErrorsAndMarksTheirSpan_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("errorText");
    QTest::addColumn<QString>("mask");
    // A tokenizer error marks its one character, counted in characters after "µ".
    QTest::newRow("tokenizer") << QStringLiteral("5 µm # 2")
                               << QStringLiteral("Tokenizer: Syntax error")
                               << QStringLiteral(".....r..");
    QTest::newRow("parser") << QStringLiteral("2 + * 3") << QString() << QStringLiteral("....rr.");
    QTest::newRow("math, multi-byte")
        << QStringLiteral("5 µm + 1 kg")
        << QStringLiteral("Math: No conversion found for Length and Mass")
        << QStringLiteral(".....r.....");
    QTest::newRow("math after multi-byte")
        << QStringLiteral("5 µm + 1 / 0") << QStringLiteral("Math: Division by zero")
        << QStringLiteral(".........r..");
    QTest::newRow("empty line") << QString() << QString() << QString();
}

void MainWindowTest::showsErrorsAndMarksTheirSpan() {
    QFETCH(QString, input);
    QFETCH(QString, errorText);
    QFETCH(QString, mask);
    Window w;
    w.type(QStringLiteral("1"));
    w.enter();
    QCOMPARE(w.result->text(), QStringLiteral("1"));
    w.clearInput();
    w.type(input);
    w.enter();
    QVERIFY(w.result->text().isEmpty());
    QVERIFY(w.info->showsError());
    const QString shown = w.information().section(QLatin1Char('\n'), 0, 0);
    if (errorText.isEmpty()) {
        QVERIFY2(shown.startsWith(QStringLiteral("Parser: ")), qPrintable(shown));
    } else {
        QCOMPARE(shown, errorText);
    }
    // The category is bold, the message is not, all of it in the error colour.
    const QString html = w.info->rowLabel(0)->text();
    QVERIFY2(html.contains(QStringLiteral("<b>") + shown.section(QLatin1Char(':'), 0, 0)),
             qPrintable(html));
    QVERIFY(html.contains(w.input->colours().error.name()));
    QCOMPARE(redMask(w.input), mask);
}

void MainWindowTest::anErrorBelongsToTheTextItWasMadeFor() {
    // After "1 / 0 + 2" failed: keys that only move the caret keep the error; any change of the
    // text takes it away and brings the live result.
    const struct {
        QList<Qt::Key> keys;
        QString typed;
        bool errorStays;
        QString text;
        QString result;
    } rows[] = {
        {{Qt::Key_Home}, {}, true, QStringLiteral("1 / 0 + 2"), {}},
        {{Qt::Key_End, Qt::Key_Left}, {}, true, QStringLiteral("1 / 0 + 2"), {}},
        {{Qt::Key_End}, QStringLiteral("0"), false, QStringLiteral("1 / 0 + 20"), {}},
        {{}, QStringLiteral("7"), false, QStringLiteral("7"), QStringLiteral("7")},
        {{Qt::Key_Backspace}, {}, false, QString(), {}},
    };
    for (const auto& row : rows) {
        Window w;
        w.type(QStringLiteral("1 / 0 + 2"));
        w.enter();
        QVERIFY(w.info->showsError());
        for (const Qt::Key key : row.keys)
            QTest::keyClick(w.input, key);
        w.type(row.typed);
        QCOMPARE(w.input->text(), row.text);
        QCOMPARE(w.info->showsError(), row.errorStays);
        QCOMPARE(redMask(w.input).contains(QLatin1Char('r')), row.errorStays);
        QCOMPARE(w.result->text(), row.result);
        if (!row.errorStays) QVERIFY(w.window->resultIsLive());
    }
}

void MainWindowTest::enterLeavesTheTextSelectedForTheNextLine() {
    Window w;
    QVERIFY(w.input->placeholderText().contains(QStringLiteral("e.g. 60 mph in km/h")));
    w.type(QStringLiteral("2 km + 300 m"));
    w.input->select(3, 1);
    w.enter();
    QCOMPARE(w.input->textCursor().selectedText(), QStringLiteral("2 km + 300 m"));
    // Typing replaces the line rather than appending to it.
    w.type(QStringLiteral("60 mi"));
    QCOMPARE(w.input->text(), QStringLiteral("60 mi"));
    QCOMPARE(w.result->text(), QStringLiteral("60 mi"));
    w.enter();
    // An arrow key keeps the text for editing.
    QTest::keyClick(w.input, Qt::Key_Right);
    QVERIFY(!w.input->textCursor().hasSelection());
    w.type(QStringLiteral(" in km"));
    QCOMPARE(w.input->text(), QStringLiteral("60 mi in km"));
    QCOMPARE(w.result->text(), QStringLiteral("96.5606 km"));
}

void MainWindowTest::escapeClearsTheLineThenCloses() {
    Window w;
    w.type(QStringLiteral("2 km"));
    QTest::keyClick(w.input, Qt::Key_Escape);
    QCOMPARE(w.input->text(), QString());
    QVERIFY(!w.window->isClosing());
    // The clearing is an edit: Ctrl+Z brings the line back.
    QTest::keyClick(w.input, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.input->text(), QStringLiteral("2 km"));
    // The Escape that closed a menu comes up in the line without going down there: nothing.
    QTest::keyRelease(w.input, Qt::Key_Escape);
    QVERIFY(!w.window->isClosing());
    w.clearInput();
    QTest::keyClick(w.input, Qt::Key_Escape);
    QVERIFY(w.window->isClosing());
}

void MainWindowTest::informationAreaKeepsItsHeight() {
    for (const bool historyShown : {true, false}) {
        Window w;
        w.window->setHistoryVisible(historyShown);
        const QSize size = w.window->size();
        const int panel = w.info->height();
        QVERIFY(w.info->isVisible());
        // Nothing, one row, two rows, an error with suggestions, a history recall.
        const char* lines[] = {"hy", "hyp", "5 s", "5 kilometre\n", "1 / 0\n", "", "sqrt(2"};
        for (const char* line : lines) {
            w.clearInput();
            QString text = QString::fromUtf8(line);
            const bool enter = text.endsWith(QLatin1Char('\n'));
            w.type(text.remove(QLatin1Char('\n')));
            if (enter) w.enter();
            QApplication::processEvents();
            QCOMPARE(w.info->height(), panel);
            QCOMPARE(w.window->size(), size);
        }
    }
}

void MainWindowTest::longLinesAreCutWithTheWholeTextInTheTooltip() {
    using Piece = quantrel::ui::HintPiece;
    Window w;
    w.window->resize(500, 300);
    QApplication::processEvents();
    const std::string longText(200, 'x');
    const struct {
        std::vector<quantrel::ui::HintRow> rows;
        QStringList shown;  // "…" for a row that must be cut
        bool toolTip;
    } cases[] = {
        {{{{Piece::Style::Plain, "short", -1}}}, {"short", ""}, false},
        {{{{Piece::Style::Bold, "Label: ", -1}, {Piece::Style::Plain, longText, -1}},
          {{Piece::Style::Plain, "second", -1}}},
         {"\u2026", "second"},
         true},
        // A third row does not fit the two: it is in the tooltip.
        {{{{Piece::Style::Plain, "one", -1}},
          {{Piece::Style::Plain, "two", -1}},
          {{Piece::Style::Plain, "three", -1}}},
         {"one", "two"},
         true},
    };
    for (const auto& c : cases) {
        w.info->setRows(c.rows);
        const QStringList shown = w.info->shownRows();
        for (int i = 0; i < InfoPanel::kRows; ++i) {
            if (c.shown[i] == QStringLiteral("\u2026")) {
                QVERIFY2(shown[i].startsWith(QStringLiteral("Label: x")) &&
                             shown[i].endsWith(QChar(0x2026)),
                         qPrintable(shown[i]));
                QVERIFY(w.info->rowLabel(i)->sizeHint().width() <=
                        w.info->rowLabel(i)->width() + 4);
            } else {
                QCOMPARE(shown[i], c.shown[i]);
            }
        }
        QCOMPARE(w.info->toolTip(), c.toolTip ? w.information() : QString());
    }
    // Wider, the long row is shown whole again.
    w.info->setRows({{{Piece::Style::Plain, std::string(40, 'x'), -1}}});
    QVERIFY(w.info->shownRows()[0].endsWith(QChar(0x2026)) == false);
}

void MainWindowTest::inputAndResultKeepTogetherWhenWide() {
    Window w;
    const auto* button = w.window->findChild<QPushButton*>(QStringLiteral("evaluate"));
    w.type(QStringLiteral("60 mi in km"));
    for (const int width : {500, 1400, 2400}) {
        w.window->resize(width, 400);
        QApplication::processEvents();
        w.window->layout()->activate();
        const QWidget* column = w.window->findChild<QWidget*>(QStringLiteral("column"));
        QVERIFY(column->width() <= MainWindow::kMaxLineWidth);
        // The result sits just right of "=", its text at its left edge.
        QVERIFY(w.result->geometry().left() - button->geometry().right() <=
                MainWindow::kRowSpacing + 2);
        QVERIFY(w.result->alignment() & Qt::AlignLeft);
        QCOMPARE(w.info->width(), column->width());
        if (width > MainWindow::kMaxLineWidth + 40) {
            // Centred in the window.
            const int left = column->mapTo(w.window.get(), QPoint()).x();
            QVERIFY(std::abs(left - (width - column->width() - left)) <= 4);
        }
    }
}

void MainWindowTest::readingNotesFollowTheResult() {
    Window w;
    const QString note = QStringLiteral("read 2 as 2 m");
    w.type(QStringLiteral("5 km + 2"));  // the live result says it already
    QVERIFY(w.information().contains(note));
    w.enter();
    QCOMPARE(w.result->text(), QStringLiteral("5002 m"));
    QVERIFY(w.information().contains(note));
    w.clearInput();
    w.type(QStringLiteral("5 m + 2"));
    QVERIFY(!w.information().contains(QStringLiteral("read ")));
}

void MainWindowTest::hintsDescribeCompleteNamesAndListTheOthers() {
    Window w;
    const struct {
        const char* typed;
        const char* shown;  // the rows, one a line
    } rows[] = {
        {"hy", "hyp"},
        {"hyp", "Function: hyp a b\nHypotenuse"},
        // A complete short unit is described at once, a few longer names after it.
        {"5 s", "Time unit: second (s)   more: sin sinh sq sqrt\nThe second"},
        {"5 s ", "Time unit: second (s)\nThe second"},
        {"5 km", "Length unit: kilometre (km), 1 km = 1000 m   more: km2 kmh\nThe kilometre"},
        {"ans", "Variable: ans\nResult of the previous calculation"},
        // A text that does not tokenize, or ends in an operator, shows nothing.
        {"ans #", ""},
        {"sqrt(5+", ""},
    };
    for (const auto& row : rows) {
        w.clearInput();
        w.type(QString::fromUtf8(row.typed));
        QCOMPARE(w.information(), QString::fromUtf8(row.shown));
    }
    w.clearInput();
    w.type(QStringLiteral("ans"));
    QVERIFY(w.info->rowLabel(0)->text().startsWith(QStringLiteral("<b>Variable: </b>")));
}

void MainWindowTest::tabCompletesAndCycles_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("keys");  // "tab" or "backtab" per press
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    const QStringList one{QStringLiteral("tab")};
    QTest::newRow("the only completion") << "hy" << one << "hyp " << 4;
    QTest::newRow("inside a line") << "sqxyz(2)" << one << "sqrt (2)" << 5;
    QTest::newRow("several") << "as" << QStringList{"tab", "tab"} << "asinh " << 6;
    QTest::newRow("round again") << "as" << QStringList{"tab", "tab", "tab"} << "asin " << 5;
    QTest::newRow("back") << "as" << QStringList{"tab", "tab", "backtab"} << "asin " << 5;
    QTest::newRow("backwards from the last") << "as" << QStringList{"backtab"} << "asinh " << 6;
    // A complete name: the longer ones, then the name itself again.
    QTest::newRow("complete name") << "sq" << one << "sqrt " << 5;
    QTest::newRow("back to the complete name") << "sq" << QStringList{"tab", "tab"} << "sq " << 3;
    QTest::newRow("a longer name after a unit") << "5 s" << one << "5 sin " << 6;
    QTest::newRow("only units in a target") << "5 km in m" << one << "5 km in m2 " << 11;
}

void MainWindowTest::tabCompletesAndCycles() {
    QFETCH(QString, typed);
    QFETCH(QStringList, keys);
    QFETCH(QString, text);
    QFETCH(int, caret);
    Window w;
    w.type(typed);
    if (typed.startsWith(QStringLiteral("sqxyz"))) w.input->select(2, 2);
    QTest::keyRelease(w.input, Qt::Key_Left);  // the hint follows the caret
    for (const QString& key : keys) {
        if (key == QStringLiteral("tab")) {
            QTest::keyClick(w.input, Qt::Key_Tab);
        } else {
            QTest::keyClick(w.input, Qt::Key_Backtab, Qt::ShiftModifier);
        }
    }
    QCOMPARE(w.input->text(), text);
    QCOMPARE(w.input->textCursor().position(), caret);
    QVERIFY(w.input->hasFocus() || !QApplication::focusWidget());
    // The names stay on show, the one in place in bold.
    QVERIFY(w.info->rowLabel(0)->text().contains(QStringLiteral("\"><b>")));
    // Another key ends the walk: the hint is that of the new caret.
    w.type(QStringLiteral(" "));
    QVERIFY(!w.info->rowLabel(0)->text().contains(QStringLiteral("\"><b>")));
}

void MainWindowTest::tabWithoutCompletionsMovesTheFocus() {
    Window w;
    w.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    auto* button = w.window->findChild<QPushButton*>(QStringLiteral("evaluate"));
    w.type(QStringLiteral("2 m + 3"));  // no name before the caret
    QTest::keyClick(w.input, Qt::Key_Tab);
    QCOMPARE(w.input->text(), QStringLiteral("2 m + 3"));
    // The "=" button takes the focus and shows it; Space on it evaluates.
    QVERIFY(button->hasFocus());
    QCOMPARE(button->focusPolicy(), Qt::StrongFocus);
    QTest::keyClick(button, Qt::Key_Space);
    QCOMPARE(w.result->text(), QStringLiteral("5 m"));
    QVERIFY(!w.window->resultIsLive());
    QTest::keyClick(button, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(w.input->hasFocus());
}

void MainWindowTest::linkClickReplacesTheWholeWord() {
    Window w;
    w.type(QStringLiteral("µm + sqxyz(2)"));
    w.input->select(6, 6);
    QTest::keyClick(w.input, Qt::Key_Right);  // the caret after "sq"; the key release hints
    QCOMPARE(w.input->textCursor().position(), 7);
    QCOMPARE(w.information(), QStringLiteral("Function: sq x   more: sqrt\nSquare of x"));
    w.clickLink(0);
    QCOMPARE(w.input->text(), QStringLiteral("µm + sqrt (2)"));
    QCOMPARE(w.input->textCursor().position(), 10);
    QVERIFY(w.input->hasFocus() || !QApplication::focusWidget());
    QCOMPARE(redMask(w.input), QString(w.input->text().size(), QLatin1Char('.')));
}

void MainWindowTest::unitBrowserFiltersAndInserts() {
    Window w;
    QAction* action = w.window->findChild<QAction*>(QStringLiteral("insertUnitAction"));
    QCOMPARE(action->shortcut(), QKeySequence(QStringLiteral("Ctrl+U")));
    w.type(QStringLiteral("5 + 2"));
    w.input->select(1, 1);
    action->trigger();
    auto* browser = w.window->findChild<UnitBrowser*>();
    QVERIFY(browser && browser->isVisible());
    auto* search = browser->findChild<QLineEdit*>(QStringLiteral("search"));
    // Grouped by quantity, each unit with its shown text, name and value.
    QTreeWidget* units = browser->list(UnitBrowser::Units);
    QStringList groups;
    for (int i = 0; i < units->topLevelItemCount(); ++i)
        groups << units->topLevelItem(i)->text(0);
    QCOMPARE(groups, (QStringList{"Area", "Frequency", "Length", "Mass", "Temperature", "Time",
                                  "Velocity", "Volume"}));
    const QTreeWidgetItem* km = units->topLevelItem(2)->child(1);
    QCOMPARE((QStringList{km->text(0), km->text(1), km->text(2), km->text(3)}),
             (QStringList{"km", "km", "kilometre", "1 km = 1000 m"}));
    const struct {
        const char* query;
        QStringList symbols;
    } rows[] = {
        {"micro", {"\u00b5m"}},        // by name
        {"Velocity", {"mps", "kmh"}},  // by quantity
        {"KMH", {"kmh"}},              // by symbol, case ignored
        {"nothing like it", {}},
    };
    for (const auto& row : rows) {
        QTest::keyClicks(search, QString::fromUtf8(row.query));
        QCOMPARE(browser->shownNames(UnitBrowser::Units), row.symbols);
        search->clear();
    }
    // Down walks the list from the search field; Enter inserts at the caret and closes.
    QTest::keyClicks(search, QStringLiteral("metre"));
    const QStringList metres = browser->shownNames(UnitBrowser::Units);
    QVERIFY(metres.size() >= 2);
    QCOMPARE(browser->currentName(), metres[0]);
    QTest::keyClick(search, Qt::Key_Down);
    QCOMPARE(browser->currentName(), metres[1]);
    QTest::keyClick(search, Qt::Key_Return);
    QVERIFY(!browser->isVisible());
    QCOMPARE(w.input->text(), QStringLiteral("5") + metres[1] + QStringLiteral("  + 2"));
    // A double click inserts too, over the selection; the browser opens with an empty search.
    w.input->select(0, 1);
    action->trigger();
    QCOMPARE(search->text(), QString());
    QTreeWidgetItem* mile =
        units->findItems(QStringLiteral("mi"), Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QVERIFY(mile);
    QVERIFY(QTest::qWaitForWindowExposed(browser));
    units->scrollToItem(mile);
    const QRect where = units->visualItemRect(mile);
    QVERIFY2(units->viewport()->rect().contains(where.center()),
             qPrintable(QStringLiteral("%1,%2").arg(where.x()).arg(where.y())));
    // The press of a double click comes first, as from a real mouse.
    QTest::mouseClick(units->viewport(), Qt::LeftButton, Qt::NoModifier, where.center());
    QTest::mouseDClick(units->viewport(), Qt::LeftButton, Qt::NoModifier, where.center());
    QVERIFY(!browser->isVisible());
    QVERIFY2(w.input->text().startsWith(QStringLiteral("mi ")), qPrintable(w.input->text()));
    // Escape closes it without inserting, and leaves the window be.
    action->trigger();
    const QString before = w.input->text();
    QTest::keyClick(search, Qt::Key_Escape);
    QVERIFY(!browser->isVisible());
    QCOMPARE(w.input->text(), before);
    QVERIFY(w.window->isVisible() && !w.window->isClosing());
}

void MainWindowTest::unitBrowserListsFunctionsAndConstants() {
    Window w;
    w.window->findChild<QAction*>(QStringLiteral("insertFunctionAction"))->trigger();
    auto* browser = w.window->findChild<UnitBrowser*>();
    QVERIFY(browser);
    QCOMPARE(browser->findChild<QTabWidget*>()->currentIndex(), int(UnitBrowser::Functions));
    QTreeWidget* functions = browser->list(UnitBrowser::Functions);
    const QList<QTreeWidgetItem*> hyp =
        functions->findItems(QStringLiteral("hyp a b"), Qt::MatchExactly);
    QCOMPARE(hyp.size(), 1);
    QCOMPARE(hyp[0]->text(1), QStringLiteral("Hypotenuse"));
    // Constants are named values: rnd and dice draw numbers and are neither here nor there.
    QCOMPARE(browser->shownNames(UnitBrowser::Constants), QStringList());
    QVERIFY(!browser->shownNames(UnitBrowser::Functions).contains(QStringLiteral("rnd")));
    auto* search = browser->findChild<QLineEdit*>(QStringLiteral("search"));
    QTest::keyClicks(search, QStringLiteral("hypot"));
    QCOMPARE(browser->shownNames(UnitBrowser::Functions), QStringList{QStringLiteral("hyp")});
    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(w.input->text(), QStringLiteral("hyp "));
}

void MainWindowTest::inputIsColouredByItsPieces_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mask");  // n number, u unit, f function, o operator, . text
    QTest::newRow("conversion") << "2.5 km + 300 m in ft"
                                << "nnn.uu.o.nnn.u.oo.uu";
    QTest::newRow("function, ans") << "sqrt(ans) * 2"
                                   << "ffffofffo.o.n";
    QTest::newRow("unknown name") << "3 xyz / 2"
                                  << "n.....o.n";
    QTest::newRow("multi-byte unit") << "5 µm^2"
                                     << "n.uuon";
    QTest::newRow("stops where it cannot read") << "2 m # 3"
                                                << "n.u....";
}

void MainWindowTest::inputIsColouredByItsPieces() {
    QFETCH(QString, text);
    QFETCH(QString, mask);
    Window w;
    w.type(text);
    const quantrel::ui::InputColours colours = w.input->colours();
    QString drawn;
    for (const QColor& colour : drawnColours(w.input)) {
        drawn += colour == colours.number      ? QLatin1Char('n')
                 : colour == colours.unit      ? QLatin1Char('u')
                 : colour == colours.function  ? QLatin1Char('f')
                 : colour == colours.operation ? QLatin1Char('o')
                                               : QLatin1Char('.');
    }
    QCOMPARE(drawn, mask);
    // An error span is drawn over the pieces in the error colour, and goes with the next edit.
    w.enter();
    if (!w.info->showsError()) return;
    QVERIFY(redMask(w.input).contains(QLatin1Char('r')));
    QTest::keyClick(w.input, Qt::Key_End);
    w.type(QStringLiteral(" "));
    QVERIFY(!redMask(w.input).contains(QLatin1Char('r')));
}

// The entries of the history list as "input = result", a failed one as "input ! error".
QStringList historyRows(const HistoryView* view) {
    QStringList rows;
    for (int i = 0; i < view->count(); ++i) {
        const QListWidgetItem* item = view->item(i);
        const bool failed = item->data(HistoryView::kFailedRole).toBool();
        rows << item->text() + (failed ? QStringLiteral(" ! ") : QStringLiteral(" = ")) +
                    item->data(HistoryView::kResultRole).toString();
    }
    return rows;
}

QByteArray fileContent(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void MainWindowTest::historyListsCalculationsAndRecallsThem() {
    Window w;
    for (const char* line : {"2 km + 300 m", "1 / 0", "ans * 2"}) {
        w.clearInput();
        w.type(QString::fromUtf8(line));
        w.enter();
    }
    // An empty line is not a calculation.
    w.clearInput();
    w.enter();
    QCOMPARE(historyRows(w.history), (QStringList{QStringLiteral("2 km + 300 m = 2.3 km"),
                                                  QStringLiteral("1 / 0 ! Math: Division by zero"),
                                                  QStringLiteral("ans * 2 = 4.6 km")}));
    QCOMPARE(w.window->history().entries().size(), std::size_t(3));

    // Up and Down walk through the inputs; past the newest the typed text comes back.
    w.type(QStringLiteral("draft"));
    const struct {
        Qt::Key key;
        const char* expected;
    } steps[] = {{Qt::Key_Up, "ans * 2"},      {Qt::Key_Up, "1 / 0"},
                 {Qt::Key_Up, "2 km + 300 m"}, {Qt::Key_Up, "2 km + 300 m"},
                 {Qt::Key_Down, "1 / 0"},      {Qt::Key_Down, "ans * 2"},
                 {Qt::Key_Down, "draft"}};
    for (const auto& step : steps) {
        QTest::keyClick(w.input, step.key);
        QCOMPARE(w.input->text(), QString::fromUtf8(step.expected));
        QCOMPARE(w.input->textCursor().position(), w.input->text().size());
    }

    // A click on an entry puts its input back; so does activating one with the keyboard.
    const QRect first = w.history->visualItemRect(w.history->item(0));
    QTest::mouseClick(w.history->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    QCOMPARE(w.input->text(), QStringLiteral("2 km + 300 m"));
    QVERIFY(w.input->hasFocus() || !QApplication::focusWidget());
    w.history->setFocus();
    w.history->setCurrentRow(1);
    QTest::keyClick(w.history, Qt::Key_Return);
    QCOMPARE(w.input->text(), QStringLiteral("1 / 0"));
    QCOMPARE(w.history->count(), 3);  // recalled, not evaluated
}

void MainWindowTest::clearingTheHistoryAsksFirst() {
    Window w;
    QAction* clear = w.window->findChild<QAction*>(QStringLiteral("clearHistoryAction"));
    QVERIFY(!clear->isEnabled());  // nothing to clear yet
    for (const char* line : {"2 km", "3 m"}) {
        w.clearInput();
        w.type(QString::fromUtf8(line));
        w.enter();
    }
    QVERIFY(clear->isEnabled());
    // Cancel keeps every calculation; Clear forgets them.
    const struct {
        QMessageBox::StandardButton answer;
        int left;
    } rows[] = {{QMessageBox::Cancel, 2}, {QMessageBox::Yes, 0}};
    for (const auto& row : rows) {
        bool asked = false;
        answerNextQuestion(row.answer, &asked);
        clear->trigger();
        QVERIFY(asked);
        QCOMPARE(w.history->count(), row.left);
        QCOMPARE(int(w.window->history().entries().size()), row.left);
    }
    QVERIFY(!clear->isEnabled());
}

void MainWindowTest::historyIsKeptInTheStateDirectory() {
    const quantrel::test::TemporaryDirectory state;
    const std::filesystem::path file = state.path() / "quantrel" / "window-history";
    {
        Window w({}, file);
        QCOMPARE(w.history->count(), 0);
        w.type(QStringLiteral("2 km + 300 m"));
        w.enter();
        w.clearInput();
        w.type(QStringLiteral("1 / 0"));
        w.enter();
        QVERIFY(w.window->historyProblem().isEmpty());
    }
    QCOMPARE(fileContent(file), QByteArray("quantrel history 1\n"
                                           "= 2 km + 300 m\t2.3 km\n"
                                           "! 1 / 0\tMath: Division by zero\n"
                                           "end 2\n"));
    struct stat info {};
    QCOMPARE(::stat(file.c_str(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
    // The next window starts with them, and Up reaches them at once.
    Window again({}, file);
    QCOMPARE(historyRows(again.history).size(), 2);
    QTest::keyClick(again.input, Qt::Key_Up);
    QCOMPARE(again.input->text(), QStringLiteral("1 / 0"));
    answerNextQuestion(QMessageBox::Yes);
    again.window->findChild<QAction*>(QStringLiteral("clearHistoryAction"))->trigger();
    QCOMPARE(fileContent(file), QByteArray("quantrel history 1\nend 0\n"));
}

void MainWindowTest::aDamagedHistoryFileIsIgnoredWithAMessage() {
    const quantrel::test::TemporaryDirectory state;
    const std::filesystem::path file =
        state.write("quantrel/window-history", "quantrel history 1\n= 2 km\t2 km\nend 5\n");
    Window w({}, file);
    QCOMPARE(w.history->count(), 0);
    QVERIFY(w.window->historyProblem().contains(QStringLiteral("was not loaded")));
    QVERIFY2(w.information().startsWith(QStringLiteral("History: The history ")),
             qPrintable(w.information()));
    // The window works, and the next calculation replaces the damaged file with a whole one.
    w.type(QStringLiteral("3 m"));
    w.enter();
    QCOMPARE(w.result->text(), QStringLiteral("3 m"));
    QCOMPARE(fileContent(file), QByteArray("quantrel history 1\n= 3 m\t3 m\nend 1\n"));
}

void MainWindowTest::copyResultPutsTheResultOnTheClipboard() {
    Window w;
    QAction* copy = w.window->findChild<QAction*>(QStringLiteral("copyResultAction"));
    QCOMPARE(copy->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+C")));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QVERIFY(!copy->isEnabled());  // nothing to copy yet
    w.type(QStringLiteral("60 mi / 1 h in kmh"));
    w.enter();
    copy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("96.5606 kmh"));
    // The field's own text can be selected and copied as usual.
    QVERIFY(w.result->isReadOnly());
    w.result->selectAll();
    w.result->copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("96.5606 kmh"));
    // Its context menu offers the command too.
    bool offered = false;
    QTimer::singleShot(0, w.window.get(), [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            offered = menu->actions().contains(copy);
            menu->close();
        }
    });
    emit w.result->customContextMenuRequested(QPoint(2, 2));
    QTRY_VERIFY(offered);
    // A history entry's context menu copies that entry's result.
    QGuiApplication::clipboard()->clear();
    QTimer::singleShot(0, w.window.get(), [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            menu->actions().front()->trigger();
            menu->close();
        }
    });
    const QRect entry = w.history->visualItemRect(w.history->item(0));
    QContextMenuEvent event(QContextMenuEvent::Mouse, entry.center(),
                            w.history->viewport()->mapToGlobal(entry.center()));
    QApplication::sendEvent(w.history->viewport(), &event);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("96.5606 kmh"));
}

void MainWindowTest::copyHistoryPutsEveryCalculationOnTheClipboard() {
    Window w;
    QAction* copy = w.window->findChild<QAction*>(QStringLiteral("copyHistoryAction"));
    QVERIFY(!copy->isEnabled());
    for (const char* line : {"2 km + 300 m", "1 / 0"}) {
        w.clearInput();
        w.type(QString::fromUtf8(line));
        w.enter();
    }
    copy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("2 km + 300 m = 2.3 km\n1 / 0 ! Math: Division by zero\n"));
}

void MainWindowTest::liveResultFollowsTheTypingAndLeavesAnsAlone() {
    Window w;
    const QColor committedColour = w.result->palette().color(QPalette::Text);
    // After each piece typed: the live result, empty when the text does not evaluate yet.
    const struct {
        const char* typed;
        const char* shown;
    } steps[] = {{"2", "2"},           {" km", "2 km"}, {" +", ""},
                 {" 300 m", "2.3 km"}, {" in", ""},     {" m", "2300 m"}};
    for (const auto& step : steps) {
        w.type(QString::fromUtf8(step.typed));
        QCOMPARE(w.result->text(), QString::fromUtf8(step.shown));
        QVERIFY(w.window->resultIsLive());
        QVERIFY(!w.info->showsError());  // no error colour while typing
        QCOMPARE(redMask(w.input), QString(w.input->text().size(), QLatin1Char('.')));
    }
    QVERIFY(w.result->palette().color(QPalette::Text) != committedColour);
    QCOMPARE(w.window->calculator().ansValue(), 0.0L);  // ans untouched
    QCOMPARE(w.history->count(), 0);

    w.enter();  // commits
    QCOMPARE(w.result->text(), QStringLiteral("2300 m"));
    QVERIFY(!w.window->resultIsLive());
    QCOMPARE(w.result->palette().color(QPalette::Text), committedColour);
    QCOMPARE(w.window->calculator().ansValue(), 2300.0L);
    QCOMPARE(w.history->count(), 1);

    // ans in a live line is the committed one; random draws wait for Enter.
    w.clearInput();
    w.type(QStringLiteral("ans * 2"));
    QCOMPARE(w.result->text(), QStringLiteral("4.6 km"));
    w.clearInput();
    w.type(QStringLiteral("rnd * 0"));
    QVERIFY(w.result->text().isEmpty());
    w.enter();
    QCOMPARE(w.result->text(), QStringLiteral("0"));
    // After an error the mark stays until the text changes, and the field shows nothing.
    w.clearInput();
    w.type(QStringLiteral("1 / 0"));
    w.enter();
    QVERIFY(w.result->text().isEmpty());
    QCOMPARE(redMask(w.input), QStringLiteral("..r.."));
}

void MainWindowTest::windowResizesAndRemembersItsGeometry() {
    QRect remembered;
    {
        Window w;
        QVERIFY(w.window->maximumHeight() > w.window->minimumHeight());
        QVERIFY(w.window->maximumWidth() > w.window->minimumWidth());
        const auto* button = w.window->findChild<QPushButton*>(QStringLiteral("evaluate"));
        struct Shape {
            int inputWidth, resultWidth, buttonWidth, historyHeight;
        };
        const auto measure = [&](int width, int height) {
            w.window->resize(width, height);
            QApplication::processEvents();
            w.window->layout()->activate();
            // The row reads input, "=", result from left to right inside the window.
            const int inputRight = w.input->geometry().right();
            const int buttonLeft = button->geometry().left();
            const int resultRight =
                w.result->mapTo(w.window.get(), QPoint(w.result->width(), 0)).x();
            [&] {
                QVERIFY(inputRight < buttonLeft);
                QVERIFY(button->geometry().right() < w.result->geometry().left());
                QVERIFY(resultRight <= w.window->width());
            }();
            return Shape{w.input->width(), w.result->width(), button->width(), w.history->height()};
        };
        const Shape narrow = measure(500, 300);
        const Shape wide = measure(900, 500);
        QVERIFY(wide.inputWidth > narrow.inputWidth);
        QVERIFY(wide.resultWidth > narrow.resultWidth);
        QCOMPARE(wide.buttonWidth, narrow.buttonWidth);
        QVERIFY(wide.historyHeight >= narrow.historyHeight + 150);
        QCOMPARE(w.input->height(), w.result->height());

        w.window->move(40, 50);
        w.window->close();  // remembers the place before sliding away
        QTRY_VERIFY_WITH_TIMEOUT(!w.window->isVisible(), 2000);
        remembered = QRect(QPoint(40, 50), QSize(900, 500));
    }
    Window again({}, {}, false);
    QCOMPARE(again.window->size(), remembered.size());
}

void MainWindowTest::historyCanBeHiddenAndTheChoiceIsRemembered() {
    {
        Window w;
        w.window->resize(600, 400);
        QAction* history = w.window->findChild<QAction*>(QStringLiteral("historyAction"));
        QCOMPARE(history->shortcut(), QKeySequence(QStringLiteral("Ctrl+H")));
        QVERIFY(history->isChecked());
        history->trigger();
        QVERIFY(w.history->isHidden());
        QVERIFY(w.window->height() < 400);
        QCOMPARE(w.window->minimumHeight(), w.window->maximumHeight());
        history->trigger();  // back to the size it had
        QVERIFY(!w.history->isHidden());
        QCOMPARE(w.window->height(), 400);
        history->trigger();
    }
    Window again({}, {}, false);
    QVERIFY(again.history->isHidden());
    QVERIFY(!again.window->findChild<QAction*>(QStringLiteral("historyAction"))->isChecked());
}

void MainWindowTest::digitsApplyToResults() {
    {
        Window w;
        QVERIFY(w.window->findChild<QAction*>(QStringLiteral("digits6Action"))->isChecked());
        const struct {
            int digits;
            const char* shown;
        } rows[] = {
            {10, "0.3333333333"}, {15, "0.333333333333333"}, {6, "0.333333"}, {10, "0.3333333333"}};
        for (const auto& row : rows) {
            w.window->findChild<QAction*>(QStringLiteral("digits%1Action").arg(row.digits))
                ->trigger();
            QCOMPARE(w.window->calculator().numberFormat().precision(), row.digits);
            w.clearInput();
            w.type(QStringLiteral("1 / 3"));
            QCOMPARE(w.result->text(), QString::fromUtf8(row.shown));  // live
            w.enter();
            QCOMPARE(w.result->text(), QString::fromUtf8(row.shown));
        }
    }
    Window again({}, {}, false);
    QCOMPARE(again.window->calculator().numberFormat().precision(), 10);
    QVERIFY(again.window->findChild<QAction*>(QStringLiteral("digits10Action"))->isChecked());
}

void MainWindowTest::shortcutsReachTheirCommands() {
    Window w;
    w.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    const struct {
        const char* action;
        const char* keys;
    } shortcuts[] = {{"exitAction", "Ctrl+Q"},
                     {"copyResultAction", "Ctrl+Shift+C"},
                     {"focusInputAction", "Ctrl+L"},
                     {"historyAction", "Ctrl+H"},
                     {"userGuideAction", "F1"}};
    for (const auto& row : shortcuts) {
        const QAction* action = w.window->findChild<QAction*>(QString::fromUtf8(row.action));
        QVERIFY2(action, row.action);
        QCOMPARE(action->shortcut(), QKeySequence(QString::fromUtf8(row.keys)));
    }
    // Ctrl+L from the history list focuses and selects the input line.
    w.type(QStringLiteral("2 m"));
    w.enter();
    w.history->setFocus();
    QTest::keyClick(w.history, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(w.input->hasFocus());
    QCOMPARE(w.input->textCursor().selectedText(), QStringLiteral("2 m"));
    QTest::keyClick(w.input, Qt::Key_H, Qt::ControlModifier);
    QVERIFY(w.history->isHidden());
    QTest::keyClick(w.input, Qt::Key_H, Qt::ControlModifier);
    QVERIFY(!w.history->isHidden());
    const struct {
        const char* action;
        const char* keys;
    } more[] = {{"insertUnitAction", "Ctrl+U"}, {"userGuideAction", "F1"}};
    for (const auto& row : more) {
        QCOMPARE(w.window->findChild<QAction*>(QString::fromUtf8(row.action))->shortcut(),
                 QKeySequence(QString::fromUtf8(row.keys)));
    }
    // The guide menu entry is there only with a guide.
    QVERIFY(!w.window->findChild<QAction*>(QStringLiteral("userGuideAction"))->isEnabled());
    QStringList menus;
    for (const QMenu* menu : w.window->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly))
        menus << menu->objectName();
    const auto* bar = w.window->findChild<QMenuBar*>();
    QStringList titles;
    for (const QAction* action : bar->actions())
        titles << action->text();
    QCOMPARE(titles, (QStringList{QStringLiteral("&Quantrel"), QStringLiteral("&Edit"),
                                  QStringLiteral("&View"), QStringLiteral("&Insert"),
                                  QStringLiteral("&Help")}));
}

void MainWindowTest::unknownNamesGetSuggestions() {
    Window w;
    w.type(QStringLiteral("5 kilometre + 1 m"));
    w.enter();
    QVERIFY(w.info->showsError());
    QCOMPARE(w.information().section(QLatin1Char('\n'), 1), QStringLiteral("Did you mean: km"));
    // A click puts the name in place; the error goes with the old text, none of the line is red.
    w.clickLink(0);
    QCOMPARE(w.input->text(), QStringLiteral("5 km + 1 m"));
    QCOMPARE(w.input->textCursor().position(), 4);
    QVERIFY(!w.info->showsError());
    QCOMPARE(redMask(w.input), QString(w.input->text().size(), QLatin1Char('.')));
    QCOMPARE(w.result->text(), QStringLiteral("5001 m"));  // live
    w.enter();
    QCOMPARE(w.result->text(), QStringLiteral("5001 m"));

    // Several close names are all offered, shorter first; Tab walks through them.
    w.type(QStringLiteral("sqr 4"));
    w.enter();
    QCOMPARE(w.information().section(QLatin1Char('\n'), 1),
             QStringLiteral("Did you mean: sq sqrt"));
    QTest::keyClick(w.input, Qt::Key_Tab);
    QCOMPARE(w.input->text(), QStringLiteral("sq 4"));
    QTest::keyClick(w.input, Qt::Key_Tab);
    QCOMPARE(w.input->text(), QStringLiteral("sqrt 4"));
    QCOMPARE(w.result->text(), QStringLiteral("2"));
}

void MainWindowTest::coloursFollowTheLightOrDarkPalette() {
    const QPalette original = QApplication::palette();
    const auto isClearlyRed = [](const QColor& colour) {
        return colour.red() >= 200 && colour.green() <= 120 && colour.blue() <= 120;
    };
    for (const bool dark : {false, true}) {
        QPalette palette = original;
        if (dark) {
            for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base}) {
                palette.setColor(role, QColor(40, 40, 44));
            }
            for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text}) {
                palette.setColor(role, QColor(230, 230, 230));
            }
        }
        QApplication::setPalette(palette);
        Window w;
        w.type(QStringLiteral("1 / 0"));
        w.enter();
        const QColor panel = w.info->palette().color(w.info->backgroundRole());
        QCOMPARE(panel, palette.color(QPalette::Base));
        const QColor errorText = w.input->colours().error;
        QVERIFY2(isClearlyRed(errorText), qPrintable(errorText.name()));
        QVERIFY(w.info->rowLabel(0)->text().contains(errorText.name()));
        // The mark in the input is the same red, readable against the base colour.
        QCOMPARE(drawnColours(w.input).value(2), errorText);
        const int base = palette.color(QPalette::Base).lightness();
        QVERIFY(std::abs(errorText.lightness() - base) > 60);
        // The pieces' colours differ from each other and from the base, in both palettes.
        const quantrel::ui::InputColours c = w.input->colours();
        const QList<QColor> pieces{c.number, c.unit, c.function, c.operation};
        for (int i = 0; i < pieces.size(); ++i) {
            QVERIFY2(std::abs(pieces[i].lightness() - base) > 50, qPrintable(pieces[i].name()));
            for (int j = i + 1; j < pieces.size(); ++j)
                QVERIFY(pieces[i] != pieces[j]);
        }
    }
    QApplication::setPalette(original);
}

void MainWindowTest::everyWayOfClosingSlidesOut_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("Escape in the empty input line") << 0;
    QTest::newRow("Exit") << 1;
    QTest::newRow("close box, Alt+F4") << 2;
}

void MainWindowTest::everyWayOfClosingSlidesOut() {
    QFETCH(int, how);
    Window w;
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    const QPoint before = w.window->pos();
    QTest::qWait(MainWindow::kSlideMilliseconds * 2);  // the opening slide ends
    if (how == 0) {
        QTest::keyClick(w.input, Qt::Key_Escape);
    } else if (how == 1) {
        w.window->findChild<QAction*>(QStringLiteral("exitAction"))->trigger();
    } else {
        w.window->close();
    }
    QVERIFY(w.window->isClosing());
    QVERIFY(w.window->isVisible());  // still sliding
    QTRY_VERIFY_WITH_TIMEOUT(!w.window->isVisible(), 2000);
    QVERIFY(w.window->pos().y() > before.y() - 1);
    QCOMPARE(w.window->result(), 0);
}

void MainWindowTest::userGuideOpensInAWindowOfItsOwn() {
    const quantrel::test::TemporaryDirectory docs;
    const std::filesystem::path guide =
        docs.write("guide.html", "<html><body><h1>Guide</h1><p>Type a line.</p></body></html>");
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    Window w(guide);
    QAction* action = w.window->findChild<QAction*>(QStringLiteral("userGuideAction"));
    QVERIFY(action->isEnabled());
    for (int i = 0; i < 2; ++i)
        action->trigger();  // the second time the same window comes forward
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.opened.size(), 0);
    const QList<GuideWindow*> windows = w.window->findChildren<GuideWindow*>();
    QCOMPARE(windows.size(), 1);
    QVERIFY(windows[0]->isVisible());
    QVERIFY(windows[0]->browser()->toPlainText().contains(QStringLiteral("Type a line.")));
}

void MainWindowTest::aboutBoxOpensFromTheMenuAndIgnoresEscape() {
    Window w;
    bool checked = false;
    QTimer::singleShot(0, w.window.get(), [&] {
        auto* about = w.window->findChild<AboutDialog*>();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        QCOMPARE(about->findChild<QLabel*>(QStringLiteral("version"))->text(),
                 QStringLiteral(QUANTREL_VERSION));
        QVERIFY(QFile::exists(QStringLiteral(":/banner.png")));
        QVERIFY(!about->findChild<QLabel*>(QStringLiteral("banner"))->pixmap().isNull());
        QTest::keyClick(about, Qt::Key_Escape);
        QVERIFY(about->isVisible());
        about->findChild<QPushButton*>(QStringLiteral("ok"))->click();
        checked = true;
    });
    w.window->findChild<QAction*>(QStringLiteral("aboutAction"))->trigger();
    QVERIFY(checked);
    QVERIFY(w.window->isVisible());
}

void MainWindowTest::aboutBoxShowsItsWholeText() {
    AboutDialog about({});
    about.show();
    const auto* notice = about.findChild<QLabel*>(QStringLiteral("notice"));
    QVERIFY(notice);
    QCOMPARE(notice->text(), AboutDialog::noticeText());
    // Tall enough for every line of the text at its width, and inside the box.
    QVERIFY(notice->height() >= notice->heightForWidth(notice->width()));
    QVERIFY(notice->geometry().bottom() < about.height());
    const auto* ok = about.findChild<QPushButton*>(QStringLiteral("ok"));
    QVERIFY(ok->geometry().top() > notice->geometry().bottom());
    QVERIFY(ok->geometry().bottom() < about.height());
}

void MainWindowTest::aboutBoxOpensTheGuideOnEveryClick() {
    const quantrel::test::TemporaryDirectory docs;
    const std::filesystem::path guide = docs.write("guide.html", "<html></html>");
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    AboutDialog about(guide);
    about.show();
    auto* link = about.findChild<QPushButton*>(QStringLiteral("userGuideLink"));
    link->click();
    link->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.opened.size(), 2);
    QCOMPARE(catcher.opened.front(), QUrl::fromLocalFile(QString::fromStdString(guide.string())));
    QVERIFY(about.isVisible());
    QVERIFY(AboutDialog::noticeText().contains(
        QStringLiteral("Makoto Matsumoto and Takuji Nishimura")));
    QVERIFY(AboutDialog::noticeText().contains(
        QStringLiteral("GNU General Public License, version 3 or (at your option) any later")));
    QVERIFY(AboutDialog::noticeText().size() < 1000);
}

void MainWindowTest::badSettingsEndWithExitCodeOne() {
    const quantrel::test::TemporaryDirectory settings;
    settings.write(
        "units.xml",
        "<Units><Quantity name=\"Length\">\n<Unit symbol=\"m\">1 #</Unit></Quantity></Units>");
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QUANTREL_NO_MESSAGE_BOX"), QStringLiteral("1"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUANTREL_GUI),
                  {QStringLiteral("--settings"), QString::fromStdString(settings.path().string())});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    const QString errors = QString::fromUtf8(program.readAllStandardError());
    // The message, then where in the settings it went wrong.
    const QString file = QString::fromStdString((settings.path() / "units.xml").generic_string());
    QVERIFY2(errors.contains(
                 QStringLiteral("Tokenizer error: Syntax error\n  at %1:2, unit 'm'\n").arg(file)),
             qPrintable(errors));
    QCOMPARE(program.exitCode(), 1);

    // A settings directory that is named must exist.
    const QString missing = QString::fromStdString((settings.path() / "missing").string());
    program.start(QStringLiteral(QUANTREL_GUI), {QStringLiteral("--settings"), missing});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 1);
    const QString missingErrors = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(
        missingErrors.contains(
            QStringLiteral("Configuration error (%1): Settings directory not found").arg(missing)),
        qPrintable(missingErrors));
}

void MainWindowTest::noDisplayEndsWithExitCodeTwo() {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUANTREL_GUI), {});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 2);
    QVERIFY(
        QString::fromUtf8(program.readAllStandardError()).contains(QStringLiteral("no display")));

    // Help and version need no display.
    for (const char* option : {"--help", "--version"}) {
        program.start(QStringLiteral(QUANTREL_GUI), {QString::fromLatin1(option)});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        QVERIFY2(out.startsWith(QStringLiteral("Usage: quantrel ")) ||
                     out == QStringLiteral("quantrel " QUANTREL_VERSION "\n"),
                 qPrintable(out));
        QCOMPARE(program.readAllStandardError(), QByteArray());
    }

    // A display that cannot be reached is reported the same way, not by an abort.
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":97"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUANTREL_GUI), {});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 2);
}

// The windows keep their settings and history under a temporary directory, never the user's.
int main(int argc, char* argv[]) {
    const quantrel::test::TemporaryDirectory home;
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "HOME"})
        setenv(variable, (home.path() / variable).c_str(), 1);
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("quantrel-tests"));
    QCoreApplication::setApplicationName(QStringLiteral("quantrel-tests"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString((home.path() / "settings").string()));
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "main_window_test.moc"
