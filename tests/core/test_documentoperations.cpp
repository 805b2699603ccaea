// "Save document", "Save Document As" and "Open document" driven through the context,
// with an observer that answers the path questions the way a user would.
#include "cataloguetestsupport.h"
#include "documenttestsupport.h"

#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/Operations/Document/savedocumentasoperation.h"
#include "Core/Operations/Document/savedocumentoperation.h"
#include "Core/Operations/operationcontext.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Core::Operations;
using namespace DocumentTest;

namespace {

// Answers "choose a path" with the next prepared answer and records the reports.
class ScriptedObserver : public Util::IObserver
{
public:
    explicit ScriptedObserver(OperationContext &context) : context(context) {}

    void update() override
    {
        const OperationPtr current = context.getCurrentOperation();
        if (auto save = std::dynamic_pointer_cast<SaveDocumentOperation>(current)) {
            if (save->getRequest() == SaveDocumentOperation::Request::ChoosePath) {
                ++pathQuestions;
                save->setPath(nextAnswer());
            } else if (save->getRequest() == SaveDocumentOperation::Request::ReportResult) {
                reports.push_back(save->getResult().ok());
                reportedPaths.push_back(save->getPath());
            }
        } else if (auto open = std::dynamic_pointer_cast<OpenDocumentOperation>(current)) {
            if (open->getRequest() == OpenDocumentOperation::Request::ChooseFile) {
                ++pathQuestions;
                startLocations.push_back(OpenDocumentOperation::startLocation());
                open->setPath(nextAnswer());
            } else if (open->getRequest() == OpenDocumentOperation::Request::OpenDocument) {
                reportedPaths.push_back(open->getPath());
            }
        }
    }

    QString nextAnswer()
    {
        if (answers.empty())
            return QString();
        const QString a = answers.front();
        answers.erase(answers.begin());
        return a;
    }

    OperationContext &context;
    std::vector<QString> answers;
    int pathQuestions = 0;
    std::vector<bool> reports;
    std::vector<QString> reportedPaths;
    std::vector<QString> startLocations;
};

class DocumentFactory : public IOperationFactory
{
public:
    DocumentFactory(OperationContext &context, std::shared_ptr<ScriptedObserver> observer)
        : context(context), observer(std::move(observer))
    {
    }
    OperationPtr create(int32_t typeId) override
    {
        OperationPtr op;
        if (typeId == 9)
            op = std::make_shared<SaveDocumentOperation>(context);
        else if (typeId == 10)
            op = std::make_shared<SaveDocumentAsOperation>(context);
        else if (typeId == 11)
            op = std::make_shared<OpenDocumentOperation>(context);
        if (op)
            op->setOptionsObserver(observer);
        return op;
    }
    OperationContext &context;
    std::shared_ptr<ScriptedObserver> observer;
};

class DocumentOperations : public CatalogueTest::CatalogueFixture
{
protected:
    void SetUp() override
    {
        CatalogueTest::CatalogueFixture::SetUp();
        observer = std::make_shared<ScriptedObserver>(context);
        context.setFactory(std::make_shared<DocumentFactory>(context, observer));
    }
    QString path(const QString &name) const { return folder.path() + QLatin1Char('/') + name; }

    QTemporaryDir folder;
    OperationContext context;
    std::shared_ptr<ScriptedObserver> observer;
};

} // namespace

TEST_F(DocumentOperations, SaveAsksForAPathOnlyTheFirstTime)
{
    auto volume = makeVolume(1, 1, 2, {1, 0});
    context.scene.add(volume);
    const QString file = path(QStringLiteral("first.mem"));
    observer->answers = {file};

    context.activate(9);
    EXPECT_EQ(observer->pathQuestions, 1);
    EXPECT_EQ(context.scene.name(), file);
    EXPECT_EQ(observer->reports, std::vector<bool>{true});
    EXPECT_FALSE(context.getCurrentOperation());
    EXPECT_TRUE(bytesOf(file).contains("<State>1 0 </State>"));

    // The second save goes to the same file without a question, and is not undoable.
    {
        const Model::Automaton::VoxelLock lock(*volume);
        Model::Automaton::Voxel *cells = lock.voxels();
        cells[1].setMaterialId(5);
    }
    context.activate(9);
    EXPECT_EQ(observer->pathQuestions, 1);
    EXPECT_EQ(observer->reportedPaths, (std::vector<QString>{file, file}));
    EXPECT_TRUE(bytesOf(file).contains("<State>1 5 </State>"));
    EXPECT_TRUE(context.history.undoName().empty());
}

TEST_F(DocumentOperations, SaveWithoutAnAnswerOrWithAFailureChangesNothing)
{
    context.scene.add(makeVolume(1, 1, 1, {1}));
    observer->answers = {QString()}; // the user cancels the dialog
    context.activate(9);
    EXPECT_EQ(observer->pathQuestions, 1);
    EXPECT_TRUE(observer->reports.empty());
    EXPECT_TRUE(context.scene.name().isEmpty());
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());

    // A path that cannot be written: the observer hears of the failure, the name stays.
    observer->answers = {path(QStringLiteral("missing/folder/doc.mem"))};
    context.activate(9);
    EXPECT_EQ(observer->reports, std::vector<bool>{false});
    EXPECT_TRUE(context.scene.name().isEmpty());
    EXPECT_FALSE(context.getCurrentOperation());
}

TEST_F(DocumentOperations, SaveAsAlwaysAsks)
{
    context.scene.add(makeVolume(1, 1, 1, {3}));
    const QString a = path(QStringLiteral("a.mem"));
    const QString b = path(QStringLiteral("b.mem"));
    observer->answers = {a, b, QString()};
    context.activate(10);
    context.activate(10);
    EXPECT_EQ(observer->pathQuestions, 2);
    EXPECT_EQ(context.scene.name(), b);
    EXPECT_TRUE(QFile::exists(a));
    EXPECT_TRUE(QFile::exists(b));

    // Cancelled: nothing saved, the name is kept.
    context.activate(10);
    EXPECT_EQ(observer->pathQuestions, 3);
    EXPECT_EQ(observer->reports.size(), 2u);
    EXPECT_EQ(context.scene.name(), b);
    EXPECT_FALSE(context.getCurrentOperation());
}

TEST_F(DocumentOperations, OpenHandsTheChosenFileOnAndRemembersIt)
{
    const QString file = path(QStringLiteral("doc.mem"));
    putBytes(file, "<Document><Header version=\"1\"/></Document>");
    const QString before = OpenDocumentOperation::startLocation();

    // Cancelled: nothing opened, the start location is kept.
    observer->answers = {QString()};
    context.activate(11);
    EXPECT_TRUE(observer->reportedPaths.empty());
    EXPECT_EQ(OpenDocumentOperation::startLocation(), before);
    EXPECT_FALSE(context.getCurrentOperation());

    observer->answers = {file};
    context.activate(11);
    EXPECT_EQ(observer->reportedPaths, std::vector<QString>{file});
    EXPECT_EQ(OpenDocumentOperation::startLocation(), file);
    EXPECT_FALSE(context.getCurrentOperation());
    // The asking window's scene is not touched.
    EXPECT_TRUE(context.scene.name().isEmpty());

    observer->answers = {QString()};
    context.activate(11);
    EXPECT_EQ(observer->startLocations.back(), file);
}
