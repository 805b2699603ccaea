#pragma once

// Shared by the dialog tests: a log of the interpreter's messages, and the clicks and
// keys a user gives a modal dialog.
#include "Core/BatchRun/processdata.h"
#include "Core/Operations/commandinterpreter.h"
#include "Util/iobserver.h"

#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace DialogTest {

// Keeps every message the interpreter reports.
struct Log : Util::IObserver
{
    explicit Log(Core::Operations::CommandInterpreter &i) : i(i) {}
    void update() override { lines.push_back(i.getLastMessage()); }
    Core::Operations::CommandInterpreter &i;
    std::vector<std::string> lines;
};

// A hook that failed leaves its dialog open; closing it lets the test end with the
// failure instead of waiting for a click that never comes.
inline void closeAfterFailure(const QPointer<QDialog> &dialog)
{
    if (::testing::Test::HasFatalFailure() && dialog && dialog->isVisible())
        dialog->reject();
}

// Runs `act` on the modal dialog once it is open.
inline void whenDialogOpens(std::function<void(QDialog *)> act)
{
    QTimer::singleShot(0, [act] {
        QPointer<QDialog> dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog.data(), nullptr);
        act(dialog);
        closeAfterFailure(dialog);
    });
}

template <typename T> struct Exactly { using type = T; };

// Name of the hooks still waiting for their dialog; the test program drops them when a
// test ends, so that none of them acts on a later test's dialog.
inline const char *const pendingHookName = "kelvane-test-dialog-hook";

// Runs `act` on the next visible modal dialog of type `Dialog` that opens later, from an
// event loop of its own (a box shown by a timer, or a dialog a worker's result opens).
template <typename Dialog = QDialog>
inline void whenModalAppears(std::function<void(typename Exactly<Dialog>::type *)> act)
{
    auto *poll = new QTimer(qApp);
    poll->setObjectName(pendingHookName);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        QPointer<Dialog> dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
        closeAfterFailure(dialog.data());
    });
    poll->start();
}

// Clicks one of the dialog's standard buttons, which must be enabled.
inline void press(QDialog *dialog, QDialogButtonBox::StandardButton which)
{
    QPushButton *button = dialog->findChild<QDialogButtonBox *>()->button(which);
    ASSERT_TRUE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

// Replaces a spin box's text by typing, as a user would.
inline void type(QAbstractSpinBox *box, QString text)
{
    text.replace('.', QLocale().decimalPoint());
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

// Picks the entry holding `id` by typing the start of its text into the list.
inline void choose(QComboBox *combo, quint32 id)
{
    const int index = combo->findData(id);
    ASSERT_GE(index, 0);
    combo->setFocus();
    QTest::keyClicks(combo, combo->itemText(index));
    ASSERT_EQ(combo->currentData().toUInt(), id) << combo->itemText(index).toStdString();
}

// Clicks a radio button on its indicator, where a user aims.
inline void click(QRadioButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
}

// The text of the form label that names `field`.
inline QString labelOf(QWidget *field)
{
    for (QWidget *w = field->parentWidget(); w; w = w->parentWidget())
        if (auto *form = w->findChild<QFormLayout *>())
            if (auto *label = qobject_cast<QLabel *>(form->labelForField(field)))
                return label->text();
    return QString();
}

// The data of every entry, in list order.
inline std::vector<quint32> ids(QComboBox *combo)
{
    std::vector<quint32> result;
    for (int i = 0; i < combo->count(); ++i)
        result.push_back(combo->itemData(i).toUInt());
    return result;
}

// A process-list step of the given type with its parameters set.
inline Core::BatchRun::ProcessData step(int32_t type, std::initializer_list<std::pair<const char *, QVariant>> values)
{
    Core::BatchRun::ProcessData s(type);
    for (const auto &v : values)
        s.setParameter(QString::fromLatin1(v.first), v.second, true);
    return s;
}

// Types `path` into the file dialog and accepts it. A dialog still loading its folder
// may ignore the first try; it is tried again, and rejected when it never takes it.
inline void chooseFile(QFileDialog *chooser, const QString &path, int attempts = 100)
{
    if (auto *name = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        name->setText(path);
    else
        chooser->selectFile(path);
    static_cast<QDialog *>(chooser)->accept(); // QFileDialog::accept checks the name
    if (!chooser->isVisible())
        return;
    QPointer<QFileDialog> guarded(chooser);
    QTimer::singleShot(50, [guarded, path, attempts] {
        if (!guarded || !guarded->isVisible())
            return;
        if (attempts > 0) {
            chooseFile(guarded, path, attempts - 1);
        } else {
            ADD_FAILURE() << "the file dialog did not take " << path.toStdString();
            guarded->reject();
        }
    });
}

// The text of the warning box that the next action opens; the box is closed.
inline QString warningAfter(const std::function<void()> &action)
{
    QString text;
    QTimer::singleShot(0, [&text] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        text = box->text();
        box->accept();
    });
    action();
    return text;
}

} // namespace DialogTest
