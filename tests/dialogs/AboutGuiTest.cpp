#include "dialogs/fmAbout.h"
#include "dialogs/fmCreditsTo.h"

#include "dialogs/AboutParts.h"
#include "dialogs/MsgTypes.h"
#include "util/MemoryStatus.h"
#include "util/ShellOps.h"

#include "DialogTestSupport.h"
#include "TestEnv.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

using orvanta::test::SendKey;
using orvanta::test::WhenModal;

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override { SetShellOpenHandler([this](const QString &t) { opened << t; }); }
    void TearDown() override { SetShellOpenHandler({}); }
    QStringList opened;
};

TEST_F(AboutTest, ShowsVersionFoldersAndMemory) {
    TfrmAbout d("/opt/orvanta/", "/home/u/.local/share/Tamsorel/Orvanta/");
    EXPECT_EQ(d.windowTitle(), "Orvanta");
    EXPECT_EQ(d.size(), QSize(500, 394));
    EXPECT_EQ(TfrmAbout::GetAppVersion(), QString("%1.%2.%3.%4")
                                              .arg(ORVANTA_VERSION_MAJOR)
                                              .arg(ORVANTA_VERSION_MINOR)
                                              .arg(ORVANTA_VERSION_PATCH)
                                              .arg(ORVANTA_VERSION_TWEAK));
    EXPECT_EQ(d.lblTitle()->text(), "Orvanta");
    EXPECT_EQ(d.lblTitle()->pos(), QPoint(57, 47));
    const QStringList lines = d.lblVersion()->text().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(TfrmAbout::GetAppVersion()));
    EXPECT_TRUE(lines[0].endsWith(" for Linux)"));
    EXPECT_EQ(d.edtAppFolder()->text(), "/opt/orvanta/");
    EXPECT_EQ(d.edtAppDataFolder()->text(), "/home/u/.local/share/Tamsorel/Orvanta/");
    EXPECT_TRUE(d.edtAppFolder()->isReadOnly());
    EXPECT_FALSE(d.edtAppFolder()->hasFrame());
    // Total memory in kilobytes with thousands separators, and the load in percent.
    const MemoryStatus s = ReadMemoryStatus();
    ASSERT_TRUE(s.valid);
    QString digits = d.lblMemory()->text();
    EXPECT_TRUE(digits.endsWith(" KB"));
    digits.chop(3);
    EXPECT_TRUE(QRegularExpression("^\\d{1,3}(,\\d{3})*$").match(digits).hasMatch()) << digits.toStdString();
    EXPECT_EQ(digits.remove(',').toLongLong(), s.totalKb);
    EXPECT_TRUE(QRegularExpression("^\\d{1,3} %$").match(d.lblResources()->text()).hasMatch());
}

TEST_F(AboutTest, BandsAndSquarePattern) {
    TfrmAbout d("/a/", "/b/");
    d.show();
    const QImage img = d.grab().toImage();
    ASSERT_EQ(img.size(), QSize(500, 394));
    EXPECT_EQ(QColor(img.pixel(2, 12)), QColor(191, 10, 48));    // top band
    EXPECT_EQ(QColor(img.pixel(2, 390)), QColor(191, 10, 48));   // bottom band
    // n = (500 - 36) div 36 = 12 columns; the rightmost is white, each to the left two steps darker.
    const int n = 12;
    for (int i : {0, 1, 5}) {
        const int grey = 255 - 2 * (n - 1 - i);
        const QColor c(img.pixel(36 * i + 4 + 4, 36 * 5 + 37 + 4));
        EXPECT_EQ(c, QColor(grey, grey, grey)) << i;
    }
    EXPECT_EQ(QColor(img.pixel(36 * 11 + 8, 37 + 4)), QColor(255, 255, 255));
    // Between the squares: the white ground.
    EXPECT_EQ(QColor(img.pixel(36 * 0 + 4 + 20, 36 * 5 + 37 + 4)), QColor(255, 255, 255));
}

TEST_F(AboutTest, LinksOpenTheirPagesAndMail) {
    TfrmAbout d("/a/", "/b/");
    d.show();
    for (const char *name : {"lblHomePage", "lblSupportMail", "lblNewsletter"}) {
        auto *link = d.findChild<LinkLabel *>(name);
        ASSERT_NE(link, nullptr) << name;
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(link->font().underline());
        QTest::mouseClick(link, Qt::LeftButton);
    }
    EXPECT_EQ(opened, QStringList({"https://www.tamsorel.com/orvanta.php", "mailto:support@tamsorel.com?subject=&Body=",
                                   "https://www.tamsorel.com/product-newsletter-register.php"}));
    EXPECT_TRUE(d.isVisible());  // the box stays open
}

TEST_F(AboutTest, ClosesAsCancelOnCloseEscapeAndEnter) {
    auto onField = [](int key, bool release) {
        return [key, release](QWidget *w) {
            auto *field = w->findChild<QLineEdit *>("edtAppFolder");
            field->setFocus();
            QApplication::processEvents();
            SendKey(field, key, true, release);
        };
    };
    struct Way { const char *name; std::function<void(QWidget *)> act; bool aboutOnly; };
    const Way ways[] = {
        {"Close", [](QWidget *w) { QTest::mouseClick(w->findChild<QPushButton *>("btnClose"), Qt::LeftButton); }, false},
        {"Escape", [](QWidget *w) { SendKey(w, Qt::Key_Escape); }, false},
        {"Escape released only", [](QWidget *w) { SendKey(w, Qt::Key_Escape, false, true); }, false},
        {"Return pressed", [](QWidget *w) { SendKey(w, Qt::Key_Return, true, false); }, false},
        {"Enter pressed", [](QWidget *w) { SendKey(w, Qt::Key_Enter, true, false); }, false},
        {"title bar", [](QWidget *w) { w->close(); }, false},
        {"Escape in a folder field", onField(Qt::Key_Escape, true), true},
        {"Return in a folder field", onField(Qt::Key_Return, false), true},
    };
    for (const Way &way : ways) {
        WhenModal([&way](QWidget *w) {
            ASSERT_NE(qobject_cast<TfrmAbout *>(w), nullptr);
            way.act(w);
        });
        EXPECT_EQ(ShowAbout("/a/", "/b/"), mrCancel) << way.name;
        if (way.aboutOnly)
            continue;
        WhenModal([&way](QWidget *w) {
            ASSERT_NE(qobject_cast<TfrmCreditsTo *>(w), nullptr);
            way.act(w);
        });
        EXPECT_EQ(ShowCredits(), mrCancel) << way.name;
    }
}

// Only the release closes: a pressed (or held) Escape leaves the box open.
TEST_F(AboutTest, EscapeClosesOnTheReleaseOnly) {
    for (bool about : {true, false}) {
        bool openAfterPress = false;
        WhenModal([&](QWidget *w) {
            SendKey(w, Qt::Key_Escape, true, false);
            QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(w->focusWidget() ? w->focusWidget() : w, &repeated);
            QApplication::processEvents();
            openAfterPress = w->isVisible();
            SendKey(w, Qt::Key_Escape, false, true);
        });
        EXPECT_EQ(about ? ShowAbout("/a/", "/b/") : ShowCredits(), mrCancel);
        EXPECT_TRUE(openAfterPress) << about;
    }
}

TEST_F(AboutTest, SecondShowClosesTheOpenOne) {
    int inner = -1;
    WhenModal([&](QWidget *) { inner = ShowAbout("/a/", "/b/"); });
    EXPECT_EQ(ShowAbout("/a/", "/b/"), mrCancel);
    EXPECT_EQ(inner, 0);
    WhenModal([&](QWidget *) { inner = ShowCredits(); });
    EXPECT_EQ(ShowCredits(), mrCancel);
    EXPECT_EQ(inner, 0);
}

TEST_F(AboutTest, CreditLinksOpenTheirOwnText) {
    TfrmCreditsTo d;
    d.show();
    EXPECT_EQ(d.windowTitle(), "Orvanta");
    EXPECT_EQ(d.width(), 520);
    const auto credits = TfrmCreditsTo::Credits();
    ASSERT_EQ(credits.size(), 7u);
    QStringList libraries;
    for (size_t i = 0; i < credits.size(); ++i) {
        libraries << credits[i].library;
        auto *link = d.findChild<LinkLabel *>("lblCredit" + QString::number(i + 1));
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->text(), QLatin1String(credits[i].address));
        QTest::mouseClick(link, Qt::LeftButton);
        ASSERT_EQ(opened.size(), int(i) + 1);
        EXPECT_EQ(opened.back(), link->text());
    }
    EXPECT_EQ(libraries, QStringList({"Qt", "libjpeg-turbo", "libpng", "giflib", "libtiff", "ImageMagick", "OpenJPEG"}));
    for (const char *name : {"lblHomePage", "lblSupportMail", "lblNewsletter"})
        EXPECT_NE(d.findChild<LinkLabel *>(name), nullptr) << name;
}

} // namespace

namespace {

// Leaving for another program closes the About box; the Credits box stays.
TEST(AboutFocusTest, LosingTheApplicationFocusClosesAboutOnly) {
    WhenModal([](QWidget *w) {
        // Should the box stay open, it is closed with another result after a while.
        auto *d = qobject_cast<QDialog *>(w);
        QTimer::singleShot(3000, d, [d] { d->done(99); });
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
    });
    EXPECT_EQ(ShowAbout("/a/", "/b/"), mrCancel);

    WhenModal([](QWidget *w) {
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
        QApplication::processEvents();
        EXPECT_TRUE(w->isVisible());
        QTest::mouseClick(qobject_cast<TfrmCreditsTo *>(w)->btnClose(), Qt::LeftButton);
    });
    EXPECT_EQ(ShowCredits(), mrCancel);
}

} // namespace
