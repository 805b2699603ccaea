#pragma once

#include "Core/Processes/parameterset.h"
#include "Model/Automaton/totalvolume.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace Core {
namespace Processes {

// How a value is stored in a process list (the type written to the file) and read back.
enum class ValueType { Float, Double, UInt, Int, Bool, String, Point, Mask, Material };

// Which materials a material parameter offers.
enum class MaterialChoice {
    None,      // not a material
    Process,   // those the process catalogue allows for the descriptor's catalogue process
    Any,       // every material of the material catalogue
    Dopant,    // the dopants of the catalogue process
};

// What a list value must satisfy for a batch step to run. A refused value fails the step
// with the field's refusal text (or, without one, only the result code).
enum class ListRule {
    Any,         // any value of the type
    Finite,      // a finite number
    NotNegative, // a finite number of 0 or more
    Range,       // a finite number from minimum to maximum
    Positive,    // a finite number above 0
};

// One parameter of a process: its name in lists, its type and unit, the range and
// default the options dialog offers, its label and help, and the rule its list value
// must keep.
struct ParameterField
{
    QString key;      // the name stored in lists; for a material the word (see listKey)
    ValueType type = ValueType::Float;
    QString unit;     // shown after the value: "units", "cells", "um", ...
    double defaultValue = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    int decimals = 2;
    QString label;    // the options dialog's label
    QString help;     // tool tip and what's-this text
    MaterialChoice materials = MaterialChoice::None;
    ListRule rule = ListRule::Any;
    double ruleMinimum = 0.0; // for ListRule::Range
    double ruleMaximum = 0.0;
    QString refusal;  // why a list value breaking the rule is refused
    bool optional = false; // a list may leave it out (the run takes defaultValue)
    // Read only when the field of this key holds onlyWhenValue (a choice between ways of
    // giving a value); empty: always read.
    QString onlyWhen;
    QVariant onlyWhenValue;
    // Its list rule is checked after those of the other fields.
    bool checkedLast = false;

    // Its keyword in the Python module; empty: derived from the key (see pythonKeyword).
    QString pythonName;

    bool isMaterial() const { return type == ValueType::Material; }
    bool isNumber() const
    {
        return type == ValueType::Float || type == ValueType::Double || type == ValueType::UInt || type == ValueType::Int;
    }
    // pythonName, or the key in lower case with words joined by "_" ("Film Thickness":
    // "film_thickness").
    QString pythonKeyword() const;
    // A material is stored as its id under "<word>_Id", its name under "<word>" and its
    // colour under "<word>_Color".
    QString listKey() const;
    QString colorKey() const;
    // The value's suffix in a spin box: " units", " cells"; empty without a unit.
    QString suffix() const { return unit.isEmpty() ? QString() : QStringLiteral(" ") + unit; }
    // True when `value` keeps the list rule.
    bool keepsRule(double value) const;
    // Whether the field is read with these values (see onlyWhen).
    bool appliesTo(const ParameterSet &values) const;
    // Sets the rule a list value must keep and why a value breaking it is refused.
    ParameterField &withRule(ListRule listRule, const QString &why);
    ParameterField &withHelp(const QString &text);
    ParameterField &withPythonName(const QString &name);
};

// What an options dialog is told about the volume it works on (or, in the list editor,
// the list's volume), by these keys.
namespace VolumeFacts {
// The volume's height in cells: the bound of a height.
const QString height = QStringLiteral("Volume Height");
// 1 + the height of the volume's highest filled cell; 0 when it is empty.
const QString materialTop = QStringLiteral("Material Top");
} // namespace VolumeFacts


// Whether running a process may change silicon cells, which makes the volume's silicon
// lattice stale for the next atomistic etch.
enum class SiliconEffect {
    None,
    WhenMaterialIsSilicon, // the material of `writtenMaterial` is written or removed
    Always,
};

// What a process runs on: the volume and the records of the scene it belongs to.
struct ProcessTarget
{
    Model::Automaton::TotalVolume &volume;
    std::map<int32_t, bool> &latticeStale;
    // The folder relative file names of the parameters are looked up in; empty: the
    // working directory.
    QString folder;
    // Set by the run: how much it changed that no cell shows (atoms taken from the
    // silicon lattice), so that a step whose cells stayed still counts as a change.
    size_t unseenChanges = 0;
};

// One process: its names and numbers in every place it appears, its parameters, and the
// function that runs it. The menu operation and the batch step both run `run` with the
// same ParameterSet.
struct ProcessDescriptor
{
    QString menuText;    // the menu entry ("Isotropic Etching")
    QString toolTip;     // the menu entry's tool tip; empty: none
    QString statusTip;   // the menu entry's status tip; empty: none
    QString consoleName; // the operation's name in the console and status bar
    QString listName;    // the process name in lists and batch messages ("Isotropic etching")
    QString editorName;  // the name in the list editor's process-type list
    int32_t editorRank = 0; // its place in that list (ascending)
    QString dialogTitle; // the options dialog's window title
    QString snapshotKey; // the key of the step's undo records
    // Its function in the Python module; empty: derived from the menu text, or the list
    // name without one (see pythonFunction).
    QString pythonName;
    int32_t operationNumber = -1; // the menu action's operation; -1: none
    int32_t recordedNumber = -1;  // the operation's type, recorded as the volume's last process
    int32_t batchRecordedNumber = -1; // what a batch step records instead; -1: nothing
    int32_t batchType = -1;       // the type of its list steps; -1: none
    int32_t catalogueId = -1;     // the process catalogue's entry; -1: none
    std::vector<ParameterField> fields;
    SiliconEffect silicon = SiliconEffect::None;
    QString writtenMaterial; // the field whose material is written, for WhenMaterialIsSilicon
    bool undoable = true;
    // Whether the shared pieces built from the fields serve it: the menu operation, the
    // options form, the list step's reading and the list editor's writing. A process
    // with pieces of its own (masks shown on the volume, a volume made rather than
    // changed) still runs through `run` where it has one.
    bool generic = true;
    // The order of the fields in the options dialog when it differs from `fields` (the
    // order a list step is read in).
    std::vector<QString> dialogOrder;
    // Values a list step holds beside the fields, derived from them for the list's readers
    // (a choice's text): shown in the list editor, or hidden.
    std::function<void(const ParameterSet &, ParameterSet &shown, ParameterSet &hidden)> listExtras;

    // What the options dialog needs to know of the chosen volume (VolumeFacts), asked
    // once the volume is chosen, before the dialog opens; empty: nothing.
    std::function<void(Model::Automaton::TotalVolume &, ParameterSet &facts)> volumeFacts;
    // The console's words after the console name when the operation is canceled.
    QString canceledText = QStringLiteral(": Operation canceled.");

    std::function<void(ProcessTarget &, const ParameterSet &)> run;

    const ParameterField *field(const QString &key) const;
    // pythonName, or the menu text (the list name without one) in lower case with words
    // joined by "_" ("Isotropic Etching": "isotropic_etching").
    QString pythonFunction() const;
    // The first field, in the order lists check them, whose value breaks its list rule;
    // nullptr when every value keeps its rule.
    const ParameterField *refusedField(const ParameterSet &values) const;
    // Whether a run with these values may have changed silicon.
    bool writesSilicon(const ParameterSet &values) const;
};

// `text` as a Python name: lower case, every run of other characters than letters and
// digits one "_", a word boundary inside a camel-case word too ("EtchDirection":
// "etch_direction").
QString pythonIdentifier(const QString &text);

// A material parameter, stored as "<word>_Id", "<word>" and "<word>_Color".
ParameterField materialField(const QString &word, const QString &label, MaterialChoice choice);

// A number parameter: the options dialog offers minimum to maximum with `decimals`
// decimals, starting at the default.
ParameterField numberField(const QString &key, ValueType type, const QString &label, const QString &unit,
                           double defaultValue, double minimum, double maximum, int decimals);

// A thickness, depth or distance in length units: 0 to 1e9 in the dialog, a number of 0
// or more in a list (refused with `refusal`).
ParameterField lengthField(const QString &key, const QString &label, double defaultValue, int decimals,
                           const QString &refusal, ValueType type = ValueType::Float);

// A descriptor with its names and numbers: the list editor shows the menu text, and the
// menu operation and the batch step both record the operation number. The family files
// fill in the rest.
ProcessDescriptor describe(const QString &menuText, const QString &consoleName, const QString &listName,
                           int32_t operation, int32_t batchType, const QString &snapshotKey);

} // namespace Processes
} // namespace Core
