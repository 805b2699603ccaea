// How the main window answers while the batch dialog runs a long list. The window's view is
// asked to repaint every 16 ms, as an animation or a user dragging the view would; the
// benchmark records when the view actually paints and when the progress bar moves, and
// reports the longest time the window went without painting.
//
//   bench_batchdialog [STEPS]      (default 60 steps of the long list; run under Xvfb)

#include "benchcommon.h"
#include "longlist.h"

#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class PaintClock : public QObject
{
public:
    explicit PaintClock(const QElapsedTimer &clock) : clock(clock) {}
    std::vector<qint64> paints;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            paints.push_back(clock.elapsed());
        return false;
    }

private:
    const QElapsedTimer &clock;
};

} // namespace

int main(int argc, char **argv)
{
    BenchCommon::TemporaryHome home;
    QApplication app(argc, argv);
    const int steps = argc > 1 ? std::max(2, std::atoi(argv[1])) : 60;

    Ui::MainWindow window;
    window.resize(1024, 768);
    window.show();
    QTemporaryDir folder;
    const QString listFile = folder.filePath(QStringLiteral("long.plst"));
    const Core::BatchRun::ProcessList list =
        BenchLongList::longList(QStringLiteral(KELVANE_EXAMPLES_DIR "/allsteps.plst"), steps, folder.path());
    if (list.empty() || !Core::BatchRun::ProcessListFile::save(listFile, list))
        return 1;

    Ui::RunProcessesDialog dialog(window.getPresenter().getContext(), window.view(), nullptr, listFile, &window);
    dialog.show();
    QApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    PaintClock painted(clock);
    window.view()->installEventFilter(&painted);
    std::vector<std::pair<qint64, int>> progress;
    QTimer ticker;
    ticker.setInterval(16);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        window.view()->update();
        const int value = dialog.progress()->value();
        if (progress.empty() || progress.back().second != value)
            progress.emplace_back(clock.elapsed(), value);
    });
    ticker.start();

    auto *run = dialog.findChild<QPushButton *>(QStringLiteral("btnRun"));
    run->click();
    const qint64 started = clock.elapsed();
    while (dialog.isRunning() || !run->isEnabled())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const qint64 finished = clock.elapsed();
    // The same repaints for two seconds with nothing running: what drawing the final
    // scene costs by itself.
    const size_t paintsBefore = painted.paints.size();
    while (clock.elapsed() < finished + 2000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ticker.stop();
    std::vector<qint64> idle;
    for (size_t i = paintsBefore + 1; i < painted.paints.size(); ++i)
        idle.push_back(painted.paints[i] - painted.paints[i - 1]);
    std::sort(idle.begin(), idle.end());

    // Gaps between paints during the run, longest first.
    std::vector<qint64> gaps;
    qint64 previous = started;
    for (size_t i = 0; i < paintsBefore; ++i)
        if (const qint64 t = painted.paints[i]; t >= started) {
            gaps.push_back(t - previous);
            previous = t;
        }
    gaps.push_back(finished - previous);
    if (qEnvironmentVariableIsSet("KELVANE_BENCH_VERBOSE")) {
        qint64 last = started;
        for (qint64 t : painted.paints) {
            if (t - last > 200) {
                int value = 0;
                for (const auto &p : progress)
                    if (p.first <= last)
                        value = p.second;
                std::printf("gap %lld ms after %lld ms, %d steps done\n", static_cast<long long>(t - last),
                            static_cast<long long>(last - started), value);
            }
            last = t;
        }
    }
    std::vector<qint64> sorted = gaps;
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&](double q) { return sorted[std::min(sorted.size() - 1, size_t(q * sorted.size()))]; };
    std::printf("%d steps in %.1f s; %s\n", steps, (finished - started) / 1000.0,
                qPrintable(dialog.statusLabel()->text()));
    std::printf("paints during the run: %zu; gap between paints: median %lld ms, 99th percentile %lld ms, "
                "longest %lld ms; gaps over 200 ms: %lld\n",
                gaps.size(), static_cast<long long>(at(0.5)), static_cast<long long>(at(0.99)),
                static_cast<long long>(sorted.back()),
                static_cast<long long>(std::count_if(gaps.begin(), gaps.end(), [](qint64 g) { return g > 200; })));
    if (!idle.empty())
        std::printf("after the run, idle: gap between paints median %lld ms, longest %lld ms\n",
                    static_cast<long long>(idle[idle.size() / 2]), static_cast<long long>(idle.back()));
    std::printf("progress bar: %zu distinct values, last %d of %d\n", progress.size(),
                progress.empty() ? 0 : progress.back().second, steps);
    return 0;
}
