#include "bindings.h"

#include "Core/BatchRun/parametertext.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Core/BatchRun/registeredstep.h"
#include "Core/Operations/Photolithography/mask.h"
#include "Core/Processes/processregistry.h"
#include "Model/Materials/materialfactory.h"
#include "Model/scene.h"
#include "volumeaccess.h"

#include <pybind11/stl.h>

#include <QThreadPool>
#include <cmath>
#include <map>
#include <string>

namespace py = pybind11;

using Core::BatchRun::quotedText;
using Core::Processes::ParameterField;
using Core::Processes::ParameterSet;
using Core::Processes::ProcessDescriptor;
using Core::Processes::ProcessRegistry;
using Core::Processes::ValueType;
using Model::Automaton::TotalVolumePtr;

namespace KelvanePython {

namespace {

std::string text(const QString &s) { return s.toStdString(); }

// Processes with a function of their own: those that change a volume and can be chosen
// from the menus (not the batch runner's own steps).
bool hasFunction(const ProcessDescriptor &process) { return process.run && process.operationNumber >= 0; }

// How messages name a call: "kelvane.cvd (CVD)".
QString callName(const ProcessDescriptor &process)
{
    return QStringLiteral("kelvane.%1 (%2)").arg(process.pythonFunction(), process.listName);
}

// The value of the field's type that parameter texts are read as.
QVariant typed(const ParameterField &field, double number)
{
    switch (field.type) {
    case ValueType::Float:
        return static_cast<float>(number);
    case ValueType::Double:
        return number;
    case ValueType::UInt:
    case ValueType::Material:
        return static_cast<uint>(number);
    case ValueType::Int:
        return static_cast<int>(number);
    case ValueType::Bool:
        return number != 0.0;
    case ValueType::String:
        return QString();
    case ValueType::Point:
        return QVariant::fromValue(Util::Vector3D());
    case ValueType::Mask:
        return QVariant::fromValue(Core::Operations::Mask());
    }
    return QVariant();
}

// How the docstring names a field's type, and what a value of the wrong type is told.
struct TypeTexts
{
    const char *word;
    const char *wanted;
};

TypeTexts typeTexts(const ParameterField &field)
{
    switch (field.type) {
    case ValueType::Float:
    case ValueType::Double:
        return {"float", "it needs a number"};
    case ValueType::UInt:
        return {"int", "it needs a whole number of 0 or more"};
    case ValueType::Int:
        return {"int", "it needs a whole number"};
    case ValueType::Bool:
        return {"bool", "a yes-or-no parameter takes True or False"};
    case ValueType::Material:
        return {"material name or id", "it needs a material's name or id"};
    case ValueType::String:
        return {"str", "it needs a text"};
    case ValueType::Point:
        return {"(x, y, z)", "it needs a point (x, y, z) of three numbers"};
    case ValueType::Mask:
        return {"bool array (width, height) or image file name",
                "it needs a 2-D array of bools (True: opaque) or a mask image's file name"};
    }
    return {"", ""};
}

bool isBool(const py::handle &value)
{
    return py::isinstance<py::bool_>(value) ||
           py::str(py::type::of(value).attr("__name__")).cast<std::string>() == "bool_";
}

bool isInteger(const py::handle &value)
{
    return !isBool(value) && !py::isinstance<py::str>(value) && py::hasattr(value, "__index__");
}

bool isNumber(const py::handle &value)
{
    return isInteger(value) || (!isBool(value) && !py::isinstance<py::str>(value) && py::isinstance<py::float_>(value)) ||
           (!isBool(value) && py::hasattr(value, "dtype") && py::hasattr(value, "__float__") &&
            py::len(py::getattr(value, "shape")) == 0);
}

std::string shown(const py::handle &value) { return py::repr(value).cast<std::string>(); }

// "<value> is not a value for "<keyword>" of <call>: it needs a number, not a str"
std::string wrongType(const ProcessDescriptor &process, const ParameterField &field, const py::handle &value)
{
    const QString given = QString::fromStdString(py::str(value).cast<std::string>());
    const QString type = QString::fromStdString(py::str(py::type::of(value).attr("__name__")).cast<std::string>());
    return text(Core::BatchRun::notAValueText(given, field.pythonKeyword(), callName(process),
                                              QString::fromLatin1(typeTexts(field).wanted) + QStringLiteral(", not a ") + type));
}

// The text a list would hold for this Python value, read the way --set reads it; empty
// when the value is not of a type the field takes.
bool valueText(const ParameterField &field, const py::handle &value, QString *out)
{
    switch (field.type) {
    case ValueType::Float:
    case ValueType::Double:
        if (!isNumber(value))
            return false;
        *out = QString::fromStdString(py::repr(py::float_(py::reinterpret_borrow<py::object>(value))).cast<std::string>());
        return true;
    case ValueType::UInt:
    case ValueType::Int:
        if (!isInteger(value))
            return false;
        *out = QString::fromStdString(py::str(py::int_(py::reinterpret_borrow<py::object>(value))).cast<std::string>());
        return true;
    case ValueType::Material:
        if (py::isinstance<py::str>(value)) {
            *out = QString::fromStdString(value.cast<std::string>());
            return true;
        }
        if (!isInteger(value))
            return false;
        *out = QString::fromStdString(py::str(py::int_(py::reinterpret_borrow<py::object>(value))).cast<std::string>());
        return true;
    case ValueType::Bool:
        if (!isBool(value))
            return false;
        *out = value.cast<bool>() ? QStringLiteral("true") : QStringLiteral("false");
        return true;
    case ValueType::String:
        if (!py::isinstance<py::str>(value))
            return false;
        *out = QString::fromStdString(value.cast<std::string>());
        return true;
    case ValueType::Point: {
        if (py::isinstance<py::str>(value) || !py::isinstance<py::sequence>(value) || py::len(value) != 3)
            return false;
        QStringList parts;
        for (const py::handle &item : value) {
            if (!isNumber(item))
                return false;
            parts << QString::fromStdString(py::repr(py::float_(py::reinterpret_borrow<py::object>(item))).cast<std::string>());
        }
        *out = parts.join(QLatin1Char(';'));
        return true;
    }
    case ValueType::Mask:
        return false;
    }
    return false;
}

// A mask keyword: a bool array, or an image file read as the options dialog reads it.
QVariant maskValue(const ProcessDescriptor &process, const ParameterField &field, const py::handle &value)
{
    const QString keyword = field.pythonKeyword();
    Core::Operations::Mask mask;
    if (py::isinstance<py::str>(value)) {
        const QString file = QString::fromStdString(value.cast<std::string>());
        QString reason;
        if (!Core::Operations::Mask::fromFile(file, &mask, &reason))
            throw py::value_error(text(Core::BatchRun::notAValueText(
                file, keyword, callName(process),
                reason.isEmpty() ? QStringLiteral("it is not a readable image") : reason)));
        return QVariant::fromValue(mask);
    }
    int width = 0;
    int height = 0;
    try {
        std::vector<bool> bits = maskBits(value, &width, &height);
        return QVariant::fromValue(Core::Operations::Mask(std::move(bits), width, height));
    } catch (const py::type_error &) {
        throw py::type_error(wrongType(process, field, value));
    }
}

// Every field of the process is in `values` after this: the keyword's value, or the
// field's default (a mask: the volume's own). Refuses, changing nothing, an unknown
// keyword, a value of the wrong type, one --set would not read and one its list step
// would not take.
ParameterSet readKeywords(const ProcessDescriptor &process, const Model::Automaton::TotalVolume &volume,
                          const py::kwargs &keywords)
{
    std::map<std::string, py::handle> given;
    for (const auto &item : keywords)
        given[item.first.cast<std::string>()] = item.second;
    QStringList names;
    for (const ParameterField &field : process.fields)
        names << quotedText(field.pythonKeyword());
    for (const auto &entry : given) {
        bool known = false;
        for (const ParameterField &field : process.fields)
            known = known || text(field.pythonKeyword()) == entry.first;
        if (!known)
            throw py::value_error(text(Core::BatchRun::readsNoParameterText(
                callName(process), QString::fromStdString(entry.first), names)));
    }

    ParameterSet values;
    bool hasMask = false;
    for (const ParameterField &field : process.fields) {
        const QString keyword = field.pythonKeyword();
        const auto found = given.find(text(keyword));
        if (field.type == ValueType::Mask) {
            hasMask = true;
            if (found != given.end() && !found->second.is_none()) {
                values.set(field.key, maskValue(process, field, found->second));
                continue;
            }
            // Without one, the volume's own mask on that face.
            int width = 0;
            int height = 0;
            const bool top = field.key.startsWith(QLatin1String("Top"));
            top ? volume.getTopMaskSize(&width, &height) : volume.getBottomMaskSize(&width, &height);
            values.set(field.key, QVariant::fromValue(Core::Operations::Mask(
                                      top ? volume.getTopMask() : volume.getBottomMask(), width, height)));
            continue;
        }
        if (found == given.end()) {
            if (field.isMaterial())
                throw py::type_error(text(QStringLiteral("%1 needs %2=, a material's name or id")
                                              .arg(callName(process), keyword)));
            values.set(field.key, typed(field, field.defaultValue));
            continue;
        }
        QString valueText;
        if (!KelvanePython::valueText(field, found->second, &valueText))
            throw py::type_error(wrongType(process, field, found->second));
        QVariant value;
        QString reason;
        if (!Core::BatchRun::parseParameterText(field.listKey(), typed(field, field.defaultValue), valueText, &value,
                                                &reason))
            throw py::value_error(
                text(Core::BatchRun::notAValueText(valueText, keyword, callName(process), reason)));
        values.set(field.key, value);
    }

    // The values together, as the process's list step takes them (a list step reads no
    // masks of Python's; those processes check their fields' rules alone).
    QString refusal;
    if (!hasMask && process.batchType >= 0) {
        // Made once and kept to the end: no Qt object of it is torn down while the
        // interpreter exits. Only callers holding the GIL reach it.
        static Model::Scene *scene = new Model::Scene;
        static auto *records = new std::map<int32_t, int32_t>;
        static auto *stale = new std::map<int32_t, bool>;
        static const auto *checker = new Core::BatchRun::ProcessListRunner(*scene, *records, *stale);
        Core::BatchRun::ProcessData step(process.batchType);
        Core::BatchRun::writeStepValues(process, values, step);
        const auto checked = checker->checkStep(step);
        if (checked.result != Core::BatchRun::ProcessListRunner::Success)
            refusal = checked.rejection.isEmpty() ? Core::BatchRun::ProcessListRunner::resultMessage(checked.result)
                                                  : checked.rejection;
    } else if (const ParameterField *refused = process.refusedField(values)) {
        refusal = refused->refusal.isEmpty()
                      ? Core::BatchRun::ProcessListRunner::resultMessage(Core::BatchRun::ProcessListRunner::InvalidParameter)
                      : refused->refusal;
    }
    if (!refusal.isEmpty())
        throw py::value_error(text(Core::BatchRun::doesNotTakeText(callName(process), false, refusal)));
    return values;
}

void runProcess(const ProcessDescriptor &process, const TotalVolumePtr &volume, const py::kwargs &keywords)
{
    if (!volume)
        throw py::type_error(text(callName(process)) + " needs a kelvane.Volume to run on, not None");
    const ParameterSet values = readKeywords(process, *volume, keywords);
    VolumeInUse use(volume);
    checkMaterialIds(volume);
    std::map<int32_t, bool> &stale = use.latticeStale();
    py::gil_scoped_release release;
    Core::Processes::ProcessTarget target{*volume, stale, QString()};
    process.run(target, values);
    if (process.writesSilicon(values))
        stale[volume->getId()] = true;
}

// A default as Python writes it: 10.0, 1e-07, 3, True.
std::string shownDefault(const ParameterField &field)
{
    if (field.type == ValueType::Bool)
        return field.defaultValue != 0.0 ? "True" : "False";
    if (field.type == ValueType::UInt || field.type == ValueType::Int)
        return std::to_string(static_cast<long long>(field.defaultValue));
    return py::repr(py::float_(field.defaultValue)).cast<std::string>();
}

std::string number(double value) { return py::repr(py::float_(value)).cast<std::string>(); }

// The documentation of a process's function, from its descriptor: its signature (the
// materials, which have no default, first), the menu entry's texts, and each field's
// label, type, unit, help, default, range and rule.
std::string documentation(const ProcessDescriptor &process)
{
    std::string doc = text(process.pythonFunction()) + "(volume, *";
    for (const bool required : {true, false})
        for (const ParameterField &field : process.fields) {
            if (field.isMaterial() != required)
                continue;
            doc += ", " + text(field.pythonKeyword());
            if (field.type == ValueType::Mask)
                doc += "=None";
            else if (!field.isMaterial())
                doc += "=" + shownDefault(field);
        }
    doc += ")\n\n" + text(process.menuText.isEmpty() ? process.listName : process.menuText);
    const QString tip = process.statusTip.isEmpty() ? process.toolTip : process.statusTip;
    doc += tip.isEmpty() ? "." : ": " + text(tip);
    doc += "\nIn process lists: \"" + text(process.listName) + "\"; also kelvane.run(volume, \"" +
           text(process.listName) + "\", ...).\n\nParameters\n----------\nvolume : kelvane.Volume\n"
           "    The volume the process changes.\n";
    for (const ParameterField &field : process.fields) {
        doc += text(field.pythonKeyword()) + " : " + std::string(typeTexts(field).word);
        if (!field.unit.isEmpty())
            doc += ", in " + text(field.unit);
        doc += "\n    " + text(field.label.isEmpty() ? field.key : field.label) + ".";
        if (!field.help.isEmpty())
            doc += " " + text(field.help);
        if (field.isNumber()) {
            doc += " Default " + shownDefault(field) + "; the options dialog offers " +
                   number(field.minimum) + " to " + number(field.maximum) + ".";
            if (!field.refusal.isEmpty())
                doc += " Refused when it breaks the rule: " + text(field.refusal) + ".";
        } else if (field.isMaterial()) {
            doc += " Required: a material of kelvane.material_catalogue(), by name or id.";
        } else if (field.type == ValueType::Mask) {
            doc += " Without one, the volume's own " +
                   std::string(field.key.startsWith(QLatin1String("Top")) ? "top_mask" : "bottom_mask") + ".";
        }
        doc += "\n";
    }
    return doc;
}

const ProcessDescriptor *findProcess(const std::string &name)
{
    const QString wanted = QString::fromStdString(name);
    for (const ProcessDescriptor &process : ProcessRegistry::instance().all())
        if (hasFunction(process) &&
            (process.pythonFunction() == wanted || process.listName == wanted ||
             (!process.menuText.isEmpty() && process.menuText == wanted)))
            return &process;
    return nullptr;
}

std::vector<std::string> processNames()
{
    std::vector<std::string> names;
    for (const ProcessDescriptor &process : ProcessRegistry::instance().all())
        if (hasFunction(process))
            names.push_back(text(process.pythonFunction()));
    return names;
}

} // namespace

void bindProcesses(py::module_ &module)
{
    py::options options;
    options.disable_function_signatures();
    for (const ProcessDescriptor &process : ProcessRegistry::instance().all()) {
        if (!hasFunction(process))
            continue;
        const std::string name = text(process.pythonFunction());
        module.def(
            name.c_str(),
            [&process](const TotalVolumePtr &volume, const py::kwargs &keywords) { runProcess(process, volume, keywords); },
            py::arg("volume"), documentation(process).c_str());
    }
    module.def(
        "run",
        [](const TotalVolumePtr &volume, const std::string &name, const py::kwargs &keywords) {
            const ProcessDescriptor *process = findProcess(name);
            if (!process) {
                std::string known;
                for (const std::string &n : processNames())
                    known += (known.empty() ? "" : ", ") + n;
                throw py::value_error("kelvane.run: there is no process \"" + name +
                                      "\"; give a process's Python name, menu text or list name: " + known);
            }
            runProcess(*process, volume, keywords);
        },
        py::arg("volume"), py::arg("process"),
        "run(volume, process, **parameters)\n\nRuns the process named `process` (its function's name as "
        "kelvane.process_names() gives it, its menu text or its name in process lists, such as \"CVD\") on "
        "the volume, with the keyword parameters its own function takes.");
    module.def("process_names", &processNames,
               "process_names()\n\nThe names of the process functions, in the order of the program's process "
               "registry.");
    module.def(
        "set_threads",
        [](const py::object &count) {
            if (!isInteger(count))
                throw py::type_error("set_threads needs a whole number from 1 to 4096, not " + shown(count));
            const py::int_ whole(count);
            if (whole < py::int_(1) || whole > py::int_(4096))
                throw py::value_error("set_threads needs a whole number from 1 to 4096, not " +
                                      shown(whole));
            QThreadPool::globalInstance()->setMaxThreadCount(whole.cast<int>());
        },
        py::arg("count"),
        "set_threads(count)\n\nThe number of worker threads the processes split their work over (1 to 4096; "
        "by default the number of processor cores). Results do not depend on it. Processes started later "
        "use it.");
    module.def(
        "threads", [] { return QThreadPool::globalInstance()->maxThreadCount(); },
        "threads()\n\nThe number of worker threads the processes split their work over.");
    module.def(
        "material_catalogue",
        [] {
            py::list materials;
            for (const Model::Materials::Material &m : Model::Materials::MaterialFactory::instance()->getMaterials()) {
                py::dict entry;
                entry["id"] = m.id;
                entry["name"] = text(m.name);
                entry["color"] = py::make_tuple(m.color[0], m.color[1], m.color[2], m.color[3]);
                materials.append(entry);
            }
            return materials;
        },
        "material_catalogue()\n\nThe materials of the catalogue (~/Kelvane/materials.xml) by id: a list of "
        "dicts with \"id\", \"name\" and \"color\" (red, green, blue, alpha from 0 to 1). Processes take a "
        "material by either its name or its id; id 0 is the empty cell.");
}

} // namespace KelvanePython
