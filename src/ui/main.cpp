// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop calculator: reads the settings, shows the main window until it is closed.
// Exit codes: 0 after the window closes, 1 after a settings error, 2 when no window can be shown
// (or the arguments are unusable).

#include <cstdlib>
#include <iostream>
#include <optional>
#include <span>
#include <string>

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include "core/calculator.h"
#include "core/settings_search.h"
#include "ui/history.h"
#include "ui/main_window.h"
#include "ui/startup_options.h"
#include "ui/user_guide.h"

namespace {

constexpr int kExitSettingsError = 1;
constexpr int kExitNoDisplay = 2;

// While the application object is being built, a fatal message means that no platform plugin
// could be started: report it our way instead of letting the toolkit abort.
void startupMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::cerr << "quantrel: no usable display: " << message.toStdString() << std::endl;
        std::_Exit(kExitNoDisplay);
    }
    std::cerr << message.toStdString() << std::endl;
}

void reportSettingsError(const std::string& message) {
    if (qEnvironmentVariableIntValue("QUANTREL_NO_MESSAGE_BOX") == 1) {
        std::cerr << message << std::endl;
        return;
    }
    QMessageBox::critical(nullptr, QStringLiteral("Error"), QString::fromStdString(message));
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::span<const char* const> args(argv + 1, static_cast<std::size_t>(argc - 1));
    const quantrel::ui::StartupOptions options = quantrel::ui::parseStartupOptions(args);
    if (options.usageError) {
        std::cerr << "quantrel: " << *options.usageError << "\nusage: quantrel [--settings DIR]"
                  << std::endl;
        return kExitNoDisplay;
    }
    // Answered without a display, like the terminal calculator's.
    if (options.answer != quantrel::ui::StartupOptions::Answer::None) {
        std::cout << (options.answer == quantrel::ui::StartupOptions::Answer::Help
                          ? quantrel::ui::startupHelpText()
                          : quantrel::ui::startupVersionText())
                  << std::flush;
        return std::cout ? 0 : 1;
    }
    if (const std::optional<std::string> reason =
            quantrel::ui::missingDisplay(quantrel::ui::currentDisplayEnvironment(args))) {
        std::cerr << "quantrel: " << *reason << std::endl;
        return kExitNoDisplay;
    }

    const QtMessageHandler previousHandler = qInstallMessageHandler(startupMessageHandler);
    QApplication application(argc, argv);
    qInstallMessageHandler(previousHandler);
    // The window's size, position and choices: $XDG_CONFIG_HOME/quantrel/quantrel.conf.
    QCoreApplication::setOrganizationName(QStringLiteral("quantrel"));
    QCoreApplication::setApplicationName(QStringLiteral("quantrel"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("quantrel"), QIcon(QStringLiteral(":/quantrel.png"))));

    const std::filesystem::path executable = QCoreApplication::applicationFilePath().toStdString();
    quantrel::SettingsSearch search = quantrel::SettingsSearch::fromEnvironment();
    search.given = options.settingsDirectory;
    search.executable = executable;
    search.buildDirectory = QUANTREL_BUILD_DIR;
    search.sourceSettings = QUANTREL_SOURCE_SETTINGS;

    std::optional<quantrel::Calculator> calculator;
    try {
        calculator.emplace(quantrel::settingsDirectories(search), std::nullopt);
    } catch (const quantrel::Error& error) {
        std::string message = error.message();
        if (const std::string location = error.locationText(); !location.empty()) {
            message += "\n  " + location;
        }
        reportSettingsError(message);
        return kExitSettingsError;
    }

    const std::filesystem::path guide = quantrel::ui::findUserGuide(executable, QUANTREL_BUILD_DOCS)
                                            .value_or(std::filesystem::path());
    const std::filesystem::path history =
        quantrel::ui::historyFilePath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"))
            .value_or(std::filesystem::path());
    quantrel::ui::MainWindow window(std::move(*calculator), guide, history);
    window.exec();
    return 0;
}
