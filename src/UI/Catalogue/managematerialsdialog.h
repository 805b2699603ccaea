#pragma once

#include "Model/Materials/material.h"

#include <QDialog>
#include <vector>

class QPushButton;
class QTableView;

namespace Ui {

class MaterialTableViewItem;

// "Manage Materials": the catalogue's materials in a table where the user renames the
// materials he added, recolours any material and adds new ones. The dialog edits a copy;
// whoever runs it writes materials() into the catalogue when it is accepted.
class ManageMaterialsDialog : public QDialog
{
    Q_OBJECT
public:
    // Takes a copy of the material catalogue as it is now.
    explicit ManageMaterialsDialog(QWidget *parent = nullptr);

    const std::vector<Model::Materials::Material> &materials() const;
    MaterialTableViewItem *model() const { return table; }
    QTableView *tableView() const { return view; }
    QPushButton *addButton() const { return btnAddMaterial; }

public slots:
    // Appends "New Material" with a fresh id (density, Young's modulus and Poisson's
    // ratio 1, grey) and brings its row into view.
    void on_btnAddMaterial_clicked();

private:
    MaterialTableViewItem *table = nullptr;
    QTableView *view = nullptr;
    QPushButton *btnAddMaterial = nullptr;
};

} // namespace Ui
