// "Export Data" from the menu number through its dialog: the list of fields, the offered
// file name, the file chooser, the file written, the console, the remembered folder.
#include "Core/Operations/ExportData/exportdataoperation.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Operations/exportdatadialog.h"
#include "UI/operationfactory.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Core::Operations;
using Core::Operations::RandomWalkDoping;
using Ui::Operations::ExportDataDialog;

namespace {

QString labelText(QDialog *dialog, QWidget *field)
{
    for (QLabel *label : dialog->findChildren<QLabel *>())
        if (label->buddy() == field)
            return label->text();
    return QString();
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

TEST(ExportDataDialog, MenuOperationWritesTheChosenFieldAndRemembersTheFolder)
{
    QTemporaryDir dir;
    const QString home = QDir::homePath();
    EXPECT_EQ(ExportDataDialog::lastExportDirectory(), home);

    OperationContext context;
    context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
    auto log = std::make_shared<DialogTest::Log>(context.interpreter);
    context.interpreter.addMessageObserver(log);
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(2, 1, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    volume->createParticleField(RandomWalkDoping::fieldNameN);
    int32_t *p = volume->createParticleField(RandomWalkDoping::fieldNameP);
    p[(1 * 2 + 1) * 7 + 0] = 40;
    p[(1 * 2 + 1) * 7 + 5] = 2;
    context.scene.add(volume);

    const QString chosen = dir.filePath("doped.csv");
    QString caption, start, preset, listLabel, fileLabel, title, form;
    QStringList filters, entries;
    DialogTest::whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<ExportDataDialog *>(d);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        form = dialog->objectName();
        listLabel = labelText(dialog, dialog->dataList());
        fileLabel = labelText(dialog, dialog->fileNameEdit());
        preset = dialog->fileNameEdit()->text();
        for (int i = 0; i < dialog->dataList()->count(); ++i)
            entries << dialog->dataList()->item(i)->text();
        // The browse button asks for the file in the remembered folder.
        QTimer::singleShot(0, [&] {
            auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            caption = chooser->windowTitle();
            filters = chooser->nameFilters();
            start = chooser->directory().absolutePath();
            DialogTest::chooseFile(chooser, chosen);
        });
        QTest::mouseClick(dialog->browseButton(), Qt::LeftButton);
        EXPECT_EQ(dialog->fileNameEdit()->text(), chosen);
        QListWidget *list = dialog->dataList();
        const QList<QListWidgetItem *> found = list->findItems(RandomWalkDoping::fieldNameP, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(found[0]).center());
        EXPECT_EQ(dialog->dataName(), RandomWalkDoping::fieldNameP);
        DialogTest::press(dialog, QDialogButtonBox::Ok);
    });
    context.activate(37);

    EXPECT_EQ(title, "Dialog");
    EXPECT_EQ(form, "ExportDataForm");
    EXPECT_EQ(listLabel, "Data to Export");
    EXPECT_EQ(fileLabel, "Output filename");
    EXPECT_EQ(preset, home + QDir::separator() + "output.csv");
    entries.sort();
    EXPECT_EQ(entries, (QStringList{RandomWalkDoping::fieldNameN, RandomWalkDoping::fieldNameP}));
    EXPECT_EQ(caption, "Choose Output File");
    EXPECT_EQ(filters, QStringList{"CSV File (*.csv)"});
    EXPECT_EQ(start, QDir(home).absolutePath());

    QFile file(chosen);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("X: 0\n0.0000000000e+00 ; 0.0000000000e+00 ; \n\n\n"
                                         "X: 1\n0.0000000000e+00 ; 4.2000000000e+01 ; \n\n\n"));
    EXPECT_EQ(log->lines, (std::vector<std::string>{"Export Data: Using only cell volume.", "Export Data:  data saved."}));
    EXPECT_EQ(ExportDataDialog::lastExportDirectory(), dir.path());

    // The next export offers that folder; a typed name in another folder is remembered
    // once accepted, and a cancelled dialog writes nothing and remembers nothing.
    QDir(dir.path()).mkdir("sub");
    const QString typed = dir.filePath("sub/typed.csv");
    DialogTest::whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<ExportDataDialog *>(d);
        ASSERT_NE(dialog, nullptr);
        preset = dialog->fileNameEdit()->text();
        typeInto(dialog->fileNameEdit(), typed);
        DialogTest::press(dialog, QDialogButtonBox::Ok);
    });
    context.activate(37);
    EXPECT_EQ(preset, dir.path() + QDir::separator() + "output.csv");
    EXPECT_TRUE(QFile::exists(typed));
    EXPECT_EQ(ExportDataDialog::lastExportDirectory(), dir.filePath("sub"));

    log->lines.clear();
    DialogTest::whenDialogOpens([&](QDialog *d) {
        typeInto(d->findChild<QLineEdit *>(), dir.filePath("cancelled.csv"));
        DialogTest::press(d, QDialogButtonBox::Cancel);
    });
    context.activate(37);
    EXPECT_EQ(log->lines.back(), "Export Data: Operation canceled.");
    EXPECT_FALSE(QFile::exists(dir.filePath("cancelled.csv")));
    EXPECT_EQ(ExportDataDialog::lastExportDirectory(), dir.filePath("sub"));
}
