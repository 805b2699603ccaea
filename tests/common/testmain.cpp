// Entry point of the test programs: every run gets a fresh temporary home folder and
// working directory, so the user's catalogue files and folders are never touched.
#include "testenv.h"

#include <QDir>
#include <QThread>
#include <QThreadPool>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#ifdef KELVANE_GUI_TESTS
#include <QApplication>
#include <QTimer>
using TestApplication = QApplication;

namespace {
// Dialog hooks of a test that are still waiting when it ends would act on the dialogs of
// the tests after it; they end with their test.
class DropPendingDialogHooks : public ::testing::EmptyTestEventListener
{
    void OnTestEnd(const ::testing::TestInfo &) override
    {
        for (QTimer *hook : qApp->findChildren<QTimer *>(QStringLiteral("kelvane-test-dialog-hook"),
                                                         Qt::FindDirectChildrenOnly))
            delete hook;
    }
};
} // namespace
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

namespace {
QTemporaryDir *homeFolder = nullptr;
QTemporaryDir *workFolder = nullptr;
} // namespace

#if defined(__SANITIZE_ADDRESS__)
namespace {
int threadCount()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// Threads that are still ending (library teardown) are what the leak checker's
// stop-the-world pass has tripped over: wait until their number has been steady for a
// moment, at most two seconds.
void waitForThreadsToSettle()
{
    int last = threadCount();
    for (int steady = 0, waited = 0; steady < 5 && waited < 100; ++waited) {
        QThread::msleep(20);
        const int now = threadCount();
        steady = now == last ? steady + 1 : 0;
        last = now;
    }
}
} // namespace
#endif

QString TestEnv::homeDir() { return homeFolder->path(); }
QString TestEnv::workDir() { return workFolder->path(); }

int main(int argc, char **argv)
{
    QTemporaryDir home(QDir::tempPath() + "/kelvane-home-XXXXXX");
    QTemporaryDir work(QDir::tempPath() + "/kelvane-work-XXXXXX");
    if (!home.isValid() || !work.isValid())
        return 3;
    homeFolder = &home;
    workFolder = &work;
    qputenv("HOME", home.path().toLocal8Bit());
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work.path());

    // Mesa's software rasteriser keeps worker threads alive until the process exits, and
    // the leak checker's stop-the-world pass at exit has crashed now and then while they
    // were there. Rendering on the drawing thread leaves no such threads behind; the
    // images are the same. Child processes (the batch program) inherit the setting.
    if (qEnvironmentVariableIsEmpty("LP_NUM_THREADS"))
        qputenv("LP_NUM_THREADS", "0");

    // Listing the tests needs no display; a build machine may have none.
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--gtest_list_tests") == 0 && qEnvironmentVariableIsEmpty("DISPLAY")
            && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int rc = 0;
    {
        TestApplication app(argc, argv);
        ::testing::InitGoogleMock(&argc, argv);
#ifdef KELVANE_GUI_TESTS
        ::testing::UnitTest::GetInstance()->listeners().Append(new DropPendingDialogHooks);
#endif
        rc = RUN_ALL_TESTS();
        // The pool's idle workers end here rather than during the leak check.
        QThreadPool::globalInstance()->waitForDone();
    }
#if defined(__SANITIZE_ADDRESS__)
    // Look for leaks here, while every remaining thread sits idle, rather than at exit,
    // where static destructors and library teardown stop threads while the checker
    // suspends them. A leak still fails the program; the exit pass is then skipped.
    waitForThreadsToSettle();
    __lsan_do_leak_check();
#endif
    QDir::setCurrent(previous);
    return rc;
}
