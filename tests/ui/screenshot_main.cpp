// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the main window after a real evaluation, with the information line showing, into a
// picture: quantrel_screenshot OUTPUT.png [SETTINGS_DIR] [EXPRESSION]. Used for the picture
// in docs/; run it under a real or virtual X server so that the fonts are the desktop's. The
// expression --about draws the about box instead, --units the Insert menu's unit list.

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QTest>

#include <iostream>

#include "base/error.h"
#include "core/calculator.h"
#include "ui/about_dialog.h"
#include "ui/input_line.h"
#include "ui/main_window.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::cerr << "usage: quantrel_screenshot OUTPUT.png [SETTINGS_DIR] [EXPRESSION]\n";
        return 2;
    }
    const QString settings = args.size() > 2 ? args[2] : QStringLiteral(QUANTREL_SETTINGS);
    const QString expression = args.size() > 3 ? args[3] : QStringLiteral("5 km / 20 min in kmh");
    if (expression == QStringLiteral("--about")) {
        quantrel::ui::AboutDialog about({});
        about.show();
        QTest::qWait(200);
        return about.grab().save(args[1]) ? 0 : 1;
    }
    try {
        quantrel::ui::MainWindow window{quantrel::Calculator(settings.toStdString())};
        window.show();
        QTest::qWait(400);  // the opening slide
        auto* input = window.findChild<quantrel::ui::InputLine*>(QStringLiteral("input"));
        if (expression == QStringLiteral("--units")) {
            auto* units = window.findChild<QMenu*>(QStringLiteral("unitMenu"));
            units->popup(window.geometry().topLeft());
            QTest::qWait(200);
            return units->grab().save(args[1]) ? 0 : 1;
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
