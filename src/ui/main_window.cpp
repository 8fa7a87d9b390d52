// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main_window.h"

#include "ui/about_dialog.h"
#include "ui/dialog_metrics.h"
#include "ui/guide_window.h"
#include "ui/history_view.h"
#include "ui/info_panel.h"
#include "ui/input_line.h"
#include "ui/unit_browser.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <utility>

#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMenu>
#include <QMenuBar>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTextBrowser>
#include <QTimer>
#include <QTextCursor>
#include <QVBoxLayout>

namespace quantrel::ui {
namespace {

// How far the window travels while it slides in or out.
constexpr int kSlideDistance = 24;
// The rows of history a new window shows.
constexpr int kDefaultHistoryRows = 10;

// Keys of the window's settings.
const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kExpandedHeightKey = QStringLiteral("window/expandedHeight");
const QString kHistoryVisibleKey = QStringLiteral("view/history");
const QString kDigitsKey = QStringLiteral("view/digits");

// What the input line shows while it is empty.
const QString kPlaceholder = QStringLiteral(
    "Type a calculation, e.g. 60 mph in km/h \u2014 Tab completes, Ctrl+U lists units");

}  // namespace

QColor errorColour(const QPalette& palette) {
    return palette.color(QPalette::Base).lightness() < 128 ? QColor(255, 110, 110)
                                                           : QColor(255, 0, 0);
}

MainWindow::MainWindow(Calculator calculator, std::filesystem::path userGuide,
                       std::filesystem::path historyFile, QWidget* parent)
    : QDialog(parent),
      calculator_(std::move(calculator)),
      userGuide_(std::move(userGuide)),
      historyFile_(std::move(historyFile)) {
    setWindowTitle(QStringLiteral("Quantrel"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    const QFont dialogFont = interfaceFont(8, QFont::Normal);
    setFont(dialogFont);
    const DialogUnits units(dialogFont);

    auto* menuBar = new QMenuBar(this);

    auto* client = new QWidget(this);
    client_ = client;
    client->setObjectName(QStringLiteral("client"));

    input_ = new InputLine(client);
    input_->setObjectName(QStringLiteral("input"));
    input_->setFont(interfaceFont(10, QFont::Light));
    input_->setFixedHeight(units.y(13));
    input_->setMinimumWidth(units.x(80));
    input_->setPlaceholderText(kPlaceholder);
    input_->setSpanSource([this](std::string_view text) { return calculator_.tokenSpans(text); });

    evaluateButton_ = new QPushButton(QStringLiteral("="), client);
    evaluateButton_->setObjectName(QStringLiteral("evaluate"));
    evaluateButton_->setFixedSize(units.x(18), units.y(13));
    evaluateButton_->setDefault(true);
    evaluateButton_->setFocusPolicy(Qt::StrongFocus);
    evaluateButton_->setToolTip(QStringLiteral("Evaluate (Enter)"));

    result_ = new QLineEdit(client);
    result_->setObjectName(QStringLiteral("result"));
    result_->setReadOnly(true);
    // Beside the "=", however wide the window.
    result_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    result_->setFont(interfaceFont(10, QFont::DemiBold));
    result_->setFixedHeight(units.y(13));
    result_->setMinimumWidth(units.x(48));
    result_->setContextMenuPolicy(Qt::CustomContextMenu);

    info_ = new InfoPanel(client);
    info_->setObjectName(QStringLiteral("panel"));
    info_->setFont(interfaceFont(9, QFont::Normal));

    historyView_ = new HistoryView(client);
    historyView_->setObjectName(QStringLiteral("history"));
    historyView_->setFont(interfaceFont(9, QFont::Normal));
    historyView_->setMinimumHeight(units.y(13) * 2);

    // The input, the result and the information area in one column of at most kMaxLineWidth.
    auto* column = new QWidget(client);
    column->setObjectName(QStringLiteral("column"));
    column->setMaximumWidth(kMaxLineWidth);
    column->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* topRow = new QHBoxLayout;
    topRow->setSpacing(kRowSpacing);
    topRow->addWidget(input_, 3);
    topRow->addWidget(evaluateButton_);
    topRow->addWidget(result_, 2);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(kRowSpacing);
    columnLayout->addLayout(topRow);
    columnLayout->addWidget(info_);
    auto* centred = new QHBoxLayout;
    centred->setContentsMargins(0, 0, 0, 0);
    centred->addStretch(1);
    centred->addWidget(column, 1000);
    centred->addStretch(1);

    auto* clientLayout = new QVBoxLayout(client);
    clientLayout->setContentsMargins(kRowSpacing, kRowSpacing, kRowSpacing, kRowSpacing);
    clientLayout->setSpacing(kRowSpacing);
    clientLayout->addLayout(centred);
    clientLayout->addWidget(historyView_, 1);

    setTabOrder(input_, evaluateButton_);
    setTabOrder(evaluateButton_, result_);
    setTabOrder(result_, historyView_);

    createMenus(menuBar);
    auto* windowLayout = new QVBoxLayout(this);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    windowLayout->setSpacing(0);
    windowLayout->setMenuBar(menuBar);
    windowLayout->addWidget(client);

    connect(evaluateButton_, &QPushButton::clicked, this, &MainWindow::evaluateInput);
    connect(input_, &InputLine::keyReleased, this, &MainWindow::inputKeyReleased);
    connect(input_, &InputLine::recallRequested, this, &MainWindow::recall);
    connect(input_, &InputLine::completionRequested, this, &MainWindow::completeOrMoveFocus);
    connect(input_, &InputLine::escapePressed, this, &MainWindow::escapePressed);
    connect(input_, &QPlainTextEdit::textChanged, this, &MainWindow::inputChanged);
    connect(info_, &InfoPanel::linkChosen, this, &MainWindow::chooseName);
    connect(historyView_, &HistoryView::entryChosen, this, &MainWindow::recallEntry);
    connect(historyView_, &HistoryView::copyRequested, this,
            [](const QString& text) { QGuiApplication::clipboard()->setText(text); });
    connect(result_, &QWidget::customContextMenuRequested, this, [this](const QPoint& where) {
        QMenu* menu = result_->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addSeparator();
        menu->addAction(copyResultAction_);
        menu->popup(result_->mapToGlobal(where));
    });

    applyColours();
    resize(units.x(299), units.y(68) + kDefaultHistoryRows * historyView_->fontMetrics().height());
    loadHistory();
    clearHistoryAction_->setEnabled(!history_.entries().empty());
    copyHistoryAction_->setEnabled(!history_.entries().empty());
    restoreSettings();
    input_->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::createMenus(QMenuBar* menuBar) {
    const auto makeAction = [this](QMenu* menu, const QString& text, const QString& name,
                                   const QKeySequence& shortcut = {}) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        action->setShortcut(shortcut);
        // Shortcuts work wherever the focus is in the window, with or without the menu bar.
        this->addAction(action);
        return action;
    };

    QMenu* product = menuBar->addMenu(QStringLiteral("&Quantrel"));
    product->setObjectName(QStringLiteral("productMenu"));
    QAction* about = makeAction(product, QStringLiteral("&About"), QStringLiteral("aboutAction"));
    QAction* exit = makeAction(product, QStringLiteral("E&xit"), QStringLiteral("exitAction"),
                               QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("editMenu"));
    copyResultAction_ =
        makeAction(edit, QStringLiteral("&Copy result"), QStringLiteral("copyResultAction"),
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    connect(copyResultAction_, &QAction::triggered, this, &MainWindow::copyResult);
    copyHistoryAction_ = makeAction(edit, QStringLiteral("Copy &history as text"),
                                    QStringLiteral("copyHistoryAction"));
    connect(copyHistoryAction_, &QAction::triggered, this, &MainWindow::copyHistory);
    QAction* focus =
        makeAction(edit, QStringLiteral("&Select input line"), QStringLiteral("focusInputAction"),
                   QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(focus, &QAction::triggered, this, &MainWindow::focusInput);
    edit->addSeparator();
    clearHistoryAction_ = makeAction(edit, QStringLiteral("C&lear history\u2026"),
                                     QStringLiteral("clearHistoryAction"));
    connect(clearHistoryAction_, &QAction::triggered, this, &MainWindow::clearHistory);

    QMenu* view = menuBar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("viewMenu"));
    historyAction_ = makeAction(view, QStringLiteral("&History"), QStringLiteral("historyAction"),
                                QKeySequence(Qt::CTRL | Qt::Key_H));
    historyAction_->setCheckable(true);
    historyAction_->setChecked(true);
    connect(historyAction_, &QAction::toggled, this, &MainWindow::setHistoryVisible);
    QMenu* digits = view->addMenu(QStringLiteral("&Digits"));
    digits->setObjectName(QStringLiteral("digitsMenu"));
    digitsGroup_ = new QActionGroup(this);
    for (const int choice : kDigitChoices) {
        QAction* action = digits->addAction(QString::number(choice));
        action->setObjectName(QStringLiteral("digits%1Action").arg(choice));
        action->setCheckable(true);
        action->setData(choice);
        action->setChecked(choice == calculator_.numberFormat().precision());
        digitsGroup_->addAction(action);
        connect(action, &QAction::triggered, this, [this, choice] { setDigits(choice); });
    }

    QMenu* insert = menuBar->addMenu(QStringLiteral("&Insert"));
    insert->setObjectName(QStringLiteral("insertMenu"));
    const struct {
        const char* text;
        const char* name;
        UnitBrowser::Tab tab;
        QKeySequence keys;
    } browsers[] = {
        {"&Unit\u2026", "insertUnitAction", UnitBrowser::Units, QKeySequence(Qt::CTRL | Qt::Key_U)},
        {"&Function\u2026", "insertFunctionAction", UnitBrowser::Functions, {}},
        {"&Constant\u2026", "insertConstantAction", UnitBrowser::Constants, {}},
    };
    for (const auto& entry : browsers) {
        QAction* action = makeAction(insert, QString::fromUtf8(entry.text),
                                     QString::fromUtf8(entry.name), entry.keys);
        const int tab = entry.tab;
        connect(action, &QAction::triggered, this, [this, tab] { showBrowser(tab); });
    }

    QMenu* help = menuBar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    QAction* guide = makeAction(help, QStringLiteral("&User guide"),
                                QStringLiteral("userGuideAction"), QKeySequence(Qt::Key_F1));
    guide->setEnabled(!userGuide_.empty());
    connect(guide, &QAction::triggered, this, &MainWindow::showUserGuide);
    QAction* helpAbout =
        makeAction(help, QStringLiteral("&About Quantrel"), QStringLiteral("helpAboutAction"));
    connect(helpAbout, &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::loadHistory() {
    if (historyFile_.empty()) return;
    LoadedHistory loaded = quantrel::ui::loadHistory(historyFile_);
    history_.assign(std::move(loaded.entries));
    historyView_->showEntries(history_.entries());
    if (loaded.problem) {
        historyProblem_ = QString::fromStdString(*loaded.problem);
        std::cerr << "quantrel: " << *loaded.problem << std::endl;
        notice_ = {errorRow("History", *loaded.problem)};
        notice_.front().front().style = HintPiece::Style::Bold;
        showInformation();
    }
}

void MainWindow::saveHistory() {
    if (historyFile_.empty()) return;
    if (const std::optional<std::string> failure =
            quantrel::ui::saveHistory(historyFile_, history_.entries())) {
        // Reported once; the calculations stay in the window.
        const QString problem = QString::fromStdString(*failure);
        if (problem != historyProblem_) std::cerr << "quantrel: " << *failure << std::endl;
        historyProblem_ = problem;
    }
}

void MainWindow::addToHistory(HistoryEntry entry) {
    historyView_->append(entry, static_cast<int>(History::kMaxEntries));
    history_.add(std::move(entry));
    saveHistory();
    clearHistoryAction_->setEnabled(true);
    copyHistoryAction_->setEnabled(true);
}

void MainWindow::restoreSettings() {
    QSettings settings;
    const int digits = settings.value(kDigitsKey, NumberFormat::kDefaultPrecision).toInt();
    if (std::find(kDigitChoices.begin(), kDigitChoices.end(), digits) != kDigitChoices.end()) {
        applyDigits(digits);
    }
    expandedHeight_ = settings.value(kExpandedHeightKey, 0).toInt();
    const bool restored = restoreGeometry(settings.value(kGeometryKey).toByteArray());
    const bool historyVisible = settings.value(kHistoryVisibleKey, true).toBool();
    if (!historyVisible) {
        if (expandedHeight_ <= 0) expandedHeight_ = height();
        historyAction_->setChecked(false);  // hides the history
    }
    fitWindow();
    if (!restored) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect available = screen->availableGeometry();
            move(available.center() - QPoint(width() / 2, height() / 2));
        }
    }
}

void MainWindow::saveGeometrySettings() {
    QSettings settings;
    settings.setValue(kGeometryKey, saveGeometry());
    settings.setValue(kExpandedHeightKey, historyView_->isHidden() ? expandedHeight_ : height());
}

void MainWindow::evaluateInput() {
    const QString text = input_->text();
    const std::string line = text.toStdString();
    input_->clearMarks();
    errorRows_.clear();
    completion_ = {};
    // The result field now belongs to this text.
    previewedText_ = text;
    const bool blank = text.trimmed().isEmpty();
    try {
        const EvaluationResult result = calculator_.evaluate(line);
        showResult(QString::fromStdString(result.text), false, result.note);
        if (!blank) addToHistory({line, result.text, false});
    } catch (const Error& error) {
        showResult({}, false);
        errorRows_.push_back(errorRow(error.category(), error.what()));
        if (const std::optional<Span> span = highlightSpan(error, line)) {
            input_->markRange(utf16Position(line, span->begin), utf16Position(line, span->end));
        }
        // Names in place of an unknown one, or nothing: the hint of the old caret goes.
        hint_ = suggestionsFor(calculator_, error, line);
        if (!blank) addToHistory({line, error.category() + ": " + error.what(), true});
    }
    showInformation();
    // Typing replaces the line; the arrow keys edit it.
    input_->selectAll();
}

void MainWindow::inputChanged() {
    // Colour changes also report a change; only a new text counts.
    if (input_->text() == previewedText_) return;
    notice_.clear();
    // An error and its mark belong to the text they were made for.
    if (!errorRows_.empty()) {
        errorRows_.clear();
        input_->clearMarks();
        if (!completing_) hint_ = {};
    }
    if (!completing_) completion_ = {};
    updateLiveResult();
}

void MainWindow::escapePressed() {
    if (input_->text().isEmpty()) {
        close();
        return;
    }
    // Clears the line as an edit, so that Ctrl+Z brings it back.
    QTextCursor cursor = input_->textCursor();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    input_->setTextCursor(cursor);
    updateHints();
}

void MainWindow::updateLiveResult() {
    const QString text = input_->text();
    previewedText_ = text;
    const std::optional<EvaluationResult> preview = calculator_.preview(text.toStdString());
    showResult(preview ? QString::fromStdString(preview->text) : QString(), true,
               preview ? preview->note : std::string());
}

void MainWindow::showResult(const QString& text, bool live, const std::string& note) {
    resultIsLive_ = live;
    if (note != readingNote_) {
        readingNote_ = note;
        showInformation();
    }
    QPalette colours = palette();
    if (live) {
        colours.setColor(QPalette::Text, colours.color(QPalette::Disabled, QPalette::Text));
    }
    result_->setPalette(colours);
    result_->setText(text);
    result_->setCursorPosition(0);
    copyResultAction_->setEnabled(!text.isEmpty());
}

void MainWindow::updateHints() {
    completion_ = {};
    // An error's suggestions stay until the text changes.
    if (!errorRows_.empty()) return;
    const QString text = input_->text();
    const int caret = std::min<int>(input_->textCursor().selectionStart(), text.size());
    hint_ = hintFor(calculator_, text.left(caret).toStdString());
    showInformation();
}

void MainWindow::showInformation() {
    // The error first, then the hint's first row, how the result's line was read, and the
    // rest of the hint; what does not fit the two rows is in the tooltip.
    std::vector<HintRow> rows = errorRows_;
    std::vector<HintRow> hint = hintRows(hint_);
    if (!hint.empty()) rows.push_back(std::move(hint.front()));
    if (!readingNote_.empty()) rows.push_back({{HintPiece::Style::Italic, readingNote_, -1}});
    for (std::size_t i = 1; i < hint.size(); ++i)
        rows.push_back(std::move(hint[i]));
    rows.insert(rows.end(), notice_.begin(), notice_.end());
    info_->setRows(std::move(rows), static_cast<int>(errorRows_.size()));
}

void MainWindow::replaceInput(const std::string& text, int caretBytes) {
    completing_ = true;
    QTextCursor cursor = input_->textCursor();
    cursor.select(QTextCursor::Document);
    cursor.insertText(QString::fromStdString(text));  // one step for Ctrl+Z
    completing_ = false;
    const int caret = utf16Position(text, caretBytes);
    input_->select(caret, caret);
}

void MainWindow::insertName(const QString& name) {
    QTextCursor cursor = input_->textCursor();
    cursor.insertText(name + QLatin1Char(' '));
    input_->setTextCursor(cursor);
    input_->setFocus();
    updateHints();
}

void MainWindow::chooseName(int index) {
    if (!completion_.active) {
        if (hint_.names.empty()) return;
        const QString text = input_->text();
        const int caret = std::min<int>(input_->textCursor().selectionStart(), text.size());
        completion_ = {true, hint_, text.toStdString(),
                       static_cast<int>(text.left(caret).toUtf8().size()), -1};
        // After the longer names of a complete one, Tab comes back to the name itself.
        if (hint_.form == HintText::Form::Description) {
            const std::size_t start = Calculator::nameStartBefore(
                completion_.text, static_cast<std::size_t>(completion_.caret));
            completion_.hint.names.push_back(completion_.text.substr(
                start, static_cast<std::size_t>(completion_.caret) - start));
        }
    }
    const std::vector<std::string>& names = completion_.hint.names;
    if (index < 0 || index >= static_cast<int>(names.size())) return;
    const std::string& word = names[static_cast<std::size_t>(index)];
    std::optional<CompletedInput> completed;
    if (completion_.hint.form == HintText::Form::Suggestions) {
        completed = replaceUnknownName(completion_.hint, completion_.text, word);
    } else {
        completed = completeWord(calculator_, completion_.text, completion_.caret, word);
    }
    if (!completed) {
        completion_ = {};
        return;
    }
    completion_.index = index;
    replaceInput(completed->text, completed->caret);
    // The names stay on show, the one in place marked, until another key.
    hint_ = completion_.hint;
    hint_.chosen = index;
    showInformation();
    input_->setFocus();
}

void MainWindow::completeOrMoveFocus(bool forward) {
    const int count =
        static_cast<int>(completion_.active ? completion_.hint.names.size() : hint_.names.size());
    if (count == 0) {
        input_->passFocus(forward);
        return;
    }
    const int index = completion_.active ? (completion_.index + (forward ? 1 : count - 1)) % count
                                         : (forward ? 0 : count - 1);
    chooseName(index);
}

void MainWindow::recall(bool older) {
    const std::string current = input_->text().toStdString();
    const std::optional<std::string> text =
        older ? history_.older(current) : history_.newer(current);
    if (!text) return;
    input_->setPlainText(QString::fromStdString(*text));
    input_->moveCursor(QTextCursor::End);
}

void MainWindow::recallEntry(int index) {
    if (index < 0 || index >= static_cast<int>(history_.entries().size())) return;
    history_.endWalk();
    input_->setPlainText(
        QString::fromStdString(history_.entries()[static_cast<std::size_t>(index)].input));
    input_->moveCursor(QTextCursor::End);
    input_->setFocus();
    updateHints();
}

void MainWindow::copyResult() {
    if (!result_->text().isEmpty()) QGuiApplication::clipboard()->setText(result_->text());
}

void MainWindow::copyHistory() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(historyText(history_.entries())));
}

void MainWindow::clearHistory() {
    const std::size_t count = history_.entries().size();
    if (count == 0) return;
    QMessageBox question(QMessageBox::Question, QStringLiteral("Clear history"),
                         QStringLiteral("Forget all %1 calculations of the history?").arg(count),
                         QMessageBox::Yes | QMessageBox::Cancel, this);
    question.setObjectName(QStringLiteral("clearHistoryQuestion"));
    question.setInformativeText(QStringLiteral("This cannot be undone."));
    question.button(QMessageBox::Yes)->setText(QStringLiteral("C&lear"));
    question.setDefaultButton(QMessageBox::Cancel);
    if (question.exec() == QMessageBox::Yes) forgetHistory();
}

void MainWindow::forgetHistory() {
    history_.clear();
    historyView_->clear();
    saveHistory();
    clearHistoryAction_->setEnabled(false);
    copyHistoryAction_->setEnabled(false);
}

void MainWindow::setHistoryVisible(bool visible) {
    if (historyAction_->isChecked() != visible) {
        historyAction_->setChecked(visible);  // comes back here through the action
        return;
    }
    if (visible == !historyView_->isHidden()) return;
    if (visible) {
        historyView_->show();
        fitWindow();
        resize(width(), std::max(expandedHeight_, minimumHeight()));
    } else {
        expandedHeight_ = height();
        historyView_->hide();
        fitWindow();
    }
    QSettings().setValue(kHistoryVisibleKey, visible);
}

void MainWindow::setDigits(int digits) {
    applyDigits(digits);
    QSettings().setValue(kDigitsKey, digits);
    if (resultIsLive_) updateLiveResult();
}

void MainWindow::applyDigits(int digits) {
    calculator_.setNumberFormat(NumberFormat(digits));
    for (QAction* action : digitsGroup_->actions())
        action->setChecked(action->data().toInt() == digits);
}

void MainWindow::focusInput() {
    input_->setFocus(Qt::ShortcutFocusReason);
    input_->selectAll();
}

void MainWindow::showUserGuide() {
    if (userGuide_.empty()) return;
    if (!guide_) guide_ = new GuideWindow(userGuide_, this);
    guide_->show();
    guide_->raise();
    guide_->activateWindow();
}

void MainWindow::showBrowser(int tab) {
    if (!browser_) {
        browser_ = new UnitBrowser(calculator_, this);
        connect(browser_, &UnitBrowser::nameChosen, this, &MainWindow::insertName);
    }
    browser_->start(static_cast<UnitBrowser::Tab>(tab));
    browser_->open();
}

void MainWindow::showAbout() {
    AboutDialog about(userGuide_, this);
    if (!userGuide_.empty()) {
        about.setGuideOpener([this, &about] {
            about.close();
            QTimer::singleShot(0, this, &MainWindow::showUserGuide);
        });
    }
    about.exec();
}

void MainWindow::inputKeyReleased(int key) {
    // Enter evaluated the line and may have left suggestions that the hint must not replace;
    // Tab walks through the names on show; Escape has done its work.
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Shift:
        case Qt::Key_Escape:
            return;
        default:
            updateHints();
    }
}

void MainWindow::fitWindow() {
    // The information area keeps its height, so the window is measured only when the history
    // comes or goes.
    client_->layout()->invalidate();
    layout()->invalidate();
    layout()->activate();
    if (historyView_->isHidden()) {
        // Without the history the window is exactly as high as its lines.
        setFixedHeight(sizeHint().height());
    } else {
        setMinimumHeight(minimumSizeHint().height());
        setMaximumHeight(QWIDGETSIZE_MAX);
    }
}

void MainWindow::applyColours() {
    const QColor error = errorColour(palette());
    input_->setColours(inputColours(palette(), error));
    historyView_->setErrorColour(error);
    info_->setErrorColour(error);
    showResult(result_->text(), resultIsLive_, readingNote_);
}

void MainWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && historyView_ != nullptr) applyColours();
}

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!opened_) {
        opened_ = true;
        fitWindow();
        slide(true);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeAllowed_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    if (!closing_) {
        // Where the window is before it slides away.
        saveGeometrySettings();
        slide(false);
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Escape clears or closes from the input line only.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainWindow::slide(bool opening) {
    closing_ = !opening;
    if (animation_) animation_->stop();
    auto* animation = new QPropertyAnimation(this, "pos", this);
    const QPoint home = pos();
    const QPoint away = home + QPoint(0, kSlideDistance);
    animation->setDuration(kSlideMilliseconds);
    animation->setStartValue(opening ? away : home);
    animation->setEndValue(opening ? home : away);
    animation->setEasingCurve(opening ? QEasingCurve::OutCubic : QEasingCurve::InCubic);
    if (!opening) {
        connect(animation, &QAbstractAnimation::finished, this, &MainWindow::finishClosing);
    }
    animation_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void MainWindow::finishClosing() {
    closeAllowed_ = true;
    close();
}

}  // namespace quantrel::ui
