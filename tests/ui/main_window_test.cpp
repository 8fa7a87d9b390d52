// SPDX-License-Identifier: GPL-3.0-or-later
// Widget tests of the desktop calculator, run on the offscreen platform.

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QWidgetAction>

#include <functional>
#include <memory>
#include <string>

#include "core/calculator.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"
#include "ui/about_dialog.h"
#include "ui/hint_line.h"
#include "ui/input_line.h"
#include "ui/main_window.h"
#include "ui/name_grid_action.h"

using quantrel::ui::AboutDialog;
using quantrel::ui::HintLine;
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

// One window with handles to its parts.
struct Window {
    explicit Window(std::filesystem::path guide = {})
        : window(std::make_unique<MainWindow>(makeCalculator(), std::move(guide))) {
        input = window->findChild<InputLine*>(QStringLiteral("input"));
        result = window->findChild<QLineEdit*>(QStringLiteral("result"));
        errorLine = window->findChild<HintLine*>(QStringLiteral("errorLine"));
        informationLine = window->findChild<HintLine*>(QStringLiteral("informationLine"));
        panel = window->findChild<QWidget*>(QStringLiteral("panel"));
        client = window->findChild<QWidget*>(QStringLiteral("client"));
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
    void insertMenuInsertsAtTheCaretOrOverTheSelection();
    void hintsListAndDescribeNames();
    void linkClickReplacesTheWholeWord();
    void windowFollowsTheVisibleLines();
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
    const struct {
        QString menu;
        QStringList names;
    } menus[] = {
        {QStringLiteral("functionMenu"), {}},
        {QStringLiteral("unitMenu"), {}},
    };
    const quantrel::UnitRegistry& registry = w.window->calculator().registry();
    for (const auto& [menu, unused] : menus) {
        QStringList expected;
        if (menu == QStringLiteral("functionMenu")) {
            for (const auto& [name, function] : registry.functions())
                expected << QString::fromStdString(name);
        } else {
            for (const auto& [symbol, unit] : registry.units())
                expected << QString::fromStdString(symbol);
        }
        QVERIFY(expected.size() > 15);  // the registry needs a second column
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
    QCOMPARE(titles, (QStringList{QString(), QStringLiteral("Function"), QStringLiteral("Unit")}));
}

void MainWindowTest::insertMenuInsertsAtTheCaretOrOverTheSelection() {
    Window w;
    const auto click = [&](const QString& menu, const QString& name) {
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
    QCOMPARE(w.informationLine->plainText(), QStringLiteral("Unit: second (s)\nThe second"));

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

void MainWindowTest::windowFollowsTheVisibleLines() {
    Window w;
    const int inputHeight = w.input->height();
    QCOMPARE(w.client->height(), inputHeight + 28);
    QVERIFY(w.panel->isHidden());
    const int bare = w.window->height();

    w.type(QStringLiteral("hy"));  // a one-line link list
    const int oneLine = w.window->height();
    QVERIFY(oneLine > bare);
    QVERIFY(w.panel->isVisible());
    const int oneLineHeight = w.informationLine->height();
    w.type(QStringLiteral("p"));  // a two-line description
    QVERIFY(w.informationLine->height() > oneLineHeight);
    const int twoLines = w.window->height();
    QVERIFY(twoLines >= oneLine);
    QCOMPARE(w.client->height(), inputHeight + 7 + std::max(w.informationLine->height(), 32) + 28);
    QCOMPARE(w.panel->height(), std::max(w.informationLine->height(), 32) + 14);

    w.enter();  // "hyp" alone does not parse: the error line joins
    QVERIFY(w.errorLine->isVisible());
    QVERIFY(w.window->height() > twoLines);
    QVERIFY(w.errorLine->y() > w.informationLine->y());

    w.clearInput();
    w.type(QStringLiteral("1"));
    w.enter();
    QVERIFY(w.errorLine->isHidden());
    QVERIFY(w.informationLine->isHidden());
    QVERIFY(w.panel->isHidden());
    QCOMPARE(w.window->height(), bare);
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

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
