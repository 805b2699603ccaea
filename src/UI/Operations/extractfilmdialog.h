#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QComboBox;

namespace Ui {
namespace Operations {

// Options of extracting a film: the material whose body is copied (every material of
// the catalogue) and whether the copy is turned over.
class ExtractFilmDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ExtractFilmDialog(QWidget *parent = nullptr);

    uint32_t getMaterialId() const;
    bool getFlip() const;

    QComboBox *materialBox() const { return materials; }
    QCheckBox *flipBox() const { return flip; }

private:
    QComboBox *materials;
    QCheckBox *flip;
};

} // namespace Operations
} // namespace Ui
