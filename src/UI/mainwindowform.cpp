#include "UI/mainwindowform.h"

#include "Core/Processes/processregistry.h"

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace Ui {

namespace {

struct MenuEntry
{
    const char *name;
    const char *title;
};

// The titles' '&' marks the letter that opens the menu with Alt; no two share one.
const MenuEntry menuTable[] = {
    {"menuFile", "&File"},           {"menuEdit", "&Edit"},         {"menuSimulation", "&Simulation"},
    {"menuMaterials", "&Materials"}, {"menuRendering", "&Rendering"}, {"menuView", "&View"},
    {"menuWindows", "&Windows"},     {"menuAbout", "&About"},
};

QString translate(const char *text)
{
    return QCoreApplication::translate("MainWindowForm", text);
}

} // namespace

const QList<MainWindowForm::Entry> &MainWindowForm::entries()
{
    // name, text, shortcut, menu, checkable, checked, enabled, operation, view,
    // separator after, tool tip, status tip. A process's entry has its text and tips
    // from the process registry.
    static const QList<Entry> table = {
        {"actionNew", "New", "Ctrl+N", "menuFile", false, false, true, -1, nullptr, false, nullptr, nullptr},
        {"actionOpen", "Open", "Ctrl+O", "menuFile", false, false, true, 11, nullptr, false, nullptr, nullptr},
        {"actionSave", "Save", "Ctrl+S", "menuFile", false, false, true, 9, nullptr, false, nullptr, nullptr},
        {"actionSave_as", "Save As ...", "Ctrl+Shift+S", "menuFile", false, false, true, 10, nullptr, true, nullptr, nullptr},
        {"actionSave_Cross_Section", "Save Cross-Section", nullptr, "menuFile", false, false, true, -1, nullptr, false, "Save a cut through a cell volume as a picture.", "="},
        {"actionExport_3D", "Export 3-D ...", nullptr, "menuFile", false, false, true, -1, nullptr, false, "Export the cell volume as VTK image data or as an STL surface.", "="},
        {"actionExport_Data", "Export Data", nullptr, "menuFile", false, false, true, 37, nullptr, true, nullptr, nullptr},
        {"actionNew_Process_List", "New Process List", "Ctrl+Shift+N", "menuFile", false, false, true, -1, nullptr, false, nullptr, nullptr},
        {"actionOpen_Process_List", "Open Process List", "Ctrl+P", "menuFile", false, false, true, -1, nullptr, true, nullptr, nullptr},
        {"actionSave_Image", "Save Image", nullptr, "menuFile", false, false, true, -1, nullptr, true, "Save a screenshot as an image.", "="},
        {"actionExit", "Exit", "Ctrl+Q", "menuFile", false, false, true, -1, nullptr, false, "Exit Kelvane", nullptr},

        {"actionUndo", "Undo", "Ctrl+Z", "menuEdit", false, false, false, -1, nullptr, false, nullptr, nullptr},
        {"actionRedo", "Redo", "Ctrl+Y", "menuEdit", false, false, false, -1, nullptr, true, nullptr, nullptr},
        {"actionSelect", "Select", nullptr, "menuEdit", true, false, true, -1, nullptr, false, nullptr, nullptr},
        {"actionCopy", "Copy", "Ctrl+C", "menuEdit", false, false, true, 1, nullptr, false, nullptr, nullptr},
        {"actionMove", "Move", nullptr, "menuEdit", false, false, true, 7, nullptr, false, nullptr, nullptr},
        {"actionDelete", "Delete", nullptr, "menuEdit", false, false, true, 4, nullptr, true, nullptr, nullptr},
        {"actionGrid", "Grid", nullptr, "menuEdit", true, false, true, -1, nullptr, false, nullptr, nullptr},
        {"actionSnap_to_Grid", "Snap to Grid", nullptr, "menuEdit", true, false, true, -1, nullptr, false, nullptr, nullptr},
        {"actionGrid_Spacing", "Grid Spacing", nullptr, "menuEdit", false, false, true, -1, nullptr, false, nullptr, nullptr},

        {"actionCreate_Substrate", nullptr, nullptr, "menuSimulation", false, false, true, 2, nullptr, true, nullptr, nullptr},
        {"actionDoping", nullptr, nullptr, "menuSimulation", false, false, true, 17, nullptr, false, nullptr, nullptr},
        {"actionIon_Implantation", nullptr, nullptr, "menuSimulation", false, false, true, 3, nullptr, false, nullptr, nullptr},
        {"actionPVD", nullptr, nullptr, "menuSimulation", false, false, true, 31, nullptr, false, nullptr, nullptr},
        {"actionCVD", nullptr, nullptr, "menuSimulation", false, false, true, 33, nullptr, false, nullptr, nullptr},
        {"actionElectrodeposition", nullptr, nullptr, "menuSimulation", false, false, true, 15, nullptr, false, nullptr, nullptr},
        {"actionMoore_Deposition", nullptr, nullptr, "menuSimulation", false, false, true, 18, nullptr, false, nullptr, nullptr},
        {"actionMoore_Etching", nullptr, nullptr, "menuSimulation", false, false, true, 19, nullptr, false, nullptr, nullptr},
        {"actionPhotolithography", nullptr, nullptr, "menuSimulation", false, false, true, 20, nullptr, false, nullptr, nullptr},
        {"actionPlanarization", nullptr, nullptr, "menuSimulation", false, false, true, 22, nullptr, false, nullptr, nullptr},
        {"actionSi_Oxidation", nullptr, nullptr, "menuSimulation", false, false, true, 26, nullptr, false, nullptr, nullptr},
        {"actionBCA_Wet_Etching", nullptr, nullptr, "menuSimulation", false, false, true, 28, nullptr, false, nullptr, nullptr},
        {"actionSimple_RIE", nullptr, nullptr, "menuSimulation", false, false, true, 30, nullptr, false, nullptr, nullptr},
        {"actionSpin_Coating", nullptr, nullptr, "menuSimulation", false, false, true, 23, nullptr, false, nullptr, nullptr},
        {"actionAnisotropic_Deposition", nullptr, nullptr, "menuSimulation", false, false, true, 27, nullptr, false, nullptr, nullptr},
        {"actionAnisotropic_Etching", nullptr, nullptr, "menuSimulation", false, false, true, 32, nullptr, false, nullptr, nullptr},
        {"actionIsotropic_Deposition", nullptr, nullptr, "menuSimulation", false, false, true, 13, nullptr, false, nullptr, nullptr},
        {"actionIsotropic_Film_Etching", nullptr, nullptr, "menuSimulation", false, false, true, 14, nullptr, true, nullptr, nullptr},
        {"actionExtract_Film", "Extract Film", nullptr, "menuSimulation", false, false, true, 8, nullptr, false, "Extract a deposited film from a cell volume.", "="},
        {"actionGlue_Substrate", "Glue Substrate", nullptr, "menuSimulation", false, false, true, 12, nullptr, true, "Glue a substrate over another substrate.", "="},
        {"actionBatch_Run", "Batch Run", "Ctrl+R", "menuSimulation", false, false, true, 24, nullptr, true, nullptr, nullptr},

        {"actionManage_Materials", "Manage Materials", nullptr, "menuMaterials", false, false, true, -1, nullptr, false, "Edit material names, colors and properties.", "="},
        {"actionManage_Compatible_Materials", "Manage Compatible Materials", nullptr, "menuMaterials", false, false, true, -1, nullptr, false, nullptr, "Change what materials may be used with a certain process."},

        {"actionRender_Objects", "Render Objects", nullptr, "menuRendering", true, true, true, -1, nullptr, false, "Render object as solids.", "="},
        {"actionLighting", "Lighting", nullptr, "menuRendering", true, true, true, -1, nullptr, false, "Enable lighting.", "Enable or disable lighting."},
        {"actionRender_Object_Edges", "Render Object Edges", nullptr, "menuRendering", true, false, true, -1, nullptr, true, "Render the edges of the cells.", "="},
        {"actionChange_Viewing_Options", "Change Cell Volume Viewing Options", nullptr, "menuRendering", false, false, true, 6, nullptr, false, "Change cell volume colors, transparency and use atomic viewing.", "="},
        {"actionCut_Cell_Volume", "Cut Cell Volume", nullptr, "menuRendering", false, false, true, 16, nullptr, false, "Cut Make cuts to view inside the cell volume. Volume", "Make cuts to view inside the cell volume."},
        {"actionMasked_Volume_Cut", "Masked Volume Cut", nullptr, "menuRendering", false, false, true, 34, nullptr, false, nullptr, nullptr},
        {"actionRemove_Masked_Cuts", "Remove Masked Cuts", nullptr, "menuRendering", false, false, true, 35, nullptr, true, nullptr, nullptr},
        {"actionConfigure_Window_Colors", "Configure Window Colors", nullptr, "menuRendering", false, false, true, -1, nullptr, false, "Change window background colors.", "="},

        {"actionFront_View", "Front View", nullptr, "menuView", false, false, true, -1, "front", false, "Front View", ""},
        {"actionBack_view", "Back View", nullptr, "menuView", false, false, true, -1, "back", false, "Back View", nullptr},
        {"actionBottom_View", "Bottom View", nullptr, "menuView", false, false, true, -1, "bottom", false, nullptr, nullptr},
        {"actionTop_View", "Top View", nullptr, "menuView", false, false, true, -1, "top", false, nullptr, nullptr},
        {"actionRight_View", "Right View", nullptr, "menuView", false, false, true, -1, "right", false, nullptr, nullptr},
        {"actionLeft_View", "Left View", nullptr, "menuView", false, false, true, -1, "left", true, nullptr, nullptr},
        {"actionShow_Axis", "Show Axis", nullptr, "menuView", true, true, true, -1, nullptr, false, nullptr, nullptr},
        {"actionShow_Lights", "Show Lights", nullptr, "menuView", true, false, true, -1, nullptr, true, nullptr, nullptr},
        {"actionSet_View", "Set View", "Ctrl+Shift+V", "menuView", false, false, true, -1, nullptr, false, nullptr, nullptr},
        {"actionSet_Lighting", "Set Lighting", "Ctrl+Shift+L", "menuView", false, false, true, -1, nullptr, false, nullptr, nullptr},
        {"actionFit_View", "Fit View", "F", "menuView", false, false, true, -1, nullptr, false,
         "Show the whole scene, centred.", nullptr},

        {"actionConsole", "Console", nullptr, "menuWindows", true, true, true, -1, nullptr, false, "View the console window.", "="},
        {"actionAbout_Kelvane", "About Kelvane", nullptr, "menuAbout", false, false, true, -1, nullptr, false, nullptr, nullptr},

        // Created but placed in no menu.
        {"actionRun_Step", "Run Simulation", nullptr, nullptr, false, false, true, -1, nullptr, false, "Run simulations on the substrate.", "This allows you to run simulations such as Si wet etching and photolithography."},
        {"actionManual_View", "Manual View", "Ctrl+V, Ctrl+M", nullptr, false, false, true, -1, "manual", false, "Choose an arbitrary viewing angle.", "="},
        {"actionZoom", "Zoom", "Ctrl+V, Ctrl+Z", nullptr, false, false, true, -1, nullptr, false, "Choose an arbitrary zoom value.", "="},
        {"actionTranslate", "Translation", "Ctrl+V, Ctrl+T", nullptr, false, false, true, -1, nullptr, false, "Displace the viewing volume.", "Displace the viewing volume. This can be used to center objects on the screen."},
        {"actionModel_Extraction", "Model Extraction", nullptr, nullptr, false, false, false, 1000, nullptr, false, nullptr, "Extract a mechanical model for a cantilever."},
        {"actionSi_Stochastic_Wet_Etch", "Si Stochastic Wet Etch", nullptr, nullptr, false, false, true, -1, nullptr, false, nullptr, nullptr},
        {"actionFilm_Deposition", "Film Deposition", nullptr, nullptr, false, false, true, -1, nullptr, false, nullptr, nullptr},
        {"actionContinuous_Wet_Etching", nullptr, nullptr, nullptr, false, false, true, 29, nullptr, false, nullptr, nullptr},
    };
    return table;
}

void MainWindowForm::setupUi(QMainWindow *window)
{
    if (window->objectName().isEmpty())
        window->setObjectName(QStringLiteral("MainWindowForm"));
    window->resize(800, 600);

    for (const Entry &e : entries()) {
        auto *a = new QAction(window);
        a->setObjectName(QString::fromLatin1(e.name));
        a->setCheckable(e.checkable);
        a->setChecked(e.checked);
        a->setEnabled(e.enabled);
        actions.insert(a->objectName(), a);
        actionOrder.append(a);
    }

    centralwidget = new QWidget(window);
    centralwidget->setObjectName(QStringLiteral("centralwidget"));
    window->setCentralWidget(centralwidget);

    menubar = new QMenuBar(window);
    menubar->setObjectName(QStringLiteral("menubar"));
    menubar->setGeometry(QRect(0, 0, 800, 21));
    for (const MenuEntry &m : menuTable) {
        auto *menu = new QMenu(menubar);
        menu->setObjectName(QString::fromLatin1(m.name));
        menus.insert(menu->objectName(), menu);
        menubar->addAction(menu->menuAction());
    }
    window->setMenuBar(menubar);

    for (const Entry &e : entries()) {
        if (!e.menu)
            continue;
        QMenu *menu = menus.value(QString::fromLatin1(e.menu));
        menu->addAction(actions.value(QString::fromLatin1(e.name)));
        if (e.separatorAfter)
            menu->addSeparator();
    }

    statusbar = new QStatusBar(window);
    statusbar->setObjectName(QStringLiteral("statusbar"));
    window->setStatusBar(statusbar);

    retranslateUi(window);
}

void MainWindowForm::retranslateUi(QMainWindow *window)
{
    window->setWindowTitle(translate("Kelvane"));
    for (const Entry &e : entries()) {
        QAction *a = actions.value(QString::fromLatin1(e.name));
        if (e.shortcut)
            a->setShortcut(QKeySequence(translate(e.shortcut)));
        // A process's entry says what its descriptor says.
        if (const Core::Processes::ProcessDescriptor *process =
                Core::Processes::ProcessRegistry::instance().byOperation(e.operation)) {
            a->setText(process->menuText);
            if (!process->toolTip.isEmpty())
                a->setToolTip(process->toolTip);
            if (!process->statusTip.isEmpty())
                a->setStatusTip(process->statusTip);
            continue;
        }
        a->setText(translate(e.text));
        const QString tip = e.toolTip ? translate(e.toolTip) : QString();
        if (e.toolTip)
            a->setToolTip(tip);
        if (e.statusTip)
            a->setStatusTip(QString::fromLatin1(e.statusTip) == QLatin1String("=") ? tip : translate(e.statusTip));
    }
    actions.value(QStringLiteral("actionExit"))->setIconText(translate("Exit"));
    actions.value(QStringLiteral("actionCreate_Substrate"))
        ->setWhatsThis(translate("This creates a simulation volume with a substrate inside. This is "
                                 "the first step in running simulations using Kelvane."));
    for (const MenuEntry &m : menuTable)
        menus.value(QString::fromLatin1(m.name))->setTitle(translate(m.title));
}

} // namespace Ui
