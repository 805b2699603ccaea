#pragma once

#include <QDialog>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QTabWidget;

namespace Ui {

// "Set vew and lighting": the camera values on one tab, the lamps on the other.
// Lamp angles are shown in degrees and handed in and out in radians.
class ViewProperties : public QDialog
{
    Q_OBJECT
public:
    enum Mode { ViewMode = 0, LampMode = 1 };

    struct Lamp
    {
        double radius = 300.0;
        double azimuth = 0.0;
        double elevation = 0.7853981633974483;
        bool enabled = true;
    };

    struct Values
    {
        // In: the view's active lamp (1 when none). Out: the lamp chosen in the selector.
        int activeLamp = 1;
        double screenX = 0.0;
        double screenY = 0.0;
        double axisX = 0.0;
        double axisY = 0.0;
        double axisZ = 0.0;
        double angleX = 0.0;
        double angleY = 0.0;
        double angleZ = 0.0;
        // 1 / zoom.
        double zoomValue = 1.0;
        // One entry per lamp; the lamp count is its size (1..8).
        std::vector<Lamp> lamps;
    };

    static constexpr int maxLamps = 8;

    ViewProperties(const Values &values, int mode, QWidget *parent = nullptr);

    Values values() const;
    int lampCount() const { return static_cast<int>(lamps.size()); }
    // 1-based number of the lamp shown in the selector.
    int chosenLamp() const;

public slots:
    void lampchanged(int indexlamp);
    void addLamp();
    void deleteLamp();
    void radiusChanged(double value);
    void angletetaChanged(double value);
    void anglefiChanged(double value);
    void visibleChanged(bool value);

private:
    QWidget *buildViewTab();
    QWidget *buildLampTab();
    QDoubleSpinBox *spinBox(const char *name, double minimum, double maximum, int decimals);
    void fillLampSelector(int selectIndex);
    void updateLampButtons();
    Lamp *currentLamp();

    std::vector<Lamp> lamps;

    QTabWidget *tabs;
    QDoubleSpinBox *axisXBox;
    QDoubleSpinBox *axisYBox;
    QDoubleSpinBox *axisZBox;
    QDoubleSpinBox *angleXBox;
    QDoubleSpinBox *angleYBox;
    QDoubleSpinBox *angleZBox;
    QDoubleSpinBox *screenXBox;
    QDoubleSpinBox *screenYBox;
    QDoubleSpinBox *zoomBox;
    QComboBox *lampSelector;
    QCheckBox *enabledBox;
    QPushButton *deleteButton;
    QPushButton *addButton;
    QDoubleSpinBox *radiusBox;
    QDoubleSpinBox *thetaBox;
    QDoubleSpinBox *phiBox;
};

} // namespace Ui
