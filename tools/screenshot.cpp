// Starts Kelvane's main window, creates the default substrate through the menu and its
// dialog as a user would, and saves a picture of the screen. Run under a virtual display
// by scripts/screenshot.sh to regenerate the README's picture.
//
//   kelvane-screenshot OUTPUT.png                  the main window with a substrate
//   kelvane-screenshot OUTPUT.png --batch LIST     the batch-run dialog with that list
//   kelvane-screenshot OUTPUT.png --run LIST MODE [DISTRIBUTION]
//       the main window after the list ran, its volume drawn in surface mode MODE (the
//       field view with the given distribution; MODE "atoms" makes silicon nearly clear
//       and draws its lattice's surface atoms and links)
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processlistrunner.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/glwidget.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

int main(int argc, char **argv)
{
    Model::Materials::MaterialFactory::instance();
    Model::Process::ProcessFactory::instance();
    QApplication app(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshot.png");

    auto *window = new Ui::MainWindow();
    window->resize(1000, 700);
    window->move(0, 0);
    window->show();

    if (argc > 3 && QString::fromLocal8Bit(argv[2]) == QLatin1String("--batch")) {
        auto *dialog = new Ui::RunProcessesDialog(window->getPresenter().getContext(), window->view(), nullptr,
                                                  QString::fromLocal8Bit(argv[3]), window);
        dialog->move(40, 40);
        dialog->show();
        if (dialog->tree()->topLevelItemCount() > 1)
            dialog->tree()->topLevelItem(1)->setExpanded(true);
        dialog->selectStep(1);
        QTimer::singleShot(800, [dialog, output] {
            const bool ok = dialog->grab().save(output);
            std::fprintf(stderr, ok ? "wrote %s\n" : "could not write %s\n", qPrintable(output));
            QApplication::exit(ok ? 0 : 1);
        });
        return app.exec();
    }

    if (argc > 4 && QString::fromLocal8Bit(argv[2]) == QLatin1String("--run")) {
        Core::BatchRun::ProcessList list;
        if (!Core::BatchRun::ProcessListFile::load(QString::fromLocal8Bit(argv[3]), list))
            return 1;
        Core::BatchRun::ProcessListRunner runner(window->getPresenter().getContext());
        runner.setImageSaver([](const QString &) { return true; });
        runner.run(list);
        const bool atoms = QString::fromLocal8Bit(argv[4]) == QLatin1String("atoms");
        if (const auto volume = runner.getVolume()) {
            if (atoms) {
                // Silicon nearly clear, as a user sets it to look at its atoms.
                const auto catalogue = Model::Materials::MaterialFactory::instance();
                Model::Materials::Material silicon = catalogue->getMaterial(1);
                silicon.color[3] = 0.1f;
                catalogue->setMaterial(silicon);
                if (!volume->getLattice())
                    volume->createLattice();
                volume->getPainter()->setRenderAtoms(true);
                volume->getPainter()->setRenderAtomLinks(true);
            } else {
                volume->getPainter()->setMode(QString::fromLocal8Bit(argv[4]).toInt());
            }
            if (argc > 5)
                volume->getPainter()->setDistribution(QString::fromLocal8Bit(argv[5]).toInt());
            volume->getPainter()->regenerate();
        }
        // Unchecked, the entry keeps the console from opening once the window is up.
        window->action("actionConsole")->setChecked(false);
        window->getPresenter().getConsole()->hide();
        // The view frames the volume; the atoms are looked at from closer.
        window->view()->updateGL();
        if (atoms)
            window->view()->setZoom(window->view()->getZoom() * 3.0f);
        QTimer::singleShot(1000, [window, output] {
            QScreen *screen = QGuiApplication::primaryScreen();
            const QPixmap shot = screen->grabWindow(0, 0, 0, window->frameGeometry().width(),
                                                    window->frameGeometry().height());
            const bool ok = shot.save(output);
            std::fprintf(stderr, ok ? "wrote %s\n" : "could not write %s\n", qPrintable(output));
            QApplication::exit(ok ? 0 : 1);
        });
        return app.exec();
    }

    QTimer::singleShot(300, [window] {
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<Ui::Operations::CreateSubstrateDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            // The dialog's own defaults, as a new user would accept them.
            dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        window->action(QStringLiteral("actionCreate_Substrate"))->trigger();
    });
    // The console goes to the corner first; the screen is grabbed once the view has
    // repainted what it uncovered.
    QTimer::singleShot(1200, [window] {
        window->getPresenter().getConsole()->move(window->width() - 420, window->height() - 150);
    });
    QTimer::singleShot(1800, [window, output] {
        QApplication::processEvents();
        QScreen *screen = QGuiApplication::primaryScreen();
        const QPixmap shot = screen->grabWindow(0, 0, 0, window->frameGeometry().width(), window->frameGeometry().height());
        const bool ok = shot.save(output);
        std::fprintf(stderr, ok ? "wrote %s\n" : "could not write %s\n", qPrintable(output));
        QApplication::exit(ok ? 0 : 1);
    });
    return app.exec();
}
