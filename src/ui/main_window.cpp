// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main_window.h"

#include "ui/about_dialog.h"
#include "ui/dialog_metrics.h"
#include "ui/hint_line.h"
#include "ui/hint_text.h"
#include "ui/input_line.h"
#include "ui/name_grid_action.h"

#include <algorithm>
#include <optional>
#include <utility>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
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

void paintWhite(QWidget* widget) {
    widget->setAutoFillBackground(true);
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Window, Qt::white);
    widget->setPalette(colours);
}

QLabel* makeIcon(QStyle::StandardPixmap which, const QString& objectName, QWidget* parent) {
    auto* icon = new QLabel(parent);
    icon->setObjectName(objectName);
    icon->setPixmap(parent->style()->standardIcon(which).pixmap(kIconSize, kIconSize));
    icon->setFixedSize(kIconSize, kIconSize);
    icon->setAlignment(Qt::AlignCenter);
    paintWhite(icon);
    icon->hide();
    return icon;
}

}  // namespace

MainWindow::MainWindow(Calculator calculator, std::filesystem::path userGuide, QWidget* parent)
    : QDialog(parent),
      calculator_(std::move(calculator)),
      userGuide_(std::move(userGuide)),
      layout_(Point{}, kRowSpacing) {
    setWindowTitle(QStringLiteral("Quantrel"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    const QFont dialogFont = interfaceFont(8, QFont::Normal);
    setFont(dialogFont);
    const DialogUnits units(dialogFont);

    auto* menuBar = new QMenuBar(this);
    createMenus(menuBar);

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));

    input_ = new InputLine(client_);
    input_->setObjectName(QStringLiteral("input"));
    input_->setGeometry(units.rect(7, 7, 165, 13));
    input_->setFont(interfaceFont(10, QFont::Light));

    evaluateButton_ = new QPushButton(QStringLiteral("="), client_);
    evaluateButton_->setObjectName(QStringLiteral("evaluate"));
    evaluateButton_->setGeometry(units.rect(175, 7, 18, 13));
    evaluateButton_->setDefault(true);

    result_ = new QLineEdit(client_);
    result_->setObjectName(QStringLiteral("result"));
    result_->setGeometry(units.rect(196, 7, 96, 13));
    result_->setReadOnly(true);
    result_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    result_->setFont(interfaceFont(10, QFont::DemiBold));

    // The panel comes before the lines and icons so that they are drawn over it.
    auto* panel = new QFrame(client_);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setGeometry(units.rect(7, 22, 285, 40));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    paintWhite(panel);
    panel_ = panel;

    const QFont hintFont = interfaceFont(9, QFont::Normal);
    errorLine_ = new HintLine(client_);
    errorLine_->setObjectName(QStringLiteral("errorLine"));
    errorLine_->setGeometry(units.rect(34, 22, 255, 18));
    errorLine_->setFont(hintFont);
    informationLine_ = new HintLine(client_);
    informationLine_->setObjectName(QStringLiteral("informationLine"));
    informationLine_->setGeometry(units.rect(34, 43, 255, 18));
    informationLine_->setFont(hintFont);
    errorIcon_ = makeIcon(QStyle::SP_MessageBoxCritical, QStringLiteral("errorIcon"), client_);
    errorIcon_->move(units.x(10), units.y(22));
    informationIcon_ =
        makeIcon(QStyle::SP_MessageBoxInformation, QStringLiteral("informationIcon"), client_);
    informationIcon_->move(units.x(10), units.y(43));

    setTabOrder(input_, evaluateButton_);
    setTabOrder(evaluateButton_, result_);

    auto* windowLayout = new QVBoxLayout(this);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    windowLayout->setSpacing(0);
    windowLayout->setMenuBar(menuBar);
    windowLayout->addWidget(client_);
    windowLayout->setSizeConstraint(QLayout::SetFixedSize);
    client_->setFixedSize(units.x(299), units.y(68));

    connect(evaluateButton_, &QPushButton::clicked, this, &MainWindow::evaluateInput);
    connect(input_, &InputLine::keyPressed, this, &MainWindow::recolourInput);
    connect(input_, &InputLine::keyReleased, this, &MainWindow::inputKeyReleased);
    connect(informationLine_, &QTextBrowser::anchorClicked, this, &MainWindow::followLink);

    // Rows, top to bottom: the input line, the information line, the error line.
    layout_ = RowLayout(Point{input_->x(), input_->y()}, kRowSpacing);
    arrangeRows();
    fitWindow();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(width() / 2, height() / 2));
    }
    input_->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::createMenus(QMenuBar* menuBar) {
    QMenu* product = menuBar->addMenu(QStringLiteral("&Quantrel"));
    product->setObjectName(QStringLiteral("productMenu"));
    QAction* about = product->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("aboutAction"));
    QAction* exit = product->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("exitAction"));
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* insert = menuBar->addMenu(QStringLiteral("&Insert"));
    insert->setObjectName(QStringLiteral("insertMenu"));
    insert->addSeparator();

    for (FunctionEntry& function : calculator_.functionList()) {
        if (static_cast<int>(functionNames_.size()) == kMaxMenuFunctions) break;
        functionNames_.push_back(std::move(function.name));
    }
    for (UnitEntry& unit : calculator_.unitList())
        unitNames_.push_back(std::move(unit.symbol));

    QMenu* functions = insert->addMenu(QStringLiteral("Function"));
    functions->setObjectName(QStringLiteral("functionMenu"));
    auto* functionGrid = new NameGridAction(functionNames_, functions);
    functions->addAction(functionGrid);
    connect(functionGrid, &NameGridAction::nameChosen, this, &MainWindow::insertFunction);

    QMenu* units = insert->addMenu(QStringLiteral("Unit"));
    units->setObjectName(QStringLiteral("unitMenu"));
    auto* unitGrid = new NameGridAction(unitNames_, units);
    units->addAction(unitGrid);
    connect(unitGrid, &NameGridAction::nameChosen, this, &MainWindow::insertUnit);
}

void MainWindow::evaluateInput() {
    const QTextCursor selection = input_->textCursor();
    const std::string line = input_->text().toStdString();
    input_->clearMarks();
    errorLine_->setRichText({});
    try {
        result_->setText(QString::fromStdString(calculator_.evaluate(line).text));
        errorLine_->setRichText({});
    } catch (const Error& error) {
        result_->clear();
        errorLine_->setRichText(QString::fromStdString(errorHtml(error.category(), error.what())));
        if (const std::optional<Span> span = highlightSpan(error, line)) {
            input_->markRange(utf16Position(line, span->begin), utf16Position(line, span->end));
        }
    }
    arrangeRows();
    fitWindow();
    input_->select(selection.anchor(), selection.position());
    inputRecoloured_ = false;
}

void MainWindow::updateHints() {
    const QString text = input_->text();
    const int caret = std::min<int>(input_->textCursor().selectionStart(), text.size());
    const HintText hint = hintFor(calculator_, text.left(caret).toStdString());
    linkNames_ = hint.names;
    informationLine_->setRichText(QString::fromStdString(hintHtml(hint)));
    arrangeRows();
    fitWindow();
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
    if (!isIndex || index < 0 || index >= static_cast<int>(linkNames_.size())) return;
    const std::string word = linkNames_[static_cast<std::size_t>(index)];

    const QString text = input_->text();
    const int caret = std::min<int>(input_->textCursor().selectionStart(), text.size());
    const std::string utf8 = text.toStdString();
    const int caretBytes = static_cast<int>(text.left(caret).toUtf8().size());
    const std::optional<CompletedInput> completion =
        completeWord(calculator_, utf8, caretBytes, word);
    if (!completion) return;

    input_->setPlainText(QString::fromStdString(completion->text));
    informationLine_->setRichText({});
    const int newCaret = utf16Position(completion->text, completion->caret);
    input_->select(newCaret, newCaret);
    input_->setFocus();
    updateHints();
}

void MainWindow::showAbout() {
    AboutDialog about(userGuide_, this);
    about.exec();
}

void MainWindow::insertFunction(int index) {
    if (index < 0 || index >= static_cast<int>(functionNames_.size())) return;
    insertName(QString::fromStdString(functionNames_[static_cast<std::size_t>(index)]));
}

void MainWindow::insertUnit(int index) {
    if (index < 0 || index >= static_cast<int>(unitNames_.size())) return;
    insertName(QString::fromStdString(unitNames_[static_cast<std::size_t>(index)]));
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
    updateHints();
}

std::vector<RowSizes> MainWindow::rowSizes() const {
    const auto row = [](const QWidget* control, const QWidget* icon) {
        RowSizes sizes;
        sizes.visible = !control->isHidden();
        sizes.control = {control->width(), control->height()};
        if (icon) {
            sizes.hasIcon = true;
            sizes.icon = {icon->width(), icon->height()};
        }
        return sizes;
    };
    return {row(input_, nullptr), row(informationLine_, informationIcon_),
            row(errorLine_, errorIcon_)};
}

void MainWindow::arrangeRows() {
    const std::vector<RowSizes> sizes = rowSizes();
    const std::vector<RowPlacement> placements = layout_.arrange(sizes);
    QWidget* const controls[] = {input_, informationLine_, errorLine_};
    QLabel* const icons[] = {nullptr, informationIcon_, errorIcon_};
    for (std::size_t i = 0; i < placements.size(); ++i) {
        const RowPlacement& placement = placements[i];
        if (!placement.visible) {
            if (icons[i]) icons[i]->hide();
            continue;
        }
        if (icons[i]) {
            icons[i]->move(placement.icon.x, placement.icon.y);
            icons[i]->show();
        }
        controls[i]->move(placement.control.x, placement.control.y);
    }
}

void MainWindow::fitWindow() {
    const std::vector<RowSizes> sizes = rowSizes();
    client_->setFixedSize(client_->width(), layout_.clientHeight(sizes));
    if (RowLayout::showsPanel(sizes)) {
        panel_->setGeometry(panel_->x(), panel_->y(), panel_->width(), layout_.panelHeight(sizes));
        panel_->show();
    } else {
        panel_->hide();
    }
    // Resize the window now rather than when the layout request arrives.
    layout()->activate();
}

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!opened_) {
        opened_ = true;
        slide(true);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeAllowed_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    if (!closing_) slide(false);
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
