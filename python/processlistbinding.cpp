#include "bindings.h"
#include "volumeaccess.h"
#include "guiapplication.h"
#include "pathtext.h"

#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Core/BatchRun/registeredstep.h"
#include "Core/Processes/processregistry.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "Model/scene.h"
#include "Util/vector3d.h"
#include "cli/offscreenrenderer.h"
#include "cli/parameteroverrides.h"

#include <QColor>
#include <charconv>
#include <cstdlib>
#include <QFileInfo>
#include <QRegularExpression>
#include <map>
#include <memory>
#include <optional>
#include <pybind11/stl.h>
#include <vector>

namespace py = pybind11;

using Core::BatchRun::MaskBitmap;
using Core::BatchRun::ProcessData;
using Core::BatchRun::ProcessListFile;
using Core::BatchRun::ProcessListRunner;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

namespace KelvanePython {

namespace {

std::string typeName(py::handle value) { return py::str(value.get_type().attr("__name__")); }

// A value set on a step: kept as given until the list runs or is saved, when it is read
// and checked as --set STEP.PARAMETER=VALUE would be.
struct Edit
{
    size_t step = 0;
    QString name;
    QString text;
    py::object value;
};

struct ListState
{
    Core::BatchRun::ProcessList steps;
    QString folder; // where steps look for files named without a folder
    std::vector<Edit> edits;
};
using ListPtr = std::shared_ptr<ListState>;

struct Step
{
    ListPtr list;
    size_t index = 0;
    ProcessData &data() const { return list->steps.at(index); }
};

struct Parameters
{
    ListPtr list;
    size_t index = 0;
};

bool isMaterialName(const ProcessData &step, const QString &name)
{
    const QStringList &ids = ProcessListFile::materialIdParameters();
    return ids.contains(name) || (ids.contains(name + QStringLiteral("_Id")) &&
                                  step.hasParameter(name + QStringLiteral("_Id")));
}

py::object fromVariant(const QVariant &value)
{
    const int type = value.userType();
    switch (type) {
    case QMetaType::Bool:
        return py::bool_(value.toBool());
    case QMetaType::Int:
        return py::int_(value.toInt());
    case QMetaType::UInt:
        return py::int_(value.toUInt());
    case QMetaType::Float: {
        // The shortest text that reads back as the same float: 1e-07, not 1.0000000116860974e-07.
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, value.toFloat()).ptr;
        return py::float_(std::strtod(std::string(text, end).c_str(), nullptr));
    }
    case QMetaType::Double:
        return py::float_(value.toDouble());
    case QMetaType::QString:
        return py::str(value.toString().toStdString());
    case QMetaType::QColor:
        return py::str(value.value<QColor>().name().toStdString());
    default:
        break;
    }
    if (type == qMetaTypeId<Util::Vector3D>()) {
        const Util::Vector3D p(value);
        return py::make_tuple(p.x, p.y, p.z);
    }
    if (type == qMetaTypeId<MaskBitmap>())
        return py::str(ProcessListFile::dataText(value).toStdString());
    return py::str(value.toString().toStdString());
}

bool isWholeNumber(py::handle value)
{
    return !py::isinstance<py::bool_>(value) && (py::isinstance<py::int_>(value) || py::hasattr(value, "__index__"));
}

bool isNumber(py::handle value)
{
    return isWholeNumber(value) || py::isinstance<py::float_>(value) ||
           (!py::isinstance<py::str>(value) && !py::isinstance<py::bool_>(value) && py::hasattr(value, "__float__"));
}

QString numberText(py::handle value)
{
    if (isWholeNumber(value))
        return QString::fromStdString(py::str(py::int_(py::reinterpret_borrow<py::object>(value))));
    return QString::fromStdString(py::repr(py::float_(py::reinterpret_borrow<py::object>(value))));
}

// The text --set would be given for `value`, chosen by the type the step holds the
// parameter in. Raises TypeError for a value no text of that type can come from.
QString valueText(const ProcessData &step, size_t index, const QString &name, py::handle value)
{
    auto refuse = [&](const char *wanted) -> QString {
        throw py::type_error(QStringLiteral("step %1 (%2): \"%3\" takes %4, not a %5")
                                 .arg(index + 1)
                                 .arg(step.getProcessName(), name, QString::fromLatin1(wanted),
                                      QString::fromStdString(typeName(value)))
                                 .toStdString());
    };
    if (isMaterialName(step, name)) {
        if (py::isinstance<py::str>(value))
            return QString::fromStdString(value.cast<std::string>());
        if (isWholeNumber(value))
            return numberText(value);
        return refuse("a material's name or id");
    }
    const QVariant current = step.getParameters().value(name);
    const int type = current.userType();
    if (type == QMetaType::Bool) {
        if (!py::isinstance<py::bool_>(value))
            return refuse("True or False");
        return value.cast<bool>() ? QStringLiteral("true") : QStringLiteral("false");
    }
    if (type == QMetaType::Float || type == QMetaType::Double) {
        if (!isNumber(value))
            return refuse("a number");
        return numberText(value);
    }
    if (type == QMetaType::Int || type == QMetaType::UInt) {
        if (!isWholeNumber(value))
            return refuse("a whole number");
        return numberText(value);
    }
    if (type == QMetaType::QString || type == QMetaType::QColor) {
        if (!py::isinstance<py::str>(value))
            return refuse("text");
        return QString::fromStdString(value.cast<std::string>());
    }
    if (type == qMetaTypeId<Util::Vector3D>()) {
        QStringList parts;
        if (!py::isinstance<py::str>(value) && py::isinstance<py::iterable>(value))
            for (py::handle item : value) {
                if (!isNumber(item))
                    return refuse("a point (x, y, z)");
                parts << numberText(item);
            }
        if (parts.size() != 3)
            return refuse("a point (x, y, z)");
        return parts.join(QLatin1Char(';'));
    }
    if (type == qMetaTypeId<MaskBitmap>()) {
        if (py::isinstance<py::str>(value))
            return QString::fromStdString(value.cast<std::string>());
        if (!py::isinstance<py::iterable>(value))
            return refuse("a mask (a str of 0 and 1, or a sequence of bits)");
        // A numpy array of any shape is read in its own order, row by row.
        const py::object flat = py::hasattr(value, "ravel") ? value.attr("ravel")() : py::reinterpret_borrow<py::object>(value);
        QString bits;
        for (py::handle item : flat) {
            if (!isNumber(item) && !py::isinstance<py::bool_>(item))
                return refuse("a mask (a str of 0 and 1, or a sequence of bits)");
            bits += py::cast<bool>(py::bool_(py::reinterpret_borrow<py::object>(item))) ? QLatin1Char('1')
                                                                                      : QLatin1Char('0');
        }
        return bits;
    }
    // A parameter the step does not hold: the run names those it reads.
    if (py::isinstance<py::bool_>(value))
        return value.cast<bool>() ? QStringLiteral("true") : QStringLiteral("false");
    if (isNumber(value))
        return numberText(value);
    if (py::isinstance<py::str>(value))
        return QString::fromStdString(value.cast<std::string>());
    return refuse("a number, True or False, or text");
}

using Core::Processes::ParameterField;
using Core::Processes::ProcessDescriptor;
using Core::Processes::ProcessRegistry;
using Core::Processes::ValueType;

// The processes a list step can be, by the name lists give them or their type number.
const ProcessDescriptor &findProcess(const py::object &process)
{
    const ProcessRegistry &registry = ProcessRegistry::instance();
    QStringList names;
    for (const ProcessDescriptor &d : registry.all())
        if (d.batchType >= 0)
            names << QStringLiteral("\"%1\" (%2)").arg(d.listName).arg(d.batchType);
    if (isWholeNumber(process)) {
        const int64_t type = process.cast<int64_t>();
        const ProcessDescriptor *d = type >= 0 && type <= INT32_MAX ? registry.byBatchType(static_cast<int32_t>(type)) : nullptr;
        if (!d)
            throw py::value_error(QStringLiteral("no process of a list has the type %1; the processes are %2")
                                      .arg(type)
                                      .arg(names.join(QStringLiteral(", ")))
                                      .toStdString());
        return *d;
    }
    if (!py::isinstance<py::str>(process))
        throw py::type_error("a process is given by its name or type number, not a " + typeName(process));
    const QString name = QString::fromStdString(process.cast<std::string>());
    for (const ProcessDescriptor &d : registry.all())
        if (d.batchType >= 0 && (d.listName == name || d.menuText == name || d.editorName == name))
            return d;
    throw py::value_error(QStringLiteral("no process of a list is named \"%1\"; the processes are %2")
                              .arg(name, names.join(QStringLiteral(", ")))
                              .toStdString());
}

// "Horizontal to Vertical Ratio" as a keyword: horizontal_to_vertical_ratio.
QString keyword(const QString &key)
{
    static const QRegularExpression gaps(QStringLiteral("[^a-z0-9]+"));
    QString word = key.toLower().replace(gaps, QStringLiteral("_"));
    while (word.startsWith(QLatin1Char('_')))
        word.remove(0, 1);
    while (word.endsWith(QLatin1Char('_')))
        word.chop(1);
    return word;
}

// The field a parameter name or keyword names; null for none.
const ParameterField *fieldNamed(const ProcessDescriptor &process, const QString &name)
{
    for (const ParameterField &field : process.fields)
        if (field.key == name || keyword(field.key) == name || (field.isMaterial() && field.listKey() == name))
            return &field;
    return nullptr;
}

// A new step of the process with every field at its default, stored as the list editor
// stores it (a mask as an empty bitmap of no columns).
ProcessData defaultStep(const ProcessDescriptor &process)
{
    ProcessData step(process.batchType);
    Core::Processes::ParameterSet defaults;
    for (const ParameterField &field : process.fields) {
        if (field.type == ValueType::Mask) {
            step.setParameter(field.key, QVariant::fromValue(MaskBitmap()), false);
            step.setParameter(field.key + QStringLiteral(" Width"), 0u, true);
            step.setParameter(field.key + QStringLiteral(" Height"), 0u, true);
        } else if (field.type == ValueType::Point) {
            step.setParameter(field.key, QVariant::fromValue(Util::Vector3D(0.0, 0.0, 0.0)), true);
        } else {
            defaults.set(field.key, field.defaultValue);
        }
    }
    Core::BatchRun::writeStepValues(process, defaults, step);
    return step;
}

// Builds a runner for the list's folder in `scene`.
struct RunnerSet
{
    Model::Scene scene;
    std::map<int32_t, int32_t> lastProcessByVolume;
    std::map<int32_t, bool> latticeStale;
    ProcessListRunner runner{scene, lastProcessByVolume, latticeStale};
};

// Reads and checks the values set since the last run or save into the steps, as --set
// would. Raises ValueError with --set's text; the steps are then unchanged.
void applyEdits(ListState &list, const ProcessListRunner &runner)
{
    if (list.edits.empty())
        return;
    Cli::ParameterOverrides overrides;
    for (const Edit &edit : list.edits)
        overrides.add(static_cast<int>(edit.step + 1), edit.name, edit.text);
    Core::BatchRun::ProcessList steps = list.steps;
    QString error;
    if (!overrides.apply(
            steps, [&runner](const ProcessData &step) { return runner.checkStep(step); }, &error))
        throw py::value_error(error.toStdString());
    list.steps = std::move(steps);
    list.edits.clear();
}

ListPtr loadList(const py::object &pathObject)
{
    const QString path = pathText(pathObject);
    auto list = std::make_shared<ListState>();
    QString error;
    if (!QFileInfo(path).isFile())
        raiseOSError(QStringLiteral("cannot read the process list %1: %2")
                         .arg(path, QFileInfo::exists(path) ? QStringLiteral("it is a folder")
                                                            : QStringLiteral("there is no such file")));
    if (!ProcessListFile::load(path, list->steps, nullptr, &error))
        throw py::value_error(QStringLiteral("cannot read the process list %1: %2").arg(path, error).toStdString());
    list->folder = QFileInfo(path).absolutePath();
    return list;
}

void saveList(const ListPtr &list, const py::object &pathObject)
{
    const QString path = pathText(pathObject);
    RunnerSet set;
    set.runner.setListFolder(list->folder);
    applyEdits(*list, set.runner);
    QString error;
    if (!ProcessListFile::save(path, list->steps, &error))
        raiseOSError(QStringLiteral("cannot write the process list %1: %2").arg(path, error));
}

[[noreturn]] void raiseWithVolume(const QString &text, const TotalVolumePtr &volume)
{
    py::object error = py::module_::import("builtins").attr("RuntimeError")(text.toStdString());
    error.attr("volume") = volume ? py::cast(volume) : py::none();
    PyErr_SetObject(PyExc_RuntimeError, error.ptr());
    throw py::error_already_set();
}

py::object runList(const ListPtr &list, const std::optional<TotalVolumePtr> &volume, const py::object &onStep)
{
    if (!onStep.is_none() && !PyCallable_Check(onStep.ptr()))
        throw py::type_error("on_step must be callable as on_step(index, step, volume), not a " + typeName(onStep));
    RunnerSet set;
    ProcessListRunner &runner = set.runner;
    runner.setListFolder(list->folder);
    applyEdits(*list, runner);
    const Core::BatchRun::ProcessList steps = list->steps;

    // A volume given is held for the run (a process on another thread refuses it
    // meanwhile) and its ids checked first; it keeps its own lattice record.
    std::optional<VolumeInUse> held;
    if (volume && *volume) {
        held.emplace(*volume);
        checkMaterialIds(*volume);
        set.latticeStale = held->latticeStale();
        set.scene.add(*volume);
        runner.setVolume(*volume);
    }
    // Save Image steps draw the scene as kelvane-batch does, which needs a GUI application.
    std::unique_ptr<Cli::OffscreenRenderer> renderer;
    QString imageFailure;
    for (const ProcessData &step : steps)
        if (step.getProcessType() == 10 && !renderer) {
            ensureGuiApplication();
            renderer = std::make_unique<Cli::OffscreenRenderer>();
        }
    runner.setImageSaver([&](const QString &fileName) {
        if (fileName.isEmpty())
            return true;
        QString error;
        if (renderer && renderer->save(set.scene, fileName, &error))
            return true;
        imageFailure = QStringLiteral("the image %1 was not written: %2").arg(fileName, error);
        return false;
    });

    std::optional<py::error_already_set> raised;
    runner.setStepObserver([&](const ProcessListRunner::StepReport &report) {
        py::gil_scoped_acquire locked;
        if (raised)
            return;
        try {
            if (!onStep.is_none())
                onStep(report.index, Step{list, static_cast<size_t>(report.index)}, runner.getVolume());
            if (PyErr_CheckSignals() != 0)
                throw py::error_already_set();
        } catch (py::error_already_set &e) {
            raised = std::move(e);
            runner.requestCancel();
        }
    });

    ProcessListRunner::Summary summary;
    {
        py::gil_scoped_release unlocked;
        summary = runner.run(steps);
    }
    if (held)
        held->latticeStale() = set.latticeStale;
    if (raised)
        throw std::move(*raised);
    const TotalVolumePtr result = runner.getVolume();
    const auto at = [&](int index) {
        return QStringLiteral("step %1 (%2)")
            .arg(index + 1)
            .arg(steps.at(static_cast<size_t>(index)).getProcessName());
    };
    switch (summary.outcome) {
    case ProcessListRunner::Outcome::Completed:
    case ProcessListRunner::Outcome::Cancelled:
        break;
    case ProcessListRunner::Outcome::MissingVolume:
        raiseWithVolume(QStringLiteral("%1: %2: %3")
                            .arg(at(summary.stoppedAt), ProcessListRunner::missingVolumeTitle,
                                 ProcessListRunner::missingVolumeText),
                        result);
    case ProcessListRunner::Outcome::StepFailed: {
        QString why = !summary.reason.isEmpty() ? summary.reason : ProcessListRunner::resultMessage(summary.result);
        if (summary.result == ProcessListRunner::OutputFailed && !imageFailure.isEmpty())
            why = imageFailure;
        raiseWithVolume(QStringLiteral("%1 failed: %2").arg(at(summary.stoppedAt), why), result);
    }
    }
    return result ? py::cast(result) : py::none();
}

void appendStep(const ListPtr &list, const py::object &process, const py::kwargs &parameters)
{
    const ProcessDescriptor &described = findProcess(process);
    ProcessData step = defaultStep(described);
    const size_t index = list->steps.size();
    std::vector<Edit> edits;
    for (const auto &entry : parameters) {
        const QString given = QString::fromStdString(py::str(entry.first));
        const ParameterField *field = fieldNamed(described, given);
        const QString name = field ? field->key : given;
        const py::object value = py::reinterpret_borrow<py::object>(entry.second);
        if (field && field->type == ValueType::Mask) {
            // A new step's mask has no size to keep: its bits are taken as they are, with
            // the size of a 2-D array indexed [x, y] like the volume (a str of bits needs
            // its width and height given too); the step checks them together when it runs.
            const QString bits = valueText(step, index, name, value);
            step.setParameter(name, ProcessListFile::valueFromText(QStringLiteral("vector"), bits), false);
            if (py::hasattr(value, "ndim") && value.attr("ndim").cast<int>() == 2) {
                const py::tuple shape = value.attr("shape");
                step.setParameter(name + QStringLiteral(" Width"), shape[0].cast<uint>(), true);
                step.setParameter(name + QStringLiteral(" Height"), shape[1].cast<uint>(), true);
            }
            continue;
        }
        edits.push_back({index, name, valueText(step, index, name, value), value});
    }
    list->steps.push_back(step);
    list->edits.insert(list->edits.end(), edits.begin(), edits.end());
}

const char *listDoc =
    "A process list (.plst) as the batch runner and the list editor use it: its steps in order, each "
    "with its process type and parameters.";

} // namespace

void bindProcessLists(py::module_ &module)
{
    Util::Vector3D::registerMetaType();
    Model::Materials::MaterialFactory::instance();
    Model::Process::ProcessFactory::instance();

    py::class_<Parameters>(module, "StepParameters",
                           "The parameters of one step by their names in the list file, like a dict. A value "
                           "set here is kept as given and read when the list runs or is saved, with the same "
                           "checks and messages as kelvane-batch's --set; a material is also set by the word "
                           "shown beside its id (\"Material\"), by name or id.")
        .def("__getitem__",
             [](const Parameters &p, const std::string &key) -> py::object {
                 const QString name = QString::fromStdString(key);
                 const ListState &list = *p.list;
                 for (auto it = list.edits.rbegin(); it != list.edits.rend(); ++it)
                     if (it->step == p.index && it->name == name)
                         return it->value;
                 const ProcessData &step = list.steps.at(p.index);
                 if (!step.hasParameter(name))
                     throw py::key_error(key);
                 return fromVariant(step.getParameters().value(name));
             },
             "The value set last, or the value the step holds (KeyError when it holds none).")
        .def("__setitem__",
             [](Parameters &p, const std::string &key, const py::object &value) {
                 const QString name = QString::fromStdString(key);
                 const ProcessData &step = p.list->steps.at(p.index);
                 const QString text = valueText(step, p.index, name, value);
                 p.list->edits.push_back({p.index, name, text, value});
             },
             "Sets a value, checked when the list runs or is saved (TypeError at once for a value of "
             "the wrong type).")
        .def("__contains__",
             [](const Parameters &p, const std::string &key) {
                 return p.list->steps.at(p.index).hasParameter(QString::fromStdString(key));
             },
             "Whether the step holds a parameter of the name.")
        .def("__len__", [](const Parameters &p) { return p.list->steps.at(p.index).getParameters().size(); })
        .def("keys",
             [](const Parameters &p) {
                 std::vector<std::string> keys;
                 for (const QString &k : p.list->steps.at(p.index).getParameters().keys())
                     keys.push_back(k.toStdString());
                 return keys;
             },
             "The names of the parameters the step holds, in the order the list file writes them.")
        .def("__iter__",
             [](const py::object &self) { return py::iter(self.attr("keys")()); })
        .def("items",
             [](const py::object &self) {
                 py::list items;
                 for (py::handle key : self.attr("keys")())
                     items.append(py::make_tuple(key, self.attr("__getitem__")(key)));
                 return items;
             },
             "(name, value) pairs of the parameters the step holds.")
        .def("get",
             [](const py::object &self, const py::object &key, const py::object &fallback) {
                 return self.attr("__contains__")(key).cast<bool>() ? self.attr("__getitem__")(key) : fallback;
             },
             py::arg("key"), py::arg("default") = py::none(), "The value of key, or default when the step holds none.")
        .def("__repr__", [](const py::object &self) {
            return "StepParameters(" + std::string(py::repr(py::dict(self.attr("items")()))) + ")";
        });

    py::class_<Step>(module, "ProcessStep", "One step of a ProcessList.")
        .def_property_readonly("type", [](const Step &s) { return s.data().getProcessType(); },
                               "The process type number the list file stores.")
        .def_property_readonly("name", [](const Step &s) { return s.data().getProcessName().toStdString(); },
                               "The process name the batch runner's step lines show (\"CVD\", ...).")
        .def_property_readonly("index", [](const Step &s) { return s.index; }, "The step's place, from 0.")
        .def_property_readonly("parameters", [](const Step &s) { return Parameters{s.list, s.index}; },
                               "The step's parameters (StepParameters): readable and settable by name.")
        .def("__repr__", [](const Step &s) {
            return QStringLiteral("<ProcessStep %1: %2 (type %3)>")
                .arg(s.index + 1)
                .arg(s.data().getProcessName())
                .arg(s.data().getProcessType())
                .toStdString();
        });

    py::class_<ListState, ListPtr>(module, "ProcessList", listDoc)
        .def(py::init([] { return std::make_shared<ListState>(); }),
             "An empty list; append() adds its steps, and files its steps name without a folder are "
             "looked for in the working directory.")
        .def("append", &appendStep, py::arg("process"),
             "append(process, **parameters): adds a step of the process, given by the name lists give "
             "it (\"CVD\", \"Wet Etching\", ...) or its type number, with every parameter at the default "
             "its options dialog offers, and then the parameters given, by their names in the list "
             "(parameters[\"Film Thickness\"]) or as keywords (film_thickness=2); a material by name or "
             "id; a mask (top_mask=...) as a 2-D array of bits indexed [x, y] like the volume. The values "
             "are checked when the list runs or is saved, as values set on a step are. Raises ValueError "
             "for an unknown process and TypeError for a value of the wrong type.")
        .def_static("load", &loadList, py::arg("path"),
                    "Reads a process list (.plst). Its materials are matched with the catalogue (one whose id "
                    "another material holds is added under a new id). Files the steps name without a folder "
                    "(mask layouts) are looked for beside the list. Raises OSError when there is no such file "
                    "and ValueError when it is not a process list.")
        .def_property_readonly(
            "steps",
            [](const ListPtr &list) {
                std::vector<Step> steps;
                for (size_t i = 0; i < list->steps.size(); ++i)
                    steps.push_back({list, i});
                return steps;
            },
            "The steps in order, as a list of ProcessStep.")
        .def("__len__", [](const ListState &list) { return list.steps.size(); }, "The number of steps.")
        .def("__getitem__",
             [](const ListPtr &list, int64_t index) {
                 const auto size = static_cast<int64_t>(list->steps.size());
                 if (index < 0)
                     index += size;
                 if (index < 0 || index >= size)
                     throw py::index_error("the list has " + std::to_string(size) + " steps");
                 return Step{list, static_cast<size_t>(index)};
             },
             "The step at the index (from 0; negative counts from the end).")
        .def("save", &saveList, py::arg("path"),
             "Writes the list (.plst) with the values set on its steps. Raises ValueError, with "
             "kelvane-batch's --set text, when a step does not take a value set, and OSError when the file "
             "cannot be written (an existing file then keeps its contents).")
        .def("run", &runList, py::arg("volume") = py::none(), py::arg("on_step") = py::none(),
             "Runs the steps in order as kelvane-batch does: on volume, or on the volume the list's "
             "Create Substrate step makes. The values set on the steps are checked first, with "
             "kelvane-batch's --set texts (ValueError; nothing runs). on_step(index, step, volume) is "
             "called after every step; an exception it raises stops the run after that step and comes "
             "out of run(). Returns the volume the last step worked on (None for an empty list run on "
             "no volume). A step that fails raises RuntimeError naming the step, with the volume as it "
             "is (the steps before stay applied) in the exception's volume attribute. Save Image steps "
             "write the file relative to the working directory, as kelvane-batch does.");
}

} // namespace KelvanePython
