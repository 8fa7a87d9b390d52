// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the main window after real evaluations, with the history and the information line
// showing, into a picture: quantrel_screenshot OUTPUT.png [SETTINGS_DIR] [EXPRESSION ...]. The
// expressions but the last fill the history, the last is typed and evaluated. Used for the
// picture in docs/; run it under a real or virtual X server so that the fonts are the
// desktop's (the offscreen platform works too). The expression --about draws the about box
// instead, --units the Insert menu's unit list. Starts from the window's default settings and
// an empty history, and keeps neither.

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QPixmap>
#include <QTest>

#include <iostream>

#include "base/error.h"
#include "core/calculator.h"
#include "ui/about_dialog.h"
#include "ui/input_line.h"
#include "ui/main_window.h"
#include "ui/unit_browser.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::cerr << "usage: quantrel_screenshot OUTPUT.png [SETTINGS_DIR] [EXPRESSION ...]\n";
        return 2;
    }
    // The window's remembered size and choices stay out of the user's settings.
    const QTemporaryDir scratch;
    QCoreApplication::setOrganizationName(QStringLiteral("quantrel-screenshot"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());
    QSettings().clear();
    const QString settings = args.size() > 2 ? args[2] : QStringLiteral(QUANTREL_SETTINGS);
    QStringList expressions = args.mid(3);
    if (expressions.isEmpty()) {
        expressions = {QStringLiteral("2 km + 300 m"),
                       QStringLiteral("60 mph in km/h"),
                       QStringLiteral("100000 s in d + h + min + s"),
                       QStringLiteral("3 m + 2 kg"),
                       QStringLiteral("2.5 h * 100 km/h"),
                       QStringLiteral("5 km / 20 min in kmh")};
    }
    QString expression = expressions.takeLast();
    QString query;
    if (expressions.size() >= 1 && expressions.last() == QStringLiteral("--units")) {
        query = expression;
        expression = expressions.takeLast();
    }
    if (expression == QStringLiteral("--about")) {
        quantrel::ui::AboutDialog about({});
        about.show();
        QTest::qWait(200);
        return about.grab().save(args[1]) ? 0 : 1;
    }
    try {
        quantrel::ui::MainWindow window{quantrel::Calculator(settings.toStdString())};
        window.resize(560, 380);
        window.show();
        QTest::qWait(400);  // the opening slide
        auto* input = window.findChild<quantrel::ui::InputLine*>(QStringLiteral("input"));
        for (const QString& earlier : expressions) {
            input->selectAll();
            QTest::keyClick(input, Qt::Key_Delete);
            QTest::keyClicks(input, earlier);
            QTest::keyClick(input, Qt::Key_Return);
        }
        input->selectAll();
        QTest::keyClick(input, Qt::Key_Delete);
        if (expression == QStringLiteral("--units")) {
            // The window with the browser drawn over its lower part, as it opens over it.
            window.resize(760, 520);
            QTest::keyClicks(input, QStringLiteral("60 mph in "));
            window.showBrowser(quantrel::ui::UnitBrowser::Units);
            auto* browser = window.findChild<quantrel::ui::UnitBrowser*>();
            browser->resize(window.width() - 60, window.height() - 110);
            QTest::keyClicks(browser->findChild<QLineEdit*>(QStringLiteral("search")), query);
            QTest::qWait(200);
            QPixmap picture = window.grab();
            QPainter painter(&picture);
            const QPixmap dialog = browser->grab();
            painter.fillRect(QRect(QPoint(29, 99), dialog.size() + QSize(2, 2)), Qt::darkGray);
            painter.drawPixmap(30, 100, dialog);
            painter.end();
            return picture.save(args[1]) ? 0 : 1;
        }
        QTest::keyClicks(input, expression);
        QTest::keyClick(input, Qt::Key_Return);
        QTest::qWait(200);
        if (!window.grab().save(args[1])) {
            std::cerr << "cannot write " << args[1].toStdString() << "\n";
            return 1;
        }
    } catch (const quantrel::Error& error) {
        std::cerr << error.message() << "\n";
        return 1;
    }
    return 0;
}
