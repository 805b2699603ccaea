// The pictures of kelvane-batch, from a list's own Save Image steps and from --image, are
// framed as the window's Fit View frames the scene: what the volumes show, centred.
#include "batchtestsupport.h"
#include "drawnextent.h"

#include <QImage>
#include <QRect>
#include <algorithm>
#include <cmath>

namespace {

void expectFramed(const QImage &image, const std::string &what)
{
    ASSERT_FALSE(image.isNull()) << what;
    const QRect drawn = drawnExtent(image);
    ASSERT_FALSE(drawn.isNull()) << what;
    const double w = image.width(), h = image.height();
    EXPECT_LE(std::abs(QRectF(drawn).center().x() - w / 2), 0.05 * w) << what;
    EXPECT_LE(std::abs(QRectF(drawn).center().y() - h / 2), 0.05 * h) << what;
    EXPECT_GE(std::max(drawn.width() / w, drawn.height() / h), 0.4)
        << what << ": drawn " << drawn.width() << " x " << drawn.height() << " of " << w << " x " << h;
    EXPECT_TRUE(drawn.left() > 0 && drawn.top() > 0 && drawn.right() < w - 1 && drawn.bottom() < h - 1) << what;
}

} // namespace

// Both lists build a 60 x 60 block in a corner of a 100 x 100 x 60 volume and end with a
// Save Image step: its picture and --image show the same final state the same way.
TEST(BatchFraming, SaveImageStepsAndImageFrameTheBlock)
{
    for (const char *name : {"films", "lithography"}) {
        const QString step = BatchTest::workFile(QString::fromLatin1(name) + ".png");
        const QString final = BatchTest::workFile(QString::fromLatin1(name) + "-final.png");
        QFile::remove(step);
        const BatchTest::Run run =
            BatchTest::run({BatchTest::example((std::string(name) + ".plst").c_str()), "--image", final});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        const QImage fromStep(step), fromOption(final);
        expectFramed(fromStep, std::string(name) + "'s Save Image step");
        expectFramed(fromOption, std::string(name) + " --image");
        EXPECT_TRUE(fromStep == fromOption) << name;
    }
}
