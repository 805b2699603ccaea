#include "UI/materialconflictdialog.h"

#include "UI/Operations/materialcombo.h"

#include <QButtonGroup>
#include <QColor>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Ui {

using Model::Materials::Material;
using Model::Materials::MaterialConflictChoice;

const QString MaterialConflictDialog::question = QStringLiteral(
    "While loading the document, a material with the same identifier as an existing material "
    "was found, but the names are not the same. What would you like to do?");

namespace {

QLabel *colorSwatch(const Material &m, QWidget *parent)
{
    auto *label = new QLabel(parent);
    const QColor c = QColor::fromRgbF(m.color[0], m.color[1], m.color[2], m.color[3]);
    label->setFixedSize(48, 20);
    label->setStyleSheet(QStringLiteral("background-color : %1;\nborder: none;").arg(c.name()));
    return label;
}

QGroupBox *materialBox(const QString &title, const QString &prefix, const Material &m,
                       QLabel **nameLabel, QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    auto *form = new QFormLayout(box);
    *nameLabel = new QLabel(m.name, box);
    form->addRow(prefix + QStringLiteral(" Name"), *nameLabel);
    form->addRow(prefix + QStringLiteral(" Color"), colorSwatch(m, box));
    return box;
}

} // namespace

MaterialConflictDialog::MaterialConflictDialog(const Material &loaded, const Material &existing,
                                               QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Dialog"));
    auto *layout = new QVBoxLayout(this);
    auto *materials = new QHBoxLayout();
    materials->addWidget(materialBox(QStringLiteral("Loaded Material"),
                                     QStringLiteral("Loaded Material"), loaded, &loadedName, this));
    materials->addWidget(materialBox(QStringLiteral("Existing Material"),
                                     QStringLiteral("Existing Material"), existing, &existingName, this));
    layout->addLayout(materials);

    auto *text = new QLabel(question, this);
    text->setWordWrap(true);
    layout->addWidget(text);

    choices = new QButtonGroup(this);
    const std::pair<MaterialConflictChoice, const char *> rows[] = {
        {MaterialConflictChoice::ReplaceLoadedByExisting, "Replace loaded material by existing material."},
        {MaterialConflictChoice::ReplaceExistingByLoaded, "Replace existing material by loaded material"},
        {MaterialConflictChoice::ReplaceLoadedByOther, "Replace loaded material by another existing material"},
        {MaterialConflictChoice::AddLoadedAsNew, "Add loaded material as a new material"},
    };
    for (const auto &row : rows) {
        auto *button = new QRadioButton(QString::fromLatin1(row.second), this);
        choices->addButton(button, static_cast<int>(row.first));
        layout->addWidget(button);
        if (row.first == MaterialConflictChoice::ReplaceLoadedByOther) {
            auto *line = new QHBoxLayout();
            replacementLabel = new QLabel(QStringLiteral("Replacement Material"), this);
            replacement = new QComboBox(this);
            Operations::fillMaterialCombo(replacement);
            line->addSpacing(24);
            line->addWidget(replacementLabel);
            line->addWidget(replacement, 1);
            layout->addLayout(line);
        }
    }
    choices->button(static_cast<int>(MaterialConflictChoice::ReplaceLoadedByExisting))->setChecked(true);
    connect(choices, &QButtonGroup::idToggled, this, [this](int, bool) { updateReplacementEnabled(); });
    updateReplacementEnabled();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

MaterialConflictChoice MaterialConflictDialog::choice() const
{
    return static_cast<MaterialConflictChoice>(choices->checkedId());
}

uint32_t MaterialConflictDialog::replacementId() const
{
    return replacement->currentData().toUInt();
}

QRadioButton *MaterialConflictDialog::choiceButton(MaterialConflictChoice c) const
{
    return qobject_cast<QRadioButton *>(choices->button(static_cast<int>(c)));
}

void MaterialConflictDialog::updateReplacementEnabled()
{
    const bool other = choice() == MaterialConflictChoice::ReplaceLoadedByOther;
    replacement->setEnabled(other);
    replacementLabel->setEnabled(other);
}

} // namespace Ui
