#pragma once

#include "Model/Materials/material.h"
#include "Model/Materials/materialconflict.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QLabel;
class QRadioButton;

namespace Ui {

// Asks what to do with a document material whose id is taken in the catalogue by a
// material of another name: the two materials side by side and the four choices.
class MaterialConflictDialog : public QDialog
{
    Q_OBJECT
public:
    MaterialConflictDialog(const Model::Materials::Material &loaded,
                           const Model::Materials::Material &existing, QWidget *parent = nullptr);

    Model::Materials::MaterialConflictChoice choice() const;
    // The material picked in "Replacement Material" (used by the third choice).
    uint32_t replacementId() const;

    QRadioButton *choiceButton(Model::Materials::MaterialConflictChoice choice) const;
    QComboBox *replacementBox() const { return replacement; }
    QLabel *loadedNameLabel() const { return loadedName; }
    QLabel *existingNameLabel() const { return existingName; }

    static const QString question;

private:
    void updateReplacementEnabled();

    QButtonGroup *choices = nullptr;
    QComboBox *replacement = nullptr;
    QLabel *replacementLabel = nullptr;
    QLabel *loadedName = nullptr;
    QLabel *existingName = nullptr;
};

} // namespace Ui
