#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace Core {
namespace Operations {
class RunModelExtraction;
}
} // namespace Core

namespace Ui {
namespace Operations {

// The three steps of a model extraction, run in order from a small non-modal tool
// window: show the blocks, show the beams, save the netlist (as often as wanted, with the
// micrometres per model unit set when it is saved). Closing the window ends the extraction.
class ExtractModelDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ExtractModelDialog(std::weak_ptr<Core::Operations::RunModelExtraction> operation,
                                QWidget *parent = nullptr);

    QPushButton *stepOneButton() const { return stepOne; }
    QPushButton *stepTwoButton() const { return stepTwo; }
    QPushButton *stepThreeButton() const { return stepThree; }
    QDoubleSpinBox *unitBox() const { return unit; }

    // Where the next save dialog starts: the user's home folder until a netlist is saved.
    static QString lastDirectory();

    static const QString saveCaption;
    static const QString saveFilter;

public slots:
    void runStepOneClicked();
    void runStepTwoClicked();
    void runStepThreeClicked();

    void done(int result) override;

private:
    std::weak_ptr<Core::Operations::RunModelExtraction> operation;
    QPushButton *stepOne;
    QPushButton *stepTwo;
    QPushButton *stepThree;
    QDoubleSpinBox *unit;
};

} // namespace Operations
} // namespace Ui
