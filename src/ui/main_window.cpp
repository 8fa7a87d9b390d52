// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main_window.h"

#include "ui/about_dialog.h"
#include "ui/dialog_metrics.h"
#include "ui/hint_line.h"
#include "ui/history_view.h"
#include "ui/input_line.h"
#include "ui/insert_menus.h"
#include "ui/name_grid_action.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <utility>

#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

namespace quantrel::ui {
namespace {

// How far the window travels while it slides in or out.
constexpr int kSlideDistance = 24;
// The system icons beside the hint lines are drawn at this size.
constexpr int kIconSize = 32;
// The rows of history a new window shows.
constexpr int kDefaultHistoryRows = 10;

// Keys of the window's settings.
const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kExpandedHeightKey = QStringLiteral("window/expandedHeight");
const QString kHistoryVisibleKey = QStringLiteral("view/history");
const QString kDigitsKey = QStringLiteral("view/digits");

QLabel* makeIcon(QStyle::StandardPixmap which, const QString& objectName, QWidget* parent) {
    auto* icon = new QLabel(parent);
    icon->setObjectName(objectName);
    icon->setPixmap(parent->style()->standardIcon(which).pixmap(kIconSize, kIconSize));
    icon->setFixedSize(kIconSize, kIconSize);
    icon->setAlignment(Qt::AlignCenter);
    return icon;
}

// A row of the panel: the icon, then the line, which takes the width.
QWidget* makeHintRow(QLabel* icon, HintLine* line, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(MainWindow::kRowSpacing);
    icon->setParent(row);
    line->setParent(row);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(line, 1, Qt::AlignTop);
    row->hide();
    return row;
}

// Menu texts treat "&" as the mark of a shortcut letter.
QString menuText(const std::string& text) {
    return QString::fromStdString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

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

    evaluateButton_ = new QPushButton(QStringLiteral("="), client);
    evaluateButton_->setObjectName(QStringLiteral("evaluate"));
    evaluateButton_->setFixedSize(units.x(18), units.y(13));
    evaluateButton_->setDefault(true);

    result_ = new QLineEdit(client);
    result_->setObjectName(QStringLiteral("result"));
    result_->setReadOnly(true);
    result_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    result_->setFont(interfaceFont(10, QFont::DemiBold));
    result_->setFixedHeight(units.y(13));
    result_->setMinimumWidth(units.x(48));
    result_->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* panel = new QFrame(client);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setAutoFillBackground(true);
    panel->setBackgroundRole(QPalette::Base);
    panel_ = panel;

    const QFont hintFont = interfaceFont(9, QFont::Normal);
    errorLine_ = new HintLine(panel);
    errorLine_->setObjectName(QStringLiteral("errorLine"));
    errorLine_->setFont(hintFont);
    informationLine_ = new HintLine(panel);
    informationLine_->setObjectName(QStringLiteral("informationLine"));
    informationLine_->setFont(hintFont);
    QLabel* errorIcon = makeIcon(QStyle::SP_MessageBoxCritical, QStringLiteral("errorIcon"), panel);
    QLabel* informationIcon =
        makeIcon(QStyle::SP_MessageBoxInformation, QStringLiteral("informationIcon"), panel);
    informationRow_ = makeHintRow(informationIcon, informationLine_, panel);
    errorRow_ = makeHintRow(errorIcon, errorLine_, panel);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(kRowSpacing / 2, kRowSpacing, kRowSpacing, kRowSpacing);
    panelLayout->setSpacing(kRowSpacing);
    // Rows, top to bottom: the information line, then the error line.
    panelLayout->addWidget(informationRow_);
    panelLayout->addWidget(errorRow_);
    panel->hide();

    historyView_ = new HistoryView(client);
    historyView_->setObjectName(QStringLiteral("history"));
    historyView_->setFont(interfaceFont(9, QFont::Normal));
    historyView_->setMinimumHeight(units.y(13) * 2);

    auto* topRow = new QHBoxLayout;
    topRow->setSpacing(kRowSpacing);
    topRow->addWidget(input_, 3);
    topRow->addWidget(evaluateButton_);
    topRow->addWidget(result_, 2);
    auto* clientLayout = new QVBoxLayout(client);
    clientLayout->setContentsMargins(kRowSpacing, kRowSpacing, kRowSpacing, kRowSpacing);
    clientLayout->setSpacing(kRowSpacing);
    clientLayout->addLayout(topRow);
    clientLayout->addWidget(panel);
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
    connect(input_, &InputLine::keyPressed, this, &MainWindow::recolourInput);
    connect(input_, &InputLine::keyReleased, this, &MainWindow::inputKeyReleased);
    connect(input_, &InputLine::recallRequested, this, &MainWindow::recall);
    connect(input_, &QPlainTextEdit::textChanged, this, &MainWindow::inputChanged);
    connect(informationLine_, &QTextBrowser::anchorClicked, this, &MainWindow::followLink);
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
    QAction* focus =
        makeAction(edit, QStringLiteral("&Select input line"), QStringLiteral("focusInputAction"),
                   QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(focus, &QAction::triggered, this, &MainWindow::focusInput);
    edit->addSeparator();
    QAction* clear =
        makeAction(edit, QStringLiteral("C&lear history"), QStringLiteral("clearHistoryAction"));
    connect(clear, &QAction::triggered, this, &MainWindow::clearHistory);

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

    createInsertMenu(menuBar);

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

void MainWindow::createInsertMenu(QMenuBar* menuBar) {
    QMenu* insert = menuBar->addMenu(QStringLiteral("&Insert"));
    insert->setObjectName(QStringLiteral("insertMenu"));
    insert->addSeparator();

    const FunctionMenus names =
        functionMenus(calculator_.functionList(), static_cast<std::size_t>(kMaxMenuFunctions));
    const auto addGrid = [&](const QString& title, const QString& objectName,
                             const std::vector<std::string>& list) {
        QMenu* menu = insert->addMenu(title);
        menu->setObjectName(objectName);
        auto* grid = new NameGridAction(list, menu);
        menu->addAction(grid);
        connect(grid, &NameGridAction::nameChosen, this, [this, list](int index) {
            if (index < 0 || index >= static_cast<int>(list.size())) return;
            insertName(QString::fromStdString(list[static_cast<std::size_t>(index)]));
        });
        menu->setEnabled(!list.empty());
    };
    addGrid(QStringLiteral("Function"), QStringLiteral("functionMenu"), names.functions);
    addGrid(QStringLiteral("Constant"), QStringLiteral("constantMenu"), names.constants);

    QMenu* units = insert->addMenu(QStringLiteral("Unit"));
    units->setObjectName(QStringLiteral("unitMenu"));
    for (const UnitMenuGroup& group : unitMenuGroups(calculator_.quantityList())) {
        QMenu* quantity = units->addMenu(menuText(group.title));
        for (const UnitMenuEntry& unit : group.units) {
            QAction* action = quantity->addAction(menuText(unit.label));
            const QString symbol = QString::fromStdString(unit.symbol);
            action->setData(symbol);
            connect(action, &QAction::triggered, this, [this, symbol] { insertName(symbol); });
        }
    }
    units->setEnabled(!units->isEmpty());
}

void MainWindow::loadHistory() {
    if (historyFile_.empty()) return;
    LoadedHistory loaded = quantrel::ui::loadHistory(historyFile_);
    history_.assign(std::move(loaded.entries));
    historyView_->showEntries(history_.entries());
    if (loaded.problem) {
        historyProblem_ = QString::fromStdString(*loaded.problem);
        std::cerr << "quantrel: " << *loaded.problem << std::endl;
        informationLine_->setRichText(QStringLiteral("<b>History: </b>") +
                                      historyProblem_.toHtmlEscaped());
        fitWindow();
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
    const QTextCursor selection = input_->textCursor();
    const QString text = input_->text();
    const std::string line = text.toStdString();
    input_->clearMarks();
    errorLine_->setRichText({});
    // The result field now belongs to this text: marking it must not bring a preview back.
    previewedText_ = text;
    const bool blank = text.trimmed().isEmpty();
    try {
        const EvaluationResult result = calculator_.evaluate(line);
        showResult(QString::fromStdString(result.text), false, result.note);
        errorLine_->setRichText({});
        if (!blank) addToHistory({line, result.text, false});
    } catch (const Error& error) {
        showResult({}, false);
        errorLine_->setRichText(QString::fromStdString(errorHtml(error.category(), error.what())));
        if (const std::optional<Span> span = highlightSpan(error, line)) {
            input_->markRange(utf16Position(line, span->begin), utf16Position(line, span->end));
        }
        const HintText suggestions = suggestionsFor(calculator_, error, line);
        if (suggestions.form != HintText::Form::Hidden) showInformation(suggestions);
        if (!blank) addToHistory({line, error.category() + ": " + error.what(), true});
    }
    fitWindow();
    input_->select(selection.anchor(), selection.position());
    inputRecoloured_ = false;
}

void MainWindow::inputChanged() {
    // Colour changes (marks) also report a change; only a new text counts.
    if (input_->text() == previewedText_) return;
    updateLiveResult();
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
        informationLine_->setRichText(informationHtml());
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
    const QString text = input_->text();
    const int caret = std::min<int>(input_->textCursor().selectionStart(), text.size());
    showInformation(hintFor(calculator_, text.left(caret).toStdString()));
}

void MainWindow::showInformation(const HintText& hint) {
    hint_ = hint;
    informationLine_->setRichText(informationHtml());
    fitWindow();
}

QString MainWindow::informationHtml() const {
    // The hint, then how the result's line was read where it reads unlike its look.
    QString html = QString::fromStdString(hintHtml(hint_));
    if (readingNote_.empty()) return html;
    if (!html.isEmpty()) html += QStringLiteral("<br>");
    return html + QStringLiteral("<i>") + QString::fromStdString(readingNote_).toHtmlEscaped() +
           QStringLiteral("</i>");
}

void MainWindow::insertName(const QString& name) {
    const QTextCursor selection = input_->textCursor();
    const QString text = input_->text();
    const int begin = selection.selectionStart();
    const int end = selection.selectionEnd();
    input_->setPlainText(text.left(begin) + name + QLatin1Char(' ') + text.mid(end));
    informationLine_->setRichText({});
    const int caret = begin + static_cast<int>(name.size()) + 1;
    input_->select(caret, caret);
    input_->setFocus();
    updateHints();
}

void MainWindow::followLink(const QUrl& link) {
    bool isIndex = false;
    const int index = link.toString().toInt(&isIndex);
    if (!isIndex || index < 0 || index >= static_cast<int>(hint_.names.size())) return;
    const std::string word = hint_.names[static_cast<std::size_t>(index)];

    const QString text = input_->text();
    const std::string utf8 = text.toStdString();
    std::optional<CompletedInput> completion;
    if (hint_.form == HintText::Form::Suggestions) {
        completion = replaceUnknownName(hint_, utf8, word);
    } else {
        const int caret = std::min<int>(input_->textCursor().selectionStart(), text.size());
        const int caretBytes = static_cast<int>(text.left(caret).toUtf8().size());
        completion = completeWord(calculator_, utf8, caretBytes, word);
    }
    if (!completion) return;

    input_->setPlainText(QString::fromStdString(completion->text));
    informationLine_->setRichText({});
    const int newCaret = utf16Position(completion->text, completion->caret);
    input_->select(newCaret, newCaret);
    input_->setFocus();
    updateHints();
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

void MainWindow::clearHistory() {
    history_.clear();
    historyView_->clear();
    saveHistory();
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
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(userGuide_.string())));
}

void MainWindow::showAbout() {
    AboutDialog about(userGuide_, this);
    about.exec();
}

void MainWindow::recolourInput() {
    if (inputRecoloured_) return;
    inputRecoloured_ = true;
    input_->clearMarks();
}

void MainWindow::inputKeyReleased(int key) {
    if (key == Qt::Key_Escape) {
        close();
        return;
    }
    // Enter evaluated the line and may have left suggestions that the hint must not replace.
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return;
    updateHints();
}

void MainWindow::fitWindow() {
    informationRow_->setVisible(!informationLine_->isHidden());
    errorRow_->setVisible(!errorLine_->isHidden());
    panel_->setVisible(!informationLine_->isHidden() || !errorLine_->isHidden());
    // The layouts cache their sizes: rows that came or went must be measured again.
    panel_->layout()->invalidate();
    client_->layout()->invalidate();
    client_->updateGeometry();
    layout()->invalidate();
    // Twice: a hint line that gets its width on the first pass fits its height to it.
    for (int pass = 0; pass < 2; ++pass)
        layout()->activate();
    if (historyView_->isHidden()) {
        // Without the history the window is exactly as high as its lines.
        setFixedHeight(sizeHint().height());
    } else {
        setMinimumHeight(minimumSizeHint().height());
        setMaximumHeight(QWIDGETSIZE_MAX);
    }
    layout()->activate();
}

void MainWindow::applyColours() {
    const QColor error = errorColour(palette());
    input_->setMarkColour(error);
    historyView_->setErrorColour(error);
    QPalette errorText = palette();
    errorText.setColor(QPalette::Text, error);
    errorLine_->setPalette(errorText);
    showResult(result_->text(), resultIsLive_);
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
    // Escape closes the window from the input line only, when the key comes up.
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
