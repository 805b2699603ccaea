#include "UI/Console/commandconsole.h"

#include "Core/Operations/commandinterpreter.h"
#include "UI/Console/consoleobserver.h"
#include "Util/colorsettings.h"
#include "Util/vector4d.h"

#include <QColor>
#include <QCloseEvent>
#include <QEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QVBoxLayout>

namespace Ui {
namespace Console {

namespace {
QColor toColor(const Util::Vector4D &c)
{
    auto unit = [](double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); };
    return QColor::fromRgbF(unit(c.x), unit(c.y), unit(c.z), unit(c.w));
}
} // namespace

CommandConsole::CommandConsole(QWidget *parent, Qt::WindowFlags flags,
                               Core::Operations::CommandInterpreter &interpreter)
    : QWidget(parent, flags), interpreter(interpreter)
{
    setupUi();

    upShortcut = new QShortcut(QKeySequence(Qt::Key_Up), this);
    connect(upShortcut, &QShortcut::activated, this, &CommandConsole::upArrowPressed);
    downShortcut = new QShortcut(QKeySequence(Qt::Key_Down), this);
    connect(downShortcut, &QShortcut::activated, this, &CommandConsole::downArrowPressed);

    observer = std::make_shared<ConsoleObserver>(interpreter);
    interpreter.addMessageObserver(observer);
    connect(observer.get(), &ConsoleObserver::messageWritten, this, &CommandConsole::writeMessage);

    connect(linCommand, &QLineEdit::returnPressed, this, &CommandConsole::enterPressed);
}

CommandConsole::~CommandConsole() = default;

void CommandConsole::setupUi()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("CommandConsoleForm"));
    resize(400, 140);

    layoutWidget = new QWidget(this);
    layoutWidget->setObjectName(QStringLiteral("layoutWidget"));
    // The form fills the window as it is resized: the transcript takes the height, and
    // the input line stays at the bottom.
    auto *windowLayout = new QVBoxLayout(this);
    windowLayout->setContentsMargins(10, 10, 9, 9);
    windowLayout->addWidget(layoutWidget);
    verticalLayout = new QVBoxLayout(layoutWidget);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    plainTextEdit = new QPlainTextEdit(layoutWidget);
    plainTextEdit->setObjectName(QStringLiteral("plainTextEdit"));
    plainTextEdit->setFocusPolicy(Qt::NoFocus);
    plainTextEdit->setAcceptDrops(false);
    plainTextEdit->setAutoFillBackground(true);
    plainTextEdit->setReadOnly(true);
    plainTextEdit->setBackgroundVisible(false);
    verticalLayout->addWidget(plainTextEdit);

    linCommand = new QLineEdit(layoutWidget);
    linCommand->setObjectName(QStringLiteral("linCommand"));
    verticalLayout->addWidget(linCommand);

    applyColors();
    retranslateUi();
}

void CommandConsole::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    emit shownChanged(true);
}

void CommandConsole::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit shownChanged(false);
}

void CommandConsole::retranslateUi()
{
    setWindowTitle(tr("Console"));
}

void CommandConsole::applyColors()
{
    const Util::ColorVariant variant = Util::ColorSettings::activeVariant();
    QPalette palette = plainTextEdit->palette();
    const QColor background = toColor(Util::Vector4D(Util::ColorSetting::ConsoleBackgroundColor, variant));
    const QColor text = toColor(Util::Vector4D(Util::ColorSetting::ConsoleTextColor, variant));
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::Text, text);
    }
    plainTextEdit->setPalette(palette);
}

void CommandConsole::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QWidget::changeEvent(event);
}

void CommandConsole::enterPressed()
{
    const QString text = linCommand->text();
    if (!text.isEmpty()) {
        history.prepend(text);
        historyCursor = 0;
        writeMessage(text);
        linCommand->clear();
    }
    // The operation resumed here may open a dialog or ask again; the line is already
    // cleared and echoed by then.
    interpreter.submit(text.toStdString());
}

void CommandConsole::upArrowPressed()
{
    if (history.isEmpty())
        return;
    if (historyCursor < history.size())
        linCommand->setText(history.at(historyCursor));
    if (historyCursor + 1 < history.size())
        ++historyCursor;
    else
        historyCursor = history.size() - 1;
}

void CommandConsole::downArrowPressed()
{
    if (history.isEmpty())
        return;
    if (historyCursor < history.size())
        linCommand->setText(history.at(historyCursor));
    if (historyCursor == 0) {
        linCommand->clear();
        return;
    }
    if (historyCursor < history.size())
        --historyCursor;
    else
        historyCursor = history.size() - 1;
}

void CommandConsole::writeMessage(QString message)
{
    plainTextEdit->appendPlainText(message);
}

} // namespace Console
} // namespace Ui
