#include "model3d/modelloader.h"
#include "support/testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

struct LoaderRig
{
    QTemporaryDir dir;
    TModelLoader loader;
    std::vector<TModelReadResult> results;
    std::vector<QThread *> threads;

    LoaderRig()
    {
        QObject::connect(&loader, &TModelLoader::finished, [this](const TModelReadResult &r) {
            results.push_back(r);
            threads.push_back(QThread::currentThread());
        });
    }

    QString file(const QString &name, const QByteArray &bytes)
    {
        WriteAll(dir.filePath(name), bytes);
        return dir.filePath(name);
    }

    void waitForResult()
    {
        QSignalSpy spy(&loader, &TModelLoader::finished);
        if (!spy.wait(60000))
            ADD_FAILURE() << "no result";
    }
};

} // namespace

TEST(ModelLoader, HandsTheModelBackOnTheOwnersThreadOneLoadAtATime)
{
    LoaderRig rig;
    const QString path = rig.file(QStringLiteral("m.raw"), "0 0 0 1 0 0 0 1 0\n1 1 1 2 2 2 3 3 3\n");
    ASSERT_TRUE(rig.loader.start(path, 0));
    // Until the result is handed over, a second load is refused.
    EXPECT_FALSE(rig.loader.start(path, 0));
    EXPECT_TRUE(rig.loader.isRunning());
    rig.waitForResult();
    ASSERT_EQ(rig.results.size(), 1u);
    EXPECT_EQ(rig.threads[0], QCoreApplication::instance()->thread());
    ASSERT_NE(rig.results[0].model, nullptr);
    EXPECT_EQ(rig.results[0].model->triangles.size(), 2u);
    EXPECT_FALSE(rig.loader.isRunning());

    QDir().mkpath(rig.dir.filePath(QStringLiteral("folder.raw")));
    ASSERT_TRUE(rig.loader.start(rig.dir.filePath(QStringLiteral("folder.raw")), 0));
    rig.waitForResult();
    ASSERT_EQ(rig.results.size(), 2u);
    // Not an empty model: the file could not be read, and the message says so.
    EXPECT_EQ(rig.results[1].status, TModelReadResult::Status::Unreadable);
    EXPECT_EQ(rig.results[1].model, nullptr);
    EXPECT_FALSE(rig.results[1].reason.isEmpty());
    EXPECT_EQ(rig.results[1].message(),
              (TModelMessageKey {QStringLiteral("Universal"), QStringLiteral("zbioruNieMoznaOtworzyc")}));
}

TEST(ModelLoader, CancelInTheMiddleOfALargeFileDeliversNothing)
{
    LoaderRig rig;
    rig.loader.start(rig.file(QStringLiteral("small.raw"), "0 0 0 1 0 0 0 1 0\n"), 0);
    rig.waitForResult();
    ASSERT_EQ(rig.results.size(), 1u);
    const ModelHandle held = rig.results[0].model;

    // About 100 MB of triangles; the worker is still reading when it is asked to stop.
    const QByteArray line = "1.25 2.5 3.75 4.125 5.5 6.875 7.25 8.5 9.625\n";
    const QString big = rig.file(QStringLiteral("big.raw"), line.repeated(100'000'000 / line.size()));
    ASSERT_TRUE(rig.loader.start(big, 0));
    QThread::msleep(50);
    rig.loader.cancel();
    EXPECT_FALSE(rig.loader.isRunning());
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, 0);
    EXPECT_EQ(rig.results.size(), 1u);
    EXPECT_EQ(held->triangles.size(), 1u);
    EXPECT_EQ(held->triangles[0].x2, 1);

    // The loader is free for the next file at once.
    ASSERT_TRUE(rig.loader.start(rig.file(QStringLiteral("next.raw"), line), 0));
    rig.waitForResult();
    ASSERT_EQ(rig.results.size(), 2u);
    EXPECT_EQ(rig.results[1].model->triangles[0].z3, 9.625f);
}
