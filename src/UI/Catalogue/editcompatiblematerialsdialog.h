#pragma once

#include "Model/Materials/material.h"
#include "Model/Process/process.h"

#include <QDialog>
#include <vector>

class QComboBox;
class QListWidget;
class QPushButton;

namespace Ui {

// "Edit Compatible Materials": per process of the catalogue, which materials it may use
// or attack. Materials move between "Available Materials" and "Compatible Materials" with
// ">>" and "<<". The dialog edits a copy of the process list; whoever runs it writes
// processes() into the catalogue when it is accepted.
class EditCompatibleMaterialsDialog : public QDialog
{
    Q_OBJECT
public:
    // Takes copies of the process and material catalogues as they are now.
    explicit EditCompatibleMaterialsDialog(QWidget *parent = nullptr);

    const std::vector<Model::Process::Process> &processes() const { return list; }
    QComboBox *processBox() const { return cbxProcess; }
    QListWidget *availableList() const { return lstAvailable; }
    QListWidget *compatibleList() const { return lstCompatible; }
    QPushButton *insertButton() const { return btnInsert; }
    QPushButton *removeButton() const { return btnRemove; }

public slots:
    void on_cbxProcess_currentIndexChanged(int index);
    // Appends the ids of the selected available materials to the current process.
    void on_btnInsert_clicked();
    // Takes the ids of the selected compatible materials out of the current process.
    void on_btnRemove_clicked();

private:
    Model::Process::Process *current();
    void refreshLists();
    void updateButtons();
    QString materialName(uint32_t id) const;

    std::vector<Model::Process::Process> list;
    std::vector<Model::Materials::Material> materials;
    int currentIndex = -1; // into list
    QComboBox *cbxProcess = nullptr;
    QListWidget *lstAvailable = nullptr;
    QListWidget *lstCompatible = nullptr;
    QPushButton *btnInsert = nullptr;
    QPushButton *btnRemove = nullptr;
};

} // namespace Ui
