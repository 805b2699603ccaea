#pragma once

#include "UI/mainwindowform.h"
#include "UI/mainwindowpresenter.h"

#include <QMainWindow>
#include <QString>
#include <memory>
#include <vector>

class QLabel;
class QShortcut;

namespace Ui {

class Export3DCommand;
class GLWidget;
class OperationMapper;

// The program's top-level window: menus that start operations or change the view, a
// status bar reporting view changes, and the 3-D view in the middle.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    MainWindowPresenter &getPresenter() { return presenter; }
    GLWidget *view() const { return glView; }
    QAction *action(const QString &objectName) const { return form.action(objectName); }
    QMenu *menu(const QString &objectName) const { return form.menu(objectName); }

    // A step's duration as the status bar shows it: "0.42 s", "12.3 s", "2 min 5 s".
    static QString durationText(double seconds);

    // Title of the box that tells of a catalogue that could not be read at start-up.
    static const QString startUpNoticeTitle;

public slots:
    // Shows, once, what the catalogues reported at start-up (nothing when all was well).
    void showStartUpNotices();
    // Windows > Console: shows or raises the console, or hides it when it is in sight.
    void chooseConsole();
    void undoOperation();
    void redoOperation();
    void selectionToggled(bool checked);
    void lightingToggled(bool on);
    void renderObjectsToggled(bool on);
    void renderObjectEdgesToggled(bool on);
    void setView(const QString &viewAngle);
    void renderGridToggled(bool on);
    void snapToGridToggled(bool on);
    void changeGridSpacing();
    void changeWindowColors();
    void saveImage(const QString &filename = QString());
    // A picture of one layer of cells of the selected (or first) cell volume.
    void saveCrossSection();
    // File > Export 3-D: the cell volume as VTK image data or an STL surface.
    void export3D();
    void showAboutInfo();
    void on_actionShow_Lights_toggled(bool on);
    // The catalogue editors: on acceptance the edits go into the catalogue, which is
    // saved; a save that fails is reported and the previous file stays as it was.
    void on_actionManage_Materials_triggered();
    void on_actionManage_Compatible_Materials_triggered();
    void on_actionNew_triggered();
    void on_actionNew_Process_List_triggered();
    void on_actionOpen_Process_List_triggered();
    void on_actionSet_View_triggered();
    void on_actionSet_Lighting_triggered();
    void on_actionShow_Axis_toggled(bool on);
    void changeRotationValue_statusBar(std::vector<float> angles);
    void changeAxisPositionValue_staturBar(std::vector<float> position);
    void changeViewPostionValue_statusBar(std::vector<float> position);
    void changeZoomValue_statusBar(float zoom);
    void changeLampPosition_statusBar(std::vector<float> lamp);
    void repaintCentralWidget();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void connectActions();
    void showStatus(const QString &message);
    // Busy cursor and the step's name while a step works; its duration once done.
    void showStepActivity();
    // The batch-run dialog with no volume, empty or with a list file.
    void runProcessListDialog(const QString &fileName);

    MainWindowForm form;
    MainWindowPresenter presenter;
    OperationMapper *operationMapper = nullptr;
    OperationMapper *viewMapper = nullptr;
    QShortcut *enterShortcut = nullptr;
    QShortcut *returnShortcut = nullptr;
    QShortcut *escapeShortcut = nullptr;
    GLWidget *glView = nullptr;
    QString lastImagePath;
    std::unique_ptr<Export3DCommand> export3DCommand;
    Util::ObserverPtr selectionModeObserver;
    QLabel *stepDuration = nullptr;
    bool consoleStarted = false;
};

} // namespace Ui
