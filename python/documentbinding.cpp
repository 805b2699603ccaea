#include "bindings.h"
#include "pathtext.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialreconciler.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentfile.h"
#include "Model/scene.h"

#include <pybind11/stl.h>

#include <string>
#include <vector>

namespace py = pybind11;

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Model::Persistence::DocumentFile;

namespace KelvanePython {

namespace {

std::vector<TotalVolumePtr> loadDocument(const py::object &pathObject)
{
    const QString path = pathText(pathObject);
    Model::Scene scene;
    DocumentFile::Result result;
    std::vector<std::string> notes;
    {
        py::gil_scoped_release unlocked;
        // Materials that clash with the catalogue are added under new ids (there is no one
        // to ask); what was done is told as a warning.
        const Model::Materials::MaterialReconciler materials(
            nullptr, [&notes](const std::string &message) { notes.push_back(message); });
        const Model::Persistence::ArchiverRegistry archivers;
        result = DocumentFile::open(path, scene, archivers, materials);
    }
    for (const std::string &note : notes)
        if (PyErr_WarnEx(PyExc_UserWarning, note.c_str(), 1) < 0)
            throw py::error_already_set();
    if (!result.ok()) {
        const QString text =
            QStringLiteral("cannot read the document %1: %2").arg(path, DocumentFile::readErrorText(result));
        if (result.status == DocumentFile::Status::CannotOpen)
            raiseOSError(text);
        throw py::value_error(text.toStdString());
    }
    std::vector<TotalVolumePtr> volumes;
    for (const Model::ObjectPtr &object : scene.objects())
        if (auto volume = std::dynamic_pointer_cast<TotalVolume>(object))
            volumes.push_back(volume);
    return volumes;
}

void saveDocument(const py::object &pathObject, const py::object &volumes)
{
    const QString path = pathText(pathObject);
    std::vector<TotalVolumePtr> list;
    if (py::isinstance<TotalVolume>(volumes)) {
        list.push_back(volumes.cast<TotalVolumePtr>());
    } else if (py::isinstance<py::iterable>(volumes) && !py::isinstance<py::str>(volumes)) {
        for (const py::handle item : volumes) {
            if (!py::isinstance<TotalVolume>(item))
                throw py::type_error("save() takes a Volume or a list of Volume, and the list holds a " +
                                     std::string(py::str(item.get_type().attr("__name__"))));
            list.push_back(item.cast<TotalVolumePtr>());
        }
    } else {
        throw py::type_error("save() takes a Volume or a list of Volume, not " +
                             std::string(py::str(volumes.get_type().attr("__name__"))));
    }
    Model::Scene scene;
    for (const TotalVolumePtr &volume : list)
        scene.add(volume);
    DocumentFile::Result saved;
    {
        py::gil_scoped_release unlocked;
        const Model::Persistence::ArchiverRegistry archivers;
        saved = DocumentFile::save(scene, path, archivers);
    }
    if (!saved.ok())
        raiseOSError(QStringLiteral("cannot write the document %1: %2").arg(path, saved.detail));
}

} // namespace

void bindDocuments(py::module_ &module)
{
    module.def("load", &loadDocument, py::arg("path"),
               "Reads a Kelvane document (.mem) and returns its cell volumes as a list of Volume, in the "
               "order the document holds them. Materials the catalogue does not know are added to it (a "
               "material whose id another material holds gets a new id, with a warning). Raises OSError "
               "when the file cannot be opened and ValueError when it is not a document or is malformed; "
               "the file is never changed.");
    module.def("save", &saveDocument, py::arg("path"), py::arg("volumes"),
               "Writes a Volume, or a list of Volume, as a Kelvane document (.mem) with the material "
               "catalogue. The file is replaced only once the whole new document is written: on "
               "failure (OSError) an existing file keeps its contents.");
}

} // namespace KelvanePython
