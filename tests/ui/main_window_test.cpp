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
#include <QWidgetAction>

#include <sys/stat.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "core/calculator.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"
#include "ui/about_dialog.h"
#include "ui/hint_line.h"
#include "ui/history_view.h"
#include "ui/input_line.h"
#include "ui/main_window.h"
#include "ui/name_grid_action.h"

using quantrel::ui::AboutDialog;
using quantrel::ui::HintLine;
using quantrel::ui::HistoryView;
using quantrel::ui::InputLine;
using quantrel::ui::MainWindow;

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
        errorLine = window->findChild<HintLine*>(QStringLiteral("errorLine"));
        informationLine = window->findChild<HintLine*>(QStringLiteral("informationLine"));
        panel = window->findChild<QWidget*>(QStringLiteral("panel"));
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

    std::unique_ptr<MainWindow> window;
    InputLine* input = nullptr;
    QLineEdit* result = nullptr;
    HintLine* errorLine = nullptr;
    HintLine* informationLine = nullptr;
    QWidget* panel = nullptr;
    QWidget* client = nullptr;
    HistoryView* history = nullptr;
};

// One character per character of the input: 'r' where it is red, '.' elsewhere.
QString redMask(const InputLine* input) {
    QString mask;
    const QTextDocument* document = input->document();
    for (int i = 0; i < document->characterCount() - 1; ++i) {
        QTextCursor cursor(const_cast<QTextDocument*>(document));
        cursor.setPosition(i + 1);  // the format of the character before the cursor
        const QTextCharFormat format = cursor.charFormat();
        const bool red = format.hasProperty(QTextFormat::ForegroundBrush) &&
                         format.foreground().color() == QColor(255, 0, 0);
        mask += red ? QLatin1Char('r') : QLatin1Char('.');
    }
    return mask;
}

// The buttons of an Insert submenu's grid.
QGridLayout* menuGrid(const MainWindow& window, const QString& menuName) {
    const auto* menu = window.findChild<QMenu*>(menuName);
    if (!menu || menu->actions().size() != 1) return nullptr;
    const auto* action = qobject_cast<QWidgetAction*>(menu->actions().front());
    if (!action || !action->defaultWidget()) return nullptr;
    return qobject_cast<QGridLayout*>(action->defaultWidget()->layout());
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
    void firstKeyPressReturnsTheDefaultColour();
    void evaluationKeepsTheSelection();
    void insertMenuListsNamesInColumnsOfFifteen();
    void unitMenuHasOneSubmenuPerQuantity();
    void insertMenuInsertsAtTheCaretOrOverTheSelection();
    void hintsListAndDescribeNames();
    void readingNotesFollowTheResult();
    void linkClickReplacesTheWholeWord();
    void compactWindowFollowsTheVisibleLines();
    void historyListsCalculationsAndRecallsThem();
    void historyIsKeptInTheStateDirectory();
    void aDamagedHistoryFileIsIgnoredWithAMessage();
    void copyResultPutsTheResultOnTheClipboard();
    void liveResultFollowsTheTypingAndLeavesAnsAlone();
    void windowResizesAndRemembersItsGeometry();
    void historyCanBeHiddenAndTheChoiceIsRemembered();
    void digitsApplyToResults();
    void shortcutsReachTheirCommands();
    void unknownNamesGetSuggestions();
    void coloursFollowTheLightOrDarkPalette();
    void everyWayOfClosingSlidesOut_data();
    void everyWayOfClosingSlidesOut();
    void aboutBoxOpensFromTheMenuAndIgnoresEscape();
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
    QVERIFY(w.errorLine->isHidden());
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
    QVERIFY(w.errorLine->isVisible());
    const QString shown = w.errorLine->plainText();
    if (errorText.isEmpty()) {
        QVERIFY2(shown.startsWith(QStringLiteral("Parser: ")), qPrintable(shown));
    } else {
        QCOMPARE(shown, errorText);
    }
    // The category is bold, the message is not.
    QTextCursor cursor(w.errorLine->document());
    cursor.setPosition(1);
    QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Bold));
    cursor.movePosition(QTextCursor::End);
    QVERIFY(cursor.charFormat().fontWeight() < int(QFont::Bold));
    QCOMPARE(redMask(w.input), mask);
}

void MainWindowTest::firstKeyPressReturnsTheDefaultColour() {
    Window w;
    w.type(QStringLiteral("1 / 0 + 2"));
    w.enter();
    QCOMPARE(redMask(w.input), QStringLiteral("..r......"));
    // Keys that change nothing leave the mark until one goes down.
    QTest::keyClick(w.input, Qt::Key_Home);
    QCOMPARE(redMask(w.input), QStringLiteral("........."));
    w.type(QStringLiteral("3"));
    QCOMPARE(w.input->text(), QStringLiteral("31 / 0 + 2"));
    QCOMPARE(redMask(w.input), QStringLiteral(".........."));
}

void MainWindowTest::evaluationKeepsTheSelection() {
    Window w;
    w.type(QStringLiteral("1 / 0 + 2"));
    w.input->select(6, 2);
    w.enter();
    QCOMPARE(w.input->textCursor().anchor(), 6);
    QCOMPARE(w.input->textCursor().position(), 2);
    QCOMPARE(redMask(w.input), QStringLiteral("..r......"));
}

void MainWindowTest::insertMenuListsNamesInColumnsOfFifteen() {
    Window w;
    const quantrel::UnitRegistry& registry = w.window->calculator().registry();
    QStringList functions;
    QStringList constants;
    for (const auto& [name, function] : registry.functions())
        (function.argumentCount == 0 ? constants : functions) << QString::fromStdString(name);
    QCOMPARE(constants, (QStringList{QStringLiteral("dice"), QStringLiteral("rnd")}));
    const struct {
        QString menu;
        QStringList expected;
    } menus[] = {
        {QStringLiteral("functionMenu"), functions},
        {QStringLiteral("constantMenu"), constants},
    };
    QVERIFY(functions.size() > 15);  // the registry needs a second column
    for (const auto& [menu, expected] : menus) {
        QGridLayout* grid = menuGrid(*w.window, menu);
        QVERIFY2(grid, qPrintable(menu));
        QCOMPARE(grid->count(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            const auto* button = qobject_cast<QAbstractButton*>(grid->itemAt(i)->widget());
            QVERIFY(button);
            QCOMPARE(button->text(), expected[i]);
            QCOMPARE(row, i % quantrel::ui::NameGridAction::kRowsPerColumn);
            QCOMPARE(column, i / quantrel::ui::NameGridAction::kRowsPerColumn);
        }
        QCOMPARE(grid->columnCount(), int((expected.size() + 14) / 15));
    }
    const auto* insert = w.window->findChild<QMenu*>(QStringLiteral("insertMenu"));
    QStringList titles;
    for (const QAction* action : insert->actions())
        titles << action->text();
    QCOMPARE(titles, (QStringList{QString(), QStringLiteral("Function"), QStringLiteral("Constant"),
                                  QStringLiteral("Unit")}));
}

void MainWindowTest::unitMenuHasOneSubmenuPerQuantity() {
    Window w;
    const auto* units = w.window->findChild<QMenu*>(QStringLiteral("unitMenu"));
    QStringList quantities;
    for (const QAction* action : units->actions())
        quantities << action->text();
    QCOMPARE(quantities, (QStringList{"Area", "Frequency", "Length", "Mass", "Temperature", "Time",
                                      "Velocity", "Volume"}));
    QMenu* length = units->actions()[2]->menu();
    QVERIFY(length);
    QStringList entries;
    for (const QAction* action : length->actions())
        entries << action->text();
    QCOMPARE(entries, (QStringList{"m \u2014 metre", "km \u2014 kilometre", "cm \u2014 centimetre",
                                   "mm \u2014 millimetre", "mi \u2014 mile", "ft \u2014 foot",
                                   "in \u2014 inch", "\u00b5m \u2014 micrometre"}));
    // Choosing one inserts its symbol as the grid did.
    w.type(QStringLiteral("5"));
    length->actions()[7]->trigger();
    QCOMPARE(w.input->text(), QStringLiteral("5\u00b5m "));
}

void MainWindowTest::insertMenuInsertsAtTheCaretOrOverTheSelection() {
    Window w;
    const auto click = [&](const QString& menu, const QString& name) {
        if (menu == QStringLiteral("unitMenu")) {
            const auto* units = w.window->findChild<QMenu*>(menu);
            for (const QAction* quantity : units->actions()) {
                for (QAction* unit : quantity->menu()->actions()) {
                    if (unit->data().toString() == name) {
                        unit->trigger();
                        return;
                    }
                }
            }
            QFAIL("no such unit");
        }
        QGridLayout* grid = menuGrid(*w.window, menu);
        for (int i = 0; i < grid->count(); ++i) {
            auto* button = qobject_cast<QAbstractButton*>(grid->itemAt(i)->widget());
            if (button->text() == name) {
                button->click();
                return;
            }
        }
        QFAIL("no such menu entry");
    };
    w.type(QStringLiteral("5 + 2"));
    w.input->select(1, 1);
    click(QStringLiteral("unitMenu"), QStringLiteral("km"));
    QCOMPARE(w.input->text(), QStringLiteral("5km  + 2"));
    QCOMPARE(w.input->textCursor().position(), 4);
    QVERIFY(!w.input->textCursor().hasSelection());

    w.input->select(7, 5);  // "+ "
    click(QStringLiteral("functionMenu"), QStringLiteral("sqrt"));
    QCOMPARE(w.input->text(), QStringLiteral("5km  sqrt 2"));
    QCOMPARE(w.input->textCursor().position(), 10);
    // The hint follows the insertion: the caret is past the function's name.
    QVERIFY(w.informationLine->isVisible());
    QVERIFY(w.informationLine->plainText().startsWith(QStringLiteral("Function: sqrt")));
}

void MainWindowTest::readingNotesFollowTheResult() {
    Window w;
    const QString note = QStringLiteral("read 2 as 2 m");
    w.type(QStringLiteral("5 km + 2"));  // the live result says it already
    QVERIFY(w.informationLine->plainText().contains(note));
    w.enter();
    QCOMPARE(w.result->text(), QStringLiteral("5002 m"));
    QVERIFY(w.informationLine->plainText().contains(note));
    w.clearInput();
    w.type(QStringLiteral("5 m + 2"));
    QVERIFY(!w.informationLine->plainText().contains(QStringLiteral("read ")));
}

void MainWindowTest::hintsListAndDescribeNames() {
    Window w;
    // One candidate: a link until the caret reaches its end, then the description.
    w.type(QStringLiteral("hy"));
    QVERIFY(w.informationLine->isVisible());
    QCOMPARE(w.informationLine->plainText().trimmed(), QStringLiteral("hyp"));
    QVERIFY(w.informationLine->document()->toHtml().contains(QStringLiteral("href=\"0\"")));
    w.type(QStringLiteral("p"));
    QCOMPARE(w.informationLine->plainText(), QStringLiteral("Function: hypa b\nHypotenuse"));

    // A one-letter unit that begins several functions lists them all, then is described.
    w.clearInput();
    w.type(QStringLiteral("5 s"));
    QCOMPARE(w.informationLine->plainText().trimmed(), QStringLiteral("sin sinh sq sqrt s"));
    w.type(QStringLiteral(" "));
    QCOMPARE(w.informationLine->plainText(), QStringLiteral("Time unit: second (s)\nThe second"));

    w.clearInput();
    w.type(QStringLiteral("ans"));
    QCOMPARE(w.informationLine->plainText(),
             QStringLiteral("Variable: ans\nResult of the previous calculation"));
    QTextCursor label(w.informationLine->document());
    label.setPosition(1);
    QCOMPARE(label.charFormat().fontWeight(), int(QFont::Bold));

    // A text that does not tokenize hides the line; so do an operator and Escape-free keys.
    w.type(QStringLiteral(" #"));
    QVERIFY(w.informationLine->isHidden());
    w.clearInput();
    w.type(QStringLiteral("sqrt(5+"));
    QVERIFY(w.informationLine->isHidden());
}

void MainWindowTest::linkClickReplacesTheWholeWord() {
    Window w;
    w.type(QStringLiteral("µm + sqxyz(2)"));
    w.input->select(6, 6);
    QTest::keyClick(w.input, Qt::Key_Right);  // the caret after "sq"; the key release hints
    QCOMPARE(w.input->textCursor().position(), 7);
    QCOMPARE(w.informationLine->plainText().trimmed(), QStringLiteral("sq sqrt"));

    QTextCursor link = w.informationLine->document()->find(QStringLiteral("sqrt"));
    QVERIFY(!link.isNull());
    link.setPosition(link.selectionStart() + 2);
    const QPoint where = w.informationLine->cursorRect(link).center();
    QTest::mouseClick(w.informationLine->viewport(), Qt::LeftButton, Qt::NoModifier, where);

    QCOMPARE(w.input->text(), QStringLiteral("µm + sqrt (2)"));
    QCOMPARE(w.input->textCursor().position(), 10);
    QVERIFY(w.input->hasFocus() || !QApplication::focusWidget());
    // The hint was recomputed: the caret follows the function's name and a space.
    QVERIFY(w.informationLine->plainText().startsWith(QStringLiteral("Function: sqrt")));
}

void MainWindowTest::compactWindowFollowsTheVisibleLines() {
    Window w;
    w.window->setHistoryVisible(false);
    QVERIFY(w.history->isHidden());
    QVERIFY(w.panel->isHidden());
    const int bare = w.window->height();
    QCOMPARE(w.window->minimumHeight(), bare);
    QCOMPARE(w.window->maximumHeight(), bare);

    w.type(QStringLiteral("hy"));  // a one-line link list
    const int oneLine = w.window->height();
    QVERIFY(oneLine > bare);
    QVERIFY(w.panel->isVisible());
    const int oneLineHeight = w.informationLine->height();
    w.type(QStringLiteral("p"));  // a two-line description
    QVERIFY(w.informationLine->height() > oneLineHeight);
    const int twoLines = w.window->height();
    QVERIFY(twoLines >= oneLine);
    QVERIFY(w.panel->geometry().bottom() < w.client->height());

    w.enter();  // "hyp" alone does not parse: the error line joins
    QVERIFY(w.errorLine->isVisible());
    QVERIFY(w.window->height() > twoLines);
    QVERIFY(w.errorLine->mapTo(w.window.get(), QPoint()).y() >
            w.informationLine->mapTo(w.window.get(), QPoint()).y());

    w.clearInput();
    w.type(QStringLiteral("1"));
    w.enter();
    QVERIFY(w.errorLine->isHidden());
    QVERIFY(w.informationLine->isHidden());
    QVERIFY(w.panel->isHidden());
    QCOMPARE(w.window->height(), bare);
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

    w.window->findChild<QAction*>(QStringLiteral("clearHistoryAction"))->trigger();
    QCOMPARE(w.history->count(), 0);
    QVERIFY(w.window->history().entries().empty());
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
    QVERIFY(w.informationLine->isVisible());
    QVERIFY2(w.informationLine->plainText().startsWith(QStringLiteral("History: The history ")),
             qPrintable(w.informationLine->plainText()));
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
        QVERIFY(w.errorLine->isHidden());  // no error colour while typing
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
    // After an error the mark stays until the next key, and the field shows nothing.
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
    QVERIFY(w.errorLine->isVisible());
    QVERIFY(w.informationLine->isVisible());
    QCOMPARE(w.informationLine->plainText().trimmed(), QStringLiteral("Did you mean: km"));
    QVERIFY(w.informationLine->document()->toHtml().contains(QStringLiteral("href=\"0\"")));

    QTextCursor link = w.informationLine->document()->find(QStringLiteral("km"));
    QVERIFY(!link.isNull());
    link.setPosition(link.selectionStart() + 1);
    const QPoint where = w.informationLine->cursorRect(link).center();
    QTest::mouseClick(w.informationLine->viewport(), Qt::LeftButton, Qt::NoModifier, where);
    QCOMPARE(w.input->text(), QStringLiteral("5 km + 1 m"));
    QCOMPARE(w.input->textCursor().position(), 4);
    QCOMPARE(w.result->text(), QStringLiteral("5001 m"));  // live
    w.enter();
    QCOMPARE(w.result->text(), QStringLiteral("5001 m"));

    // Several close names are all offered.
    w.clearInput();
    w.type(QStringLiteral("sqr 4"));
    w.enter();
    QCOMPARE(w.informationLine->plainText().trimmed(), QStringLiteral("Did you mean: sq sqrt"));
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
        const QColor panel = w.panel->palette().color(w.panel->backgroundRole());
        QCOMPARE(panel, palette.color(QPalette::Base));
        QCOMPARE(w.errorLine->palette().color(QPalette::Base), palette.color(QPalette::Base));
        const QColor errorText = w.errorLine->palette().color(QPalette::Text);
        QVERIFY2(isClearlyRed(errorText), qPrintable(errorText.name()));
        // The mark in the input is the same red, readable against the base colour.
        QTextCursor marked(w.input->document());
        marked.setPosition(3);
        QCOMPARE(marked.charFormat().foreground().color(), errorText);
        QVERIFY(std::abs(errorText.lightness() - palette.color(QPalette::Base).lightness()) > 60);
    }
    QApplication::setPalette(original);
}

void MainWindowTest::everyWayOfClosingSlidesOut_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("Escape in the input line") << 0;
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
