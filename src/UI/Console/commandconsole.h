#pragma once

#include <QStringList>
#include <QWidget>

#include <memory>

class QCloseEvent;
class QEvent;
class QShowEvent;
class QLineEdit;
class QPlainTextEdit;
class QShortcut;
class QVBoxLayout;

namespace Core {
namespace Operations {
class CommandInterpreter;
}
} // namespace Core

namespace Ui {
namespace Console {

class ConsoleObserver;

// The console tool window: a read-only transcript of the operations' messages above
// the line where the user answers them. Lines go to the interpreter; non-empty ones are
// also echoed and kept in a history that Up and Down browse.
class CommandConsole : public QWidget
{
    Q_OBJECT
public:
    CommandConsole(QWidget *parent, Qt::WindowFlags flags,
                   Core::Operations::CommandInterpreter &interpreter);
    ~CommandConsole() override;

    QPlainTextEdit *transcript() const { return plainTextEdit; }
    QLineEdit *commandLine() const { return linCommand; }

public slots:
    // Submits the input line; the main window's Enter and Return shortcuts call it too.
    void enterPressed();
    void upArrowPressed();
    void downArrowPressed();
    // Appends the message as a new paragraph of the transcript.
    void writeMessage(QString message);

signals:
    // True when the window is shown, false when the user closes it.
    void shownChanged(bool shown);

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void setupUi();
    void retranslateUi();
    void applyColors();

    // The form.
    QWidget *layoutWidget = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    QPlainTextEdit *plainTextEdit = nullptr;
    QLineEdit *linCommand = nullptr;

    QShortcut *upShortcut = nullptr;
    QShortcut *downShortcut = nullptr;
    // Newest entry first; the cursor equals history.size() when nothing is selected.
    QStringList history;
    int historyCursor = 0;
    Core::Operations::CommandInterpreter &interpreter;
    // Also held by the interpreter's message observers; the signal connection ends
    // with this window.
    std::shared_ptr<ConsoleObserver> observer;
};

} // namespace Console
} // namespace Ui
