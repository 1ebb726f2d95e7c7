// Pictures of the dialogs for a person to look at: written as shot-*.png into the folder named
// by ORVANTA_SCREENSHOT_DIR; skipped when it is not set.

#include "dialogs/fmAbout.h"
#include "dialogs/fmCreditsTo.h"
#include "dialogs/fmDelMsg.h"
#include "dialogs/fmMsg.h"
#include "dialogs/fmOptions.h"

#include "settings/gRegistry.h"

#include "TestEnv.h"

#include <QApplication>
#include <QListWidget>

#include <cstdlib>

namespace {

QString ShotDir() {
    const char *dir = std::getenv("ORVANTA_SCREENSHOT_DIR");
    return dir && *dir ? QString::fromLocal8Bit(dir) : QString();
}

void Shoot(QWidget &w, const QString &name) {
    w.show();
    QApplication::processEvents();
    ASSERT_TRUE(w.grab().save(ShotDir() + "/shot-" + name + ".png")) << name.toStdString();
}

TEST(Screenshots, Dialogs) {
    if (ShotDir().isEmpty())
        GTEST_SKIP() << "ORVANTA_SCREENSHOT_DIR not set";
    {
        TfrmOptions d;
        for (int page = 0; page < 6; ++page) {
            d.lbMenu()->setCurrentRow(page);
            Shoot(d, "options-" + QString::number(page));
        }
    }
    {
        TfrmMsg limit(MsgRequest{141,
                                 "Maximum pictures allowed at time: 100\r\n\r\nYou can change this limit from options.",
                                 mbOK, miInformation, kRegKeyValues, "MsgMaxPicturesAtTime", "Orvanta"});
        Shoot(limit, "msg-limit");
        TfrmMsg reload(MsgRequest{115,
                                  "You have change the picture quality settings. Do you want to reload picture(s) now?",
                                  MsgButtons(mbYes | mbNo), miQuestion, kRegKeyValues, "MsgReloadPictures", "Orvanta"});
        Shoot(reload, "msg-reload");
    }
    {
        TfrmDelMsg recycle(DelMsgRequest{true, "/home/user/Pictures/a rather long name of a holiday picture taken at the beach.jpg",
                                         kRegKeyValues, "MsgRecycleWarning", "Confirm File Delete"});
        Shoot(recycle, "delete-recycle");
        TfrmDelMsg forGood(DelMsgRequest{false, "/home/user/Pictures/beach.jpg", kRegKeyValues, "MsgDeleteWarning",
                                         "Confirm File Delete"});
        Shoot(forGood, "delete-forgood");
    }
    {
        TfrmAbout about("/usr/lib/orvanta/", "/home/user/.local/share/Tamsorel/Orvanta/");
        Shoot(about, "about");
        TfrmCreditsTo credits;
        Shoot(credits, "credits");
    }
}

} // namespace
