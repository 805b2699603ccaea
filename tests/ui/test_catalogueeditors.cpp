// The material manager and the compatible-materials editor, driven as a user would, and
// through the main window's Materials menu. HOME is a fresh temporary folder per test
// (the catalogue fixture), so the catalogue files written here are the test's own.
#include "../core/cataloguetestsupport.h"

#include "Model/Automaton/totalvolume.h"
#include "UI/Catalogue/coloritemdelegate.h"
#include "UI/Catalogue/editcompatiblematerialsdialog.h"
#include "UI/Catalogue/managematerialsdialog.h"
#include "UI/Catalogue/materialtableviewitem.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>

using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Process::ProcessFactory;
using Ui::EditCompatibleMaterialsDialog;
using Ui::ManageMaterialsDialog;
using Ui::MaterialTableViewItem;

namespace {

struct CatalogueEditors : CatalogueTest::CatalogueFixture
{
    void TearDown() override
    {
        if (window) {
            window->close(); // deletes itself
            QApplication::processEvents();
        }
        CatalogueFixture::TearDown();
    }

    Ui::MainWindow *openWindow()
    {
        window = new Ui::MainWindow();
        window->resize(800, 600);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        return window;
    }

    // Runs `act` on the dialog a Materials menu entry opens.
    template <class Dialog> void runFromMenu(const char *action, std::function<void(Dialog *)> act)
    {
        bool shown = false;
        DialogTest::whenDialogOpens([&](QDialog *d) {
            auto *dialog = qobject_cast<Dialog *>(d);
            ASSERT_NE(dialog, nullptr);
            shown = true;
            act(dialog);
        });
        window->action(action)->trigger();
        EXPECT_TRUE(shown);
    }

    // The ids listed in one of the editor's lists, in order.
    static std::vector<uint32_t> ids(QListWidget *list)
    {
        std::vector<uint32_t> result;
        for (int row = 0; row < list->count(); ++row)
            result.push_back(list->item(row)->data(Qt::UserRole).toUInt());
        return result;
    }

    static void select(QListWidget *list, std::initializer_list<uint32_t> wanted)
    {
        for (uint32_t id : wanted) {
            bool found = false;
            for (int row = 0; row < list->count(); ++row)
                if (list->item(row)->data(Qt::UserRole).toUInt() == id) {
                    list->item(row)->setSelected(true);
                    found = true;
                }
            ASSERT_TRUE(found) << id;
        }
    }

    QByteArray fileBytes(const QString &name) const
    {
        QFile file(catalogueFolder() + "/" + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    Ui::MainWindow *window = nullptr;
};

} // namespace

// The table's columns and headers, and what may be edited: built-in names never, colours
// always, through the colour dialog only when the user confirms.
TEST_F(CatalogueEditors, MaterialTableShowsTheCatalogueAndEditsColours)
{
    ManageMaterialsDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Manage Materials");
    MaterialTableViewItem *model = dialog.model();
    ASSERT_EQ(model->rowCount(), 15);
    EXPECT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Material Id");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Material Name");
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Color");
    EXPECT_EQ(model->headerData(4, Qt::Horizontal).toString(), "Column 4");

    const QModelIndex id = model->index(1, 0), name = model->index(1, 1), colour = model->index(1, 2);
    EXPECT_EQ(name.data().toString(), "Thermal Si02");
    EXPECT_EQ(colour.data().value<QColor>(), QColor(127, 127, 255, 255));

    EXPECT_FALSE(model->flags(id) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->flags(name) & Qt::ItemIsEditable);
    EXPECT_TRUE(model->flags(colour) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->setData(name, QStringLiteral("Glass")));
    EXPECT_EQ(name.data().toString(), "Thermal Si02");

    // The colour dialog opens on the cell's colour with the alpha channel; OK stores
    // component / 255 and announces the change, Cancel stores nothing.
    dialog.show();
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    for (bool confirm : {false, true}) {
        dialog.tableView()->edit(colour);
        auto *chooser = dialog.tableView()->findChild<QColorDialog *>();
        ASSERT_NE(chooser, nullptr);
            EXPECT_TRUE(chooser->testOption(QColorDialog::ShowAlphaChannel));
        EXPECT_EQ(chooser->currentColor(), QColor(127, 127, 255, 255));
        chooser->setCurrentColor(QColor(255, 0, 51, 128));
        if (confirm)
            chooser->accept();
        else
            chooser->reject();
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.front().at(0).toModelIndex(), colour);
    const Material &glass = dialog.materials()[1];
    EXPECT_EQ(glass.color[0], 1.0f);
    EXPECT_EQ(glass.color[1], 0.0f);
    EXPECT_EQ(glass.color[2], 51.0f / 255.0f);
    EXPECT_EQ(glass.color[3], 128.0f / 255.0f);
    EXPECT_EQ(dialog.tableView()->findChild<QColorDialog *>(), nullptr);
    // Nothing reaches the catalogue before the dialog is accepted by its owner.
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(3).color[0], 0.5f);
}

// Materials > Manage Materials: two new rows, a rename through the name editor, a blank
// name refused, a recolour; OK writes the catalogue and materials.xml, and the view
// draws the silicon block in its new colour.
TEST_F(CatalogueEditors, ManageMaterialsFromTheMenuAddsRenamesAndSaves)
{
    openWindow();
    // A silicon block in the middle of the view.
    DialogTest::whenDialogOpens([](QDialog *d) {
        auto *create = qobject_cast<Ui::Operations::CreateSubstrateDialog *>(d);
        ASSERT_NE(create, nullptr);
        create->corner(0)->setValue(-50);
        create->corner(1)->setValue(-50);
        create->corner(2)->setValue(-15);
        create->materialBox()->setCurrentIndex(create->materialBox()->findData(1u));
        DialogTest::press(create, QDialogButtonBox::Ok);
    });
    window->action("actionCreate_Substrate")->trigger();
    auto &context = window->getPresenter().getContext();
    ASSERT_EQ(context.scene.objectCount(), 1);
    context.setObjectSelected(context.scene.objects().front(), true);

    auto centrePixel = [this] {
        window->view()->repaint();
        QApplication::processEvents();
        const QImage image = window->view()->grabFramebuffer();
        return QColor(image.pixel(image.width() / 2, image.height() / 2));
    };

    std::vector<uint32_t> added;
    runFromMenu<ManageMaterialsDialog>("actionManage_Materials", [&](ManageMaterialsDialog *d) {
        MaterialTableViewItem *model = d->model();
        QTest::mouseClick(d->addButton(), Qt::LeftButton);
        QTest::mouseClick(d->addButton(), Qt::LeftButton);
        ASSERT_EQ(model->rowCount(), 17);
        for (int row : {15, 16}) {
            EXPECT_EQ(model->index(row, 1).data().toString(), "New Material");
            const Material &m = d->materials()[static_cast<size_t>(row)];
            EXPECT_EQ(MaterialFactory::instance()->getMaterial(m.id).id, 0u); // not in the catalogue yet
            EXPECT_EQ(model->index(row, 2).data().value<QColor>(), QColor(127, 127, 127, 255));
            added.push_back(m.id);
        }
        EXPECT_NE(added[0], added[1]);

        // The name editor starts from the current name; the user replaces it.
        const QModelIndex name = model->index(15, 1);
        d->tableView()->edit(name);
        auto *editor = d->tableView()->viewport()->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text(), "New Material");
        editor->selectAll();
        QTest::keyClicks(editor, "Gold leaf");
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents(); // the view commits on its next pass
        EXPECT_EQ(name.data().toString(), "Gold leaf");
        EXPECT_FALSE(model->setData(model->index(16, 1), QStringLiteral("   ")));
        EXPECT_EQ(model->index(16, 1).data().toString(), "New Material");

        ASSERT_TRUE(model->setData(model->index(0, 2), QColor(255, 0, 0)));
        DialogTest::press(d, QDialogButtonBox::Ok);
    });

    const auto catalogue = MaterialFactory::instance();
    EXPECT_EQ(catalogue->getMaterial(added[0]).name, "Gold leaf");
    EXPECT_EQ(catalogue->getMaterial(1).color[1], 0.0f);
    const QString saved = QString::fromUtf8(fileBytes("materials.xml"));
    EXPECT_TRUE(saved.contains(QStringLiteral("name=\"Si\" material-id=\"1\" density=\"2329\" poisson-ratio=\"0.28\" "
                                              "young-modulus=\"1.88e+11\" color=\"#FFFF0000\"")));
    EXPECT_TRUE(saved.contains(QStringLiteral("name=\"Gold leaf\" material-id=\"%1\" density=\"1\" poisson-ratio=\"1\" "
                                              "young-modulus=\"1\" color=\"#FF7F7F7F\"").arg(added[0])));
    EXPECT_EQ(saved.count(QStringLiteral("<Material ")), 17);

    // The selection is gone and the block is drawn red (lit, so only the hue is sure).
    EXPECT_FALSE(context.scene.objects().front()->isSelected());
    const QColor red = centrePixel();
    EXPECT_GT(red.red(), 2 * red.green()) << red.name().toStdString();
    EXPECT_GT(red.red(), 2 * red.blue()) << red.name().toStdString();

    // Cancel changes nothing, even after an addition.
    const QByteArray before = fileBytes("materials.xml");
    runFromMenu<ManageMaterialsDialog>("actionManage_Materials", [](ManageMaterialsDialog *d) {
        EXPECT_EQ(d->model()->rowCount(), 17);
        d->on_btnAddMaterial_clicked();
        DialogTest::press(d, QDialogButtonBox::Cancel);
    });
    EXPECT_EQ(catalogue->getMaterials().size(), 17u);
    EXPECT_EQ(fileBytes("materials.xml"), before);
}

// Materials > Manage Compatible Materials: moves append at the end, switching processes
// keeps the edits of the copy, Cancel leaves processes.xml byte-identical, OK saves.
TEST_F(CatalogueEditors, CompatibleMaterialsEditorMovesCancelsAndSaves)
{
    ASSERT_TRUE(ProcessFactory::instance()->saveProcesses());
    const QByteArray original = fileBytes("processes.xml");
    ASSERT_FALSE(original.isEmpty());
    openWindow();

    auto moves = [&](EditCompatibleMaterialsDialog *d) {
        EXPECT_EQ(d->windowTitle(), "Edit Compatible Materials");
        QComboBox *process = d->processBox();
        ASSERT_EQ(process->count(), 18);
        EXPECT_EQ(process->itemData(17).toInt(), 18);
        process->setCurrentIndex(process->findData(3));
        EXPECT_EQ(process->currentText(), "CVD");
        EXPECT_EQ(ids(d->compatibleList()), (std::vector<uint32_t>{3, 16}));
        EXPECT_EQ(ids(d->availableList()), (std::vector<uint32_t>{1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
        EXPECT_FALSE(d->insertButton()->isEnabled());

        select(d->availableList(), {9, 1});
        QTest::mouseClick(d->insertButton(), Qt::LeftButton);
        EXPECT_EQ(ids(d->compatibleList()), (std::vector<uint32_t>{3, 16, 1, 9}));
        select(d->compatibleList(), {3});
        QTest::mouseClick(d->removeButton(), Qt::LeftButton);
        EXPECT_EQ(ids(d->compatibleList()), (std::vector<uint32_t>{16, 1, 9}));
        select(d->availableList(), {3});
        QTest::mouseClick(d->insertButton(), Qt::LeftButton);
        EXPECT_EQ(ids(d->compatibleList()), (std::vector<uint32_t>{16, 1, 9, 3}));

        // Another process and back: the copy keeps the edit; planarization has none.
        process->setCurrentIndex(process->findData(7));
        EXPECT_TRUE(ids(d->compatibleList()).empty());
        EXPECT_EQ(d->availableList()->count(), 15);
        process->setCurrentIndex(process->findData(3));
        EXPECT_EQ(ids(d->compatibleList()), (std::vector<uint32_t>{16, 1, 9, 3}));
    };

    runFromMenu<EditCompatibleMaterialsDialog>("actionManage_Compatible_Materials", [&](EditCompatibleMaterialsDialog *d) {
        moves(d);
        DialogTest::press(d, QDialogButtonBox::Cancel);
    });
    EXPECT_EQ(fileBytes("processes.xml"), original);
    EXPECT_EQ(ProcessFactory::instance()->getProcess(3).compatibleMaterials, (std::vector<uint32_t>{3, 16}));

    runFromMenu<EditCompatibleMaterialsDialog>("actionManage_Compatible_Materials", [&](EditCompatibleMaterialsDialog *d) {
        moves(d);
        DialogTest::press(d, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(ProcessFactory::instance()->getProcess(3).compatibleMaterials, (std::vector<uint32_t>{16, 1, 9, 3}));
    QByteArray expected = original;
    expected.replace("<CompatibleMaterials>3;16</CompatibleMaterials>", "<CompatibleMaterials>16;1;9;3</CompatibleMaterials>");
    EXPECT_EQ(fileBytes("processes.xml"), expected);
}

// A catalogue file that cannot be written (here: the file-size limit, which holds for
// every user) is reported in a message box; the previous file stays as it was and the
// edit still applies for the session.
TEST_F(CatalogueEditors, AFailedSaveIsReportedAndKeepsThePreviousFile)
{
    ASSERT_TRUE(MaterialFactory::instance()->saveMaterials());
    ASSERT_TRUE(ProcessFactory::instance()->saveProcesses());
    const QByteArray materials = fileBytes("materials.xml"), processes = fileBytes("processes.xml");
    openWindow();

    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    // Shared with the box handlers, which must not outlive it by reference.
    const auto boxes = std::make_shared<QStringList>();
    auto expectReport = [boxes] {
        DialogTest::whenModalAppears([boxes](QDialog *d) {
            auto *box = qobject_cast<QMessageBox *>(d);
            ASSERT_NE(box, nullptr);
            *boxes << box->windowTitle() + "|" + box->text();
            box->accept();
        });
    };
    uint32_t added = 0;
    runFromMenu<ManageMaterialsDialog>("actionManage_Materials", [&](ManageMaterialsDialog *d) {
        d->on_btnAddMaterial_clicked();
        added = d->materials().back().id;
        expectReport();
        DialogTest::press(d, QDialogButtonBox::Ok);
    });
    runFromMenu<EditCompatibleMaterialsDialog>("actionManage_Compatible_Materials", [&](EditCompatibleMaterialsDialog *d) {
        select(d->compatibleList(), {1});
        d->on_btnRemove_clicked();
        expectReport();
        DialogTest::press(d, QDialogButtonBox::Ok);
    });
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);

    const QStringList reports = *boxes;
    ASSERT_EQ(reports.size(), 2);
    const QString folder = QDir::toNativeSeparators(catalogueFolder());
    EXPECT_TRUE(reports[0].startsWith("Manage Materials|The material catalogue could not be saved to \"" + folder +
                                      "/materials.xml\": "))
        << reports[0].toStdString();
    EXPECT_TRUE(reports[1].startsWith("Manage Compatible Materials|The process catalogue could not be saved to \"" +
                                      folder + "/processes.xml\": "))
        << reports[1].toStdString();
    EXPECT_TRUE(reports[1].endsWith("the file keeps its previous contents."));
    EXPECT_FALSE(reports[0].contains("Unknown error")) << reports[0].toStdString(); // the system's reason
    EXPECT_EQ(fileBytes("materials.xml"), materials);
    EXPECT_EQ(fileBytes("processes.xml"), processes);
    EXPECT_EQ(QDir(catalogueFolder()).entryList(QDir::Files), QStringList({"materials.xml", "processes.xml"}));
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(added).name, "New Material");
    EXPECT_TRUE(ProcessFactory::instance()->getProcess(1).compatibleMaterials.empty());
}
