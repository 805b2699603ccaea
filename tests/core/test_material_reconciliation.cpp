// Reconciling a document's materials with the catalogue (steps 1 to 6) and the
// four choices of the material conflict dialog, through a fake conflict observer.
#include "cataloguetestsupport.h"

#include "Model/Materials/materialconflict.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Materials/materialreconciler.h"

#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using Model::Materials::Material;
using Model::Materials::MaterialConflict;
using Model::Materials::MaterialConflictChoice;
using Model::Materials::MaterialFactory;
using Model::Materials::MaterialIdMap;
using Model::Materials::MaterialReconciler;
using Outcome = Model::Materials::MaterialReconciler::Outcome;

namespace {

// Stands in for Ui::Observers::MaterialConflictObserver: records what it was shown and
// settles the pending conflict with a fixed answer (or leaves it unsettled: "Cancel").
class FakeConflictObserver : public Util::IObserver
{
public:
    FakeConflictObserver(bool settle, MaterialConflictChoice choice, uint32_t replacement = 0)
        : settle(settle), choice(choice), replacement(replacement)
    {
    }

    void update() override
    {
        ++calls;
        MaterialConflict &conflict = MaterialConflict::pending();
        wasActive = conflict.isActive();
        wasSettled = conflict.isSettled();
        existing = conflict.existing();
        loaded = conflict.loaded();
        if (settle)
            conflict.settle(choice, replacement);
    }

    bool settle;
    MaterialConflictChoice choice;
    uint32_t replacement;
    int calls = 0;
    bool wasActive = false;
    bool wasSettled = true;
    Material existing;
    Material loaded;
};

class Reconciliation : public CatalogueTest::CatalogueFixture
{
protected:
    // Parses a document fragment and reconciles its first "Material" element.
    Outcome reconcileXml(const QString &element, const Util::ObserverPtr &observer = nullptr)
    {
        const QString document = QStringLiteral("<Document><Materials>") + element +
                                 QStringLiteral("</Materials></Document>");
        QXmlStreamReader reader(document);
        while (!reader.atEnd()) {
            reader.readNext();
            if (reader.isStartElement() && reader.name() == QLatin1String("Material"))
                break;
        }
        EXPECT_TRUE(reader.isStartElement());
        const MaterialReconciler reconciler(
            observer, [this](const std::string &message) { console.push_back(message); });
        const Outcome outcome = reconciler.reconcile(reader, idMap);
        // The reader stays on the element.
        EXPECT_TRUE(reader.isStartElement());
        EXPECT_EQ(reader.name(), QLatin1String("Material"));
        return outcome;
    }

    // A document material with id 1 whose name is not "Si": a conflict.
    static QString conflicting()
    {
        return QStringLiteral("<Material version=\"1\" name=\"Silicon carbide\" material-id=\"1\" "
                              "density=\"3210\" poisson-ratio=\"0.14\" young-modulus=\"4.5e+11\" "
                              "color=\"#FF202020\"/>");
    }

    static std::shared_ptr<FakeConflictObserver> observer(bool settle,
                                                          MaterialConflictChoice choice,
                                                          uint32_t replacement = 0)
    {
        return std::make_shared<FakeConflictObserver>(settle, choice, replacement);
    }

    void expectObserverSawTheConflict(const FakeConflictObserver &o) const
    {
        EXPECT_EQ(o.calls, 1);
        EXPECT_TRUE(o.wasActive);
        EXPECT_FALSE(o.wasSettled);
        EXPECT_EQ(o.existing.id, 1u);
        EXPECT_EQ(o.existing.name, QStringLiteral("Si"));
        EXPECT_EQ(o.existing.density, 2329.0f);
        EXPECT_EQ(o.loaded.id, 1u);
        EXPECT_EQ(o.loaded.name, QStringLiteral("Silicon carbide"));
        EXPECT_EQ(o.loaded.density, 3210.0f);
        // The pending state is cleared once the choice has been applied.
        EXPECT_FALSE(MaterialConflict::pending().isActive());
        EXPECT_FALSE(MaterialConflict::pending().isSettled());
    }

    // The conflicting material was added under a fresh id and id 1 maps to it.
    void expectAddedUnderFreshId()
    {
        auto f = MaterialFactory::instance();
        ASSERT_EQ(idMap.size(), 1u);
        const uint32_t fresh = idMap.at(1);
        EXPECT_GE(fresh, 2000u);
        EXPECT_LE(fresh, 32766u);
        const Material added = f->getMaterial(fresh);
        EXPECT_EQ(added.name, QStringLiteral("Silicon carbide"));
        EXPECT_EQ(added.density, 3210.0f);
        EXPECT_EQ(added.youngModulus, 4.5e11f);
        EXPECT_EQ(f->getMaterial(1).name, QStringLiteral("Si"));
        EXPECT_EQ(f->getMaterials().size(), 16u);
    }

    MaterialIdMap idMap;
    std::vector<std::string> console;
};

} // namespace

TEST_F(Reconciliation, InvalidMaterialWarnsOnTheConsoleAndMapsNothing)
{
    EXPECT_EQ(reconcileXml(QStringLiteral("<Material name=\"No id\"/>")), Outcome::Invalid);
    EXPECT_EQ(reconcileXml(QStringLiteral("<Material name=\"\" material-id=\"40\"/>")),
              Outcome::Invalid);
    EXPECT_EQ(reconcileXml(QStringLiteral("<Material name=\"Zero\" material-id=\"0\"/>")),
              Outcome::Invalid);
    ASSERT_EQ(console.size(), 3u);
    EXPECT_EQ(console[0], "WARNING: There was an error loading a material. This may alter the "
                          "loaded cell volume.");
    EXPECT_TRUE(idMap.empty());
    EXPECT_EQ(MaterialFactory::instance()->getMaterials().size(), 15u);
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(40).id, 0u);

    // An empty console function is allowed.
    const MaterialReconciler quiet(nullptr, nullptr);
    Material invalid;
    invalid.name.clear();
    EXPECT_EQ(quiet.reconcile(invalid, idMap), Outcome::Invalid);
}

TEST_F(Reconciliation, Step3UnknownIdAndNameIsAddedUnchanged)
{
    EXPECT_EQ(reconcileXml(QStringLiteral(
                  "<Material version=\"1\" name=\"Gold foil\" material-id=\"40\" density=\"19000\" "
                  "poisson-ratio=\"0.4\" young-modulus=\"7.9e+10\" color=\"#FFFFD700\"/>")),
              Outcome::Added);
    ASSERT_EQ(idMap.size(), 1u);
    EXPECT_EQ(idMap.at(40), 40u);
    const Material added = MaterialFactory::instance()->getMaterial(40);
    EXPECT_EQ(added.name, QStringLiteral("Gold foil"));
    EXPECT_EQ(added.density, 19000.0f);
    EXPECT_EQ(MaterialFactory::colorToString(added.color), QStringLiteral("#FFFFD700"));
    EXPECT_TRUE(console.empty());
    // Added in memory only: nothing was saved.
    EXPECT_FALSE(QFile::exists(MaterialFactory::filePath()));
}

TEST_F(Reconciliation, Step4SameIdAndNameMapsToItselfAndChangesNothing)
{
    auto o = observer(true, MaterialConflictChoice::ReplaceExistingByLoaded);
    EXPECT_EQ(reconcileXml(QStringLiteral("<Material name=\"Si\" material-id=\"1\" density=\"5\"/>"),
                           o),
              Outcome::Identical);
    EXPECT_EQ(o->calls, 0);
    EXPECT_EQ(idMap.at(1), 1u);
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(1).density, 2329.0f);
    EXPECT_EQ(MaterialFactory::instance()->getMaterials().size(), 15u);
}

TEST_F(Reconciliation, Step5ReplaceLoadedByExisting)
{
    auto o = observer(true, MaterialConflictChoice::ReplaceLoadedByExisting);
    EXPECT_EQ(reconcileXml(conflicting(), o), Outcome::LoadedByExisting);
    expectObserverSawTheConflict(*o);
    EXPECT_EQ(idMap.at(1), 1u);
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(1).name, QStringLiteral("Si"));
    EXPECT_EQ(MaterialFactory::instance()->getMaterials().size(), 15u);
}

TEST_F(Reconciliation, Step5ReplaceExistingByLoaded)
{
    auto o = observer(true, MaterialConflictChoice::ReplaceExistingByLoaded);
    EXPECT_EQ(reconcileXml(conflicting(), o), Outcome::ExistingByLoaded);
    expectObserverSawTheConflict(*o);
    EXPECT_EQ(idMap.at(1), 1u);
    const Material replaced = MaterialFactory::instance()->getMaterial(1);
    EXPECT_EQ(replaced.name, QStringLiteral("Silicon carbide"));
    EXPECT_EQ(replaced.density, 3210.0f);
    EXPECT_EQ(MaterialFactory::instance()->getMaterials().size(), 15u);
    EXPECT_EQ(MaterialFactory::instance()->getMaterialByName(QStringLiteral("Si")).id, 0u);
}

TEST_F(Reconciliation, Step5ReplaceLoadedByAnotherExistingMaterial)
{
    auto o = observer(true, MaterialConflictChoice::ReplaceLoadedByOther, 16);
    EXPECT_EQ(reconcileXml(conflicting(), o), Outcome::LoadedByOther);
    expectObserverSawTheConflict(*o);
    EXPECT_EQ(idMap.at(1), 16u);
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(1).name, QStringLiteral("Si"));
    EXPECT_EQ(MaterialFactory::instance()->getMaterials().size(), 15u);
    EXPECT_EQ(MaterialReconciler::translate(idMap, 1), 16u);
    EXPECT_EQ(MaterialReconciler::translate(idMap, 7), 7u); // unmapped ids stay
}

TEST_F(Reconciliation, Step5ReplacementOutsideTheCatalogueCountsAsUnsettled)
{
    auto o = observer(true, MaterialConflictChoice::ReplaceLoadedByOther, 2);
    EXPECT_EQ(reconcileXml(conflicting(), o), Outcome::UnsettledAddedAsNew);
    expectObserverSawTheConflict(*o);
    expectAddedUnderFreshId();
}

TEST_F(Reconciliation, Step5AddLoadedAsNewMaterial)
{
    auto o = observer(true, MaterialConflictChoice::AddLoadedAsNew);
    EXPECT_EQ(reconcileXml(conflicting(), o), Outcome::AddedAsNew);
    expectObserverSawTheConflict(*o);
    expectAddedUnderFreshId();
}

TEST_F(Reconciliation, Step5CancelledDialogAddsUnderAFreshId)
{
    auto o = observer(false, MaterialConflictChoice::ReplaceExistingByLoaded);
    EXPECT_EQ(reconcileXml(conflicting(), o), Outcome::UnsettledAddedAsNew);
    expectObserverSawTheConflict(*o);
    expectAddedUnderFreshId();
}

TEST_F(Reconciliation, Step5WithoutObserverAddsUnderAFreshId)
{
    EXPECT_EQ(reconcileXml(conflicting(), nullptr), Outcome::UnsettledAddedAsNew);
    expectAddedUnderFreshId();
    EXPECT_FALSE(MaterialConflict::pending().isActive());
}

TEST_F(Reconciliation, Step6FoundByNameOnlyMapsToTheCatalogueId)
{
    auto o = observer(true, MaterialConflictChoice::AddLoadedAsNew);
    EXPECT_EQ(reconcileXml(QStringLiteral("<Material name=\"Poly-Si\" material-id=\"77\"/>"), o),
              Outcome::MatchedByName);
    EXPECT_EQ(o->calls, 0);
    EXPECT_EQ(idMap.at(77), 16u);
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(77).id, 0u);
    EXPECT_EQ(MaterialFactory::instance()->getMaterials().size(), 15u);
}

TEST_F(Reconciliation, AWholeDocumentOfMaterials)
{
    // The document reader's loop: one reconcile call per "Material" element.
    const QString document = QStringLiteral(
        "<Document><Materials>"
        "<Material name=\"Si\" material-id=\"1\"/>"
        "<Material name=\"Resist\" material-id=\"3\"/>"
        "<Material name=\"PDMS\" material-id=\"90\"/>"
        "<Material name=\"New one\" material-id=\"91\"/>"
        "<Material material-id=\"92\"/>"
        "</Materials></Document>");
    auto o = observer(true, MaterialConflictChoice::ReplaceLoadedByOther, 11);
    const MaterialReconciler reconciler(
        o, [this](const std::string &message) { console.push_back(message); });
    QXmlStreamReader reader(document);
    std::vector<Outcome> outcomes;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("Material"))
            outcomes.push_back(reconciler.reconcile(reader, idMap));
    }
    EXPECT_FALSE(reader.hasError());
    EXPECT_EQ(outcomes, (std::vector<Outcome>{Outcome::Identical, Outcome::LoadedByOther,
                                              Outcome::MatchedByName, Outcome::Added,
                                              Outcome::Invalid}));
    EXPECT_EQ(idMap, (MaterialIdMap{{1, 1}, {3, 11}, {90, 13}, {91, 91}}));
    EXPECT_EQ(o->calls, 1);
    EXPECT_EQ(console.size(), 1u);
}

TEST(MaterialConflictState, BeginSettleClear)
{
    MaterialConflict &c = MaterialConflict::pending();
    EXPECT_EQ(&c, &MaterialConflict::pending());
    Material a, b;
    a.id = 1;
    a.name = QStringLiteral("A");
    b.id = 1;
    b.name = QStringLiteral("B");
    c.begin(a, b);
    EXPECT_TRUE(c.isActive());
    EXPECT_FALSE(c.isSettled());
    EXPECT_EQ(c.existing().name, QStringLiteral("A"));
    EXPECT_EQ(c.loaded().name, QStringLiteral("B"));
    c.settle(MaterialConflictChoice::ReplaceLoadedByOther, 9);
    EXPECT_TRUE(c.isSettled());
    EXPECT_EQ(c.choice(), MaterialConflictChoice::ReplaceLoadedByOther);
    EXPECT_EQ(c.replacementId(), 9u);
    c.begin(b, a); // a new conflict starts unsettled
    EXPECT_FALSE(c.isSettled());
    EXPECT_EQ(c.replacementId(), 0u);
    c.clear();
    EXPECT_FALSE(c.isActive());
    EXPECT_EQ(c.loaded().name, QStringLiteral("Empty"));
    // The dialog's row order.
    EXPECT_EQ(static_cast<int>(MaterialConflictChoice::ReplaceLoadedByExisting), 0);
    EXPECT_EQ(static_cast<int>(MaterialConflictChoice::ReplaceExistingByLoaded), 1);
    EXPECT_EQ(static_cast<int>(MaterialConflictChoice::ReplaceLoadedByOther), 2);
    EXPECT_EQ(static_cast<int>(MaterialConflictChoice::AddLoadedAsNew), 3);
}
