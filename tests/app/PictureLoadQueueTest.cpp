// The load queue: the order in which a load announces and takes pictures prepares each picture
// once, pictures passed over do not hold up the ones after them, and every Take gets its own
// picture.

#include "app/PictureLoadQueue.h"
#include "picture/PictureLoader.h"

#include "TestEnv.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace {

// A decoder for ".orvq" files that counts its calls per file and takes a while, so announced
// pictures are still being prepared when the load asks for them. The file holds the width.
std::mutex countsMutex;
std::map<QString, int> counts;

void CountingDecoder(const QString &fileName, TBitmap32 &bitmap) {
    {
        std::lock_guard lock(countsMutex);
        ++counts[QFileInfo(fileName).fileName()];
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    QFile f(fileName);
    f.open(QIODevice::ReadOnly);
    bitmap.SetSize(f.readAll().toInt(), 10);
    bitmap.Clear(Color32(1, 2, 3));
}

class LoadQueue : public testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "PictureLoadQueueTest";
        static char *argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
        static const bool added = [] {
            DecoderTable::Instance().Add(QStringLiteral("orvq"), QStringLiteral("counting test decoder"), CountingDecoder);
            return true;
        }();
        (void)added;
    }
    void SetUp() override {
        std::lock_guard lock(countsMutex);
        counts.clear();
    }
    QStringList MakeFiles(int n) {
        QStringList files;
        for (int i = 0; i < n; ++i) {
            const QString path = dir.file(QStringLiteral("p%1.orvq").arg(i));
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(QByteArray::number(100 + i));
            files.append(path);
        }
        return files;
    }
    static int Count(const QString &path) {
        std::lock_guard lock(countsMutex);
        const auto it = counts.find(QFileInfo(path).fileName());
        return it == counts.end() ? 0 : it->second;
    }
    orvanta::test::TempDir dir;
    TextureMapSettings settings{false, 256, sfLinear};
};

} // namespace

TEST_F(LoadQueue, AnnouncingTheNextPicturesBeforeTakingTheCurrentOnePreparesEachOnce) {
    const QStringList files = MakeFiles(8);
    PictureLoadQueue queue;
    for (int k = 0; k < files.size(); ++k) {
        // As the loads do it: the pictures after this one first, then this one.
        queue.Prefetch(files.mid(k + 1, queue.MaxThreads()), settings);
        const std::unique_ptr<PreparedPicture> p = queue.Take(files[k], settings);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->Path, files[k]);
        EXPECT_EQ(p->PixelWidth, 100 + k);
        EXPECT_FALSE(p->Failed);
    }
    for (const QString &f : files)
        EXPECT_EQ(Count(f), 1) << qPrintable(f);
}

TEST_F(LoadQueue, APicturePassedOverDoesNotHoldUpTheOnesAfterIt) {
    const QStringList files = MakeFiles(6);
    PictureLoadQueue queue;
    for (int k = 0; k < files.size(); ++k) {
        queue.Prefetch(files.mid(k + 1, queue.MaxThreads()), settings);
        if (k == 1 || k == 2)
            continue; // announced, never taken
        const std::unique_ptr<PreparedPicture> p = queue.Take(files[k], settings);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->Path, files[k]);
    }
    for (int k : {0, 3, 4, 5})
        EXPECT_EQ(Count(files[k]), 1) << k;
}

TEST_F(LoadQueue, OtherSettingsPrepareThePictureAgain) {
    const QStringList files = MakeFiles(2);
    PictureLoadQueue queue;
    queue.Prefetch(files, settings);
    TextureMapSettings other = settings;
    other.mapSize = 512;
    const std::unique_ptr<PreparedPicture> p = queue.Take(files[0], other);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Map.Width(), 512);
    EXPECT_EQ(queue.Take(files[1], settings)->Map.Width(), 256);
    queue.Clear();
}
