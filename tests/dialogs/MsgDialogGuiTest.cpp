#include "dialogs/fmDelMsg.h"
#include "dialogs/fmMsg.h"

#include "settings/gRegistry.h"

#include "DialogTestSupport.h"
#include "TestEnv.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

using orvanta::test::SendKey;
using orvanta::test::WhenModal;

const QString kKey = kRegKeyValues;

class MsgDialogTest : public orvanta::test::UserStateTest {
protected:
    void TearDown() override {
        SetShowMsgHandler({});
        SetShowDelMsgHandler({});
    }
    static MsgRequest Request(MsgButtons buttons, int height = 115) {
        return MsgRequest{height, "Question?", buttons, miQuestion, kKey, "MsgTest", "Orvanta"};
    }
    static int Show(MsgButtons buttons, const QString &value = "MsgTest") {
        return ShowMsg(115, "Question?", buttons, miQuestion, kKey, value, "Orvanta");
    }
};

TEST_F(MsgDialogTest, CheckBoxCaptionPerButtonSet) {
    const char *const notAgain = "Do not show this message again.";
    const char *const notAsk = "Do not ask me again.";
    struct C { MsgButtons buttons; const char *caption; };
    for (const C &c : {C{mbOK, notAgain}, C{MsgButtons(mbOK | mbYes), notAgain}, C{MsgButtons(mbYes | mbNo), notAsk},
                       C{MsgButtons(mbOK | mbCancel), notAsk}, C{MsgButtons(mbOK | mbNo), notAsk},
                       C{mbYes, notAsk}, C{MsgButtons(mbYes | mbNo | mbCancel), notAsk}}) {
        TfrmMsg dialog(Request(c.buttons));
        EXPECT_EQ(dialog.chkShowAgain()->text(), QString::fromLatin1(c.caption)) << c.buttons;
    }
}

TEST_F(MsgDialogTest, RowShowsOnlyTheButtonsOfTheSetCentred) {
    TfrmMsg yesNo(Request(MsgButtons(mbYes | mbNo), 115));
    EXPECT_EQ(yesNo.width(), 515);
    EXPECT_EQ(yesNo.height(), 115);
    EXPECT_EQ(yesNo.btnOK(), nullptr);
    EXPECT_EQ(yesNo.btnCancel(), nullptr);
    ASSERT_NE(yesNo.btnYes(), nullptr);
    ASSERT_NE(yesNo.btnNo(), nullptr);
    // Two 81-pixel cells: the row starts at (515 - 162) / 2 = 176.
    EXPECT_EQ(yesNo.btnYes()->geometry(), QRect(176 + 3, 115 - 35 + 6, 75, 23));
    EXPECT_EQ(yesNo.btnNo()->geometry(), QRect(176 + 81 + 3, 115 - 35 + 6, 75, 23));
    EXPECT_EQ(yesNo.btnYes()->text(), "&Yes");
    // The check box keeps its distance from the bottom edge: 111 at the design height of 171.
    EXPECT_EQ(yesNo.chkShowAgain()->y(), 111 - (171 - 115));
    EXPECT_EQ(yesNo.lblMsg()->pos(), QPoint(58, 16));

    TfrmMsg all(Request(MsgButtons(mbOK | mbYes | mbNo | mbCancel), 141));
    EXPECT_EQ(all.btnOK()->x(), (515 - 4 * 81) / 2 + 3);  // rounded toward zero
    EXPECT_EQ(all.btnCancel()->text(), "&Cancel");
    EXPECT_EQ(all.chkShowAgain()->y(), 111 - 30);
}

TEST_F(MsgDialogTest, AnswersOfTheButtons) {
    struct C { MsgButtons buttons; int result; };
    for (const C &c : {C{mbOK, mrOk}, C{mbYes, mrYes}, C{mbNo, mrNo}, C{mbCancel, mrCancel}}) {
        WhenModal([](QWidget *w) {
            // The first (and only) button has the focus; Space presses it.
            auto *dialog = qobject_cast<TfrmMsg *>(w);
            ASSERT_NE(dialog, nullptr);
            QPushButton *b = qobject_cast<QPushButton *>(dialog->focusWidget());
            ASSERT_NE(b, nullptr);
            QTest::mouseClick(b, Qt::LeftButton);
        });
        EXPECT_EQ(Show(c.buttons), c.result) << c.buttons;
    }
}

TEST_F(MsgDialogTest, FirstButtonOfTheRowHasTheFocus) {
    WhenModal([](QWidget *w) {
        auto *dialog = qobject_cast<TfrmMsg *>(w);
        EXPECT_EQ(dialog->focusWidget(), dialog->btnOK());
        SendKey(w, Qt::Key_Space);  // presses the focused OK button
    });
    EXPECT_EQ(Show(MsgButtons(mbOK | mbCancel)), mrOk);
}

TEST_F(MsgDialogTest, EscapeAnswersNoWhateverTheButtons) {
    for (MsgButtons buttons : {mbOK, MsgButtons(mbYes | mbNo), MsgButtons(mbOK | mbCancel)}) {
        WhenModal([](QWidget *w) { SendKey(w, Qt::Key_Escape); });
        EXPECT_EQ(Show(buttons), mrNo) << buttons;
    }
    EXPECT_EQ(RegReadString(kKey, "MsgTest"), "");
}

TEST_F(MsgDialogTest, EscapePressAloneDoesNotClose) {
    WhenModal([](QWidget *w) {
        SendKey(w, Qt::Key_Escape, true, false);
        EXPECT_TRUE(w->isVisible());
        // A held key repeats releases that do not close either.
        QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(w->focusWidget(), &repeated);
        EXPECT_TRUE(w->isVisible());
        SendKey(w, Qt::Key_Escape, false, true);
    });
    EXPECT_EQ(Show(mbOK), mrNo);
}

// Keys reach the form first: Escape answers No from whatever control has the focus, while
// Enter is left to the focused button and answers as that button does.
TEST_F(MsgDialogTest, KeysFromEveryControlOfBothDialogs) {
    auto showDel = [] { return ShowDelMsg(true, "/p/beach.jpg", kKey, "MsgRecycleWarning", "Confirm File Delete"); };
    auto showMsg = [] { return Show(MsgButtons(mbYes | mbNo | mbCancel)); };
    auto focusBox = [](QWidget *w) { w->findChild<QCheckBox *>("chkShowAgain")->setFocus(); };
    auto focusNamed = [](const char *name) {
        return [name](QWidget *w) { w->findChild<QPushButton *>(name)->setFocus(); };
    };
    struct C {
        const char *name;
        std::function<int()> show;
        std::function<void(QWidget *)> focus;
        int key;
        int result;
    };
    const C cases[] = {
        {"msg escape on the check box", showMsg, focusBox, Qt::Key_Escape, mrNo},
        {"msg escape on Cancel", showMsg, focusNamed("btnCancel"), Qt::Key_Escape, mrNo},
        {"msg enter on the first button", showMsg, [](QWidget *) {}, Qt::Key_Return, mrYes},
        {"msg enter on Cancel", showMsg, focusNamed("btnCancel"), Qt::Key_Return, mrCancel},
        {"delete escape on the check box", showDel, focusBox, Qt::Key_Escape, mrNo},
        {"delete escape on Yes", showDel, focusNamed("btnYes"), Qt::Key_Escape, mrNo},
        {"delete enter on Yes", showDel, [](QWidget *) {}, Qt::Key_Return, mrYes},
        {"delete enter on No", showDel, focusNamed("btnNo"), Qt::Key_Return, mrNo},
    };
    for (const C &c : cases) {
        WhenModal([&c](QWidget *w) {
            c.focus(w);
            QApplication::processEvents();
            QTest::keyClick(w->focusWidget(), Qt::Key(c.key));
        });
        EXPECT_EQ(c.show(), c.result) << c.name;
    }
    EXPECT_EQ(RegReadString(kKey, "MsgTest"), "");
    EXPECT_EQ(RegReadString(kKey, "MsgRecycleWarning"), "");
}

// The ticked box writes "T" however the dialog was answered; the value never holds the answer.
TEST_F(MsgDialogTest, TickedBoxWritesTheSameValueWhateverTheAnswer) {
    auto click = [](const char *name) {
        return [name](QWidget *w) { QTest::mouseClick(w->findChild<QPushButton *>(name), Qt::LeftButton); };
    };
    const std::function<void(QWidget *)> escape = [](QWidget *w) { SendKey(w, Qt::Key_Escape); };
    const std::function<void(QWidget *)> titleBar = [](QWidget *w) { w->close(); };
    struct C {
        const char *name;
        bool deleteDialog;
        std::function<void(QWidget *)> answer;
        int result;
    };
    const C cases[] = {
        {"msg OK", false, click("btnOK"), mrOk},        {"msg Yes", false, click("btnYes"), mrYes},
        {"msg No", false, click("btnNo"), mrNo},        {"msg Cancel", false, click("btnCancel"), mrCancel},
        {"msg Escape", false, escape, mrNo},            {"msg title bar", false, titleBar, mrCancel},
        {"delete Yes", true, click("btnYes"), mrYes},   {"delete No", true, click("btnNo"), mrNo},
        {"delete Escape", true, escape, mrNo},          {"delete title bar", true, titleBar, mrNo},
    };
    int n = 0;
    for (const C &c : cases) {
        const QString value = "MsgTicked" + QString::number(++n);
        WhenModal([&c](QWidget *w) {
            w->findChild<QCheckBox *>("chkShowAgain")->setChecked(true);
            c.answer(w);
        });
        const int result = c.deleteDialog ? ShowDelMsg(false, "/p/a.jpg", kKey, value, "Confirm File Delete")
                                          : Show(MsgButtons(mbOK | mbYes | mbNo | mbCancel), value);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(RegReadString(kKey, value), "T") << c.name;
    }
}

TEST_F(MsgDialogTest, TitleBarCloseAnswersCancel) {
    WhenModal([](QWidget *w) { w->close(); });
    EXPECT_EQ(Show(MsgButtons(mbYes | mbNo)), mrCancel);
}

TEST_F(MsgDialogTest, TickedBoxStoresValueNotTheAnswer) {
    // The reload question answered No with the box ticked.
    WhenModal([](QWidget *w) {
        auto *dialog = qobject_cast<TfrmMsg *>(w);
        dialog->chkShowAgain()->setChecked(true);
        QTest::mouseClick(dialog->btnNo(), Qt::LeftButton);
    });
    EXPECT_EQ(Show(MsgButtons(mbYes | mbNo)), mrNo);
    EXPECT_EQ(RegReadString(kKey, "MsgTest"), "T");
    // From now on the question is answered Yes without being shown.
    SetShowMsgHandler([](const MsgRequest &) -> MsgAnswer {
        ADD_FAILURE() << "a silenced message was shown";
        return {};
    });
    EXPECT_EQ(Show(MsgButtons(mbYes | mbNo)), mrYes);
    EXPECT_EQ(RegReadString(kKey, "MsgTest"), "T");
}

TEST_F(MsgDialogTest, AnyNonEmptyValueSuppresses) {
    SetShowMsgHandler([](const MsgRequest &) -> MsgAnswer {
        ADD_FAILURE() << "a silenced message was shown";
        return {};
    });
    struct C { const char *value; MsgButtons buttons; int result; };
    for (const C &c : {C{"T", MsgButtons(mbYes | mbNo), mrYes}, C{"F", MsgButtons(mbYes | mbNo), mrYes},
                       C{"0", mbOK, mrOk}, C{" ", MsgButtons(mbOK | mbCancel), mrOk},
                       C{"false", MsgButtons(mbOK | mbYes), mrYes}}) {
        RegWriteString(kKey, "MsgAny", c.value);
        EXPECT_EQ(Show(c.buttons, "MsgAny"), c.result) << c.value;
        EXPECT_EQ(RegReadString(kKey, "MsgAny"), c.value);  // nothing written
    }
}

TEST_F(MsgDialogTest, HandlerSeamAnswersInPlaceOfTheDialog) {
    MsgRequest seen;
    SetShowMsgHandler([&](const MsgRequest &r) {
        seen = r;
        return MsgAnswer{mrOk, true};
    });
    EXPECT_EQ(ShowMsg(141, "Maximum pictures allowed at time: 100\r\n\r\nYou can change this limit from options.",
                      mbOK, miInformation, kKey, "MsgMaxPicturesAtTime", "Orvanta"),
              mrOk);
    EXPECT_EQ(seen.clientHeight, 141);
    EXPECT_EQ(seen.valueName, "MsgMaxPicturesAtTime");
    EXPECT_EQ(RegReadString(kKey, "MsgMaxPicturesAtTime"), "T");
}

TEST_F(MsgDialogTest, WideTextWidensTheFormInsteadOfBeingCut) {
    MsgRequest r = Request(mbOK);
    r.message = QString(200, 'W');
    TfrmMsg dialog(r);
    EXPECT_GT(dialog.width(), 515);
    EXPECT_GE(dialog.lblMsg()->width(), dialog.lblMsg()->sizeHint().width());
    EXPECT_LE(dialog.lblMsg()->geometry().right(), dialog.width());
}

// --- the delete confirmation ------------------------------------------------------------

TEST_F(MsgDialogTest, DeleteMessageTexts) {
    TfrmDelMsg recycle(DelMsgRequest{true, "/p/beach.jpg", kKey, "MsgRecycleWarning", "Confirm File Delete"});
    EXPECT_EQ(recycle.lblMsg()->text(), "Are you sure you want to send 'beach.jpg' to the Recycle Bin?");
    EXPECT_FALSE(recycle.imgDelIco()->isVisibleTo(&recycle));
    EXPECT_EQ(recycle.windowTitle(), "Confirm File Delete");
    EXPECT_EQ(recycle.size(), QSize(413, 108));
    TfrmDelMsg forGood(DelMsgRequest{false, "/p/beach.jpg", kKey, "MsgDeleteWarning", "Confirm File Delete"});
    EXPECT_EQ(forGood.lblMsg()->text(), "Are you sure you want to delete 'beach.jpg'?");
    EXPECT_TRUE(forGood.imgDelIco()->isVisibleTo(&forGood));
    EXPECT_EQ(forGood.imgDelIco()->pos(), QPoint(15, 16));
    EXPECT_EQ(forGood.chkShowAgain()->text(), "Do not ask me again.");
    EXPECT_EQ(forGood.btnYes()->geometry(), QRect(236, 74, 80, 23));
    EXPECT_EQ(forGood.btnNo()->geometry(), QRect(323, 74, 80, 23));
}

TEST_F(MsgDialogTest, DeleteMessageShortensLongNames) {
    TfrmDelMsg probe(DelMsgRequest{true, "/p/a.jpg", kKey, "x", "c"});
    const QFontMetrics fm = probe.lblMsg()->fontMetrics();
    const QString longName = QString("very_long_picture_name_").repeated(8) + ".jpg";
    for (bool recycle : {true, false}) {
        SCOPED_TRACE(recycle);
        const QString opening = recycle ? "Are you sure you want to send '" : "Are you sure you want to delete '";
        const QString ellipsis = recycle ? "...' to the Recycle Bin?" : "...'?";
        const QString text = DelMsgText(recycle, "/p/" + longName, fm, 323);
        ASSERT_TRUE(text.startsWith(opening)) << text.toStdString();
        ASSERT_TRUE(text.endsWith(ellipsis)) << text.toStdString();
        const QString name = text.mid(opening.size(), text.size() - opening.size() - ellipsis.size());
        EXPECT_TRUE(longName.startsWith(name));
        EXPECT_LT(name.size(), longName.size());
        // The longest name part that fits: one character more would not.
        const QString ell = recycle ? "...'" : "...'?";
        EXPECT_LE(fm.horizontalAdvance(" '" + name + ell), 323);
        EXPECT_GT(fm.horizontalAdvance(" '" + longName.left(name.size() + 1) + ell), 323);
        // A short name keeps its closing quote and shows no ellipsis.
        EXPECT_FALSE(DelMsgText(recycle, "/p/x.png", fm, 323).contains("..."));
        EXPECT_TRUE(DelMsgText(recycle, "/p/x.png", fm, 323).contains("'x.png'"));
        // However narrow the label, the shortening ends.
        EXPECT_TRUE(DelMsgText(recycle, "/p/x.png", fm, 0).startsWith(recycle ? "Are you sure you want to send..."
                                                                              : "Are you sure you want to delete..."));
    }
}

TEST_F(MsgDialogTest, DeleteQuestionAnswersAndSuppression) {
    auto show = [](bool recycle) {
        return ShowDelMsg(recycle, "/p/beach.jpg", kKey, recycle ? "MsgRecycleWarning" : "MsgDeleteWarning",
                          "Confirm File Delete");
    };
    WhenModal([](QWidget *w) { QTest::mouseClick(qobject_cast<TfrmDelMsg *>(w)->btnYes(), Qt::LeftButton); });
    EXPECT_EQ(show(true), mrYes);
    WhenModal([](QWidget *w) { SendKey(w, Qt::Key_Escape); });
    EXPECT_EQ(show(true), mrNo);
    WhenModal([](QWidget *w) { w->close(); });
    EXPECT_EQ(show(false), mrNo);
    // Ticked and answered No: the recycle question is silenced (answered Yes from now on),
    // the delete-for-good question still asks.
    WhenModal([](QWidget *w) {
        auto *d = qobject_cast<TfrmDelMsg *>(w);
        d->chkShowAgain()->setChecked(true);
        QTest::mouseClick(d->btnNo(), Qt::LeftButton);
    });
    EXPECT_EQ(show(true), mrNo);
    EXPECT_EQ(RegReadString(kKey, "MsgRecycleWarning"), "T");
    EXPECT_EQ(RegReadString(kKey, "MsgDeleteWarning"), "");
    int asked = 0;
    SetShowDelMsgHandler([&](const DelMsgRequest &r) {
        ++asked;
        EXPECT_FALSE(r.recycleBin);
        return DelMsgAnswer{mrNo, false};
    });
    EXPECT_EQ(show(true), mrYes);
    EXPECT_EQ(show(false), mrNo);
    EXPECT_EQ(asked, 1);
    RegWriteString(kKey, "MsgDeleteWarning", "anything");
    EXPECT_EQ(show(false), mrYes);
    EXPECT_EQ(asked, 1);
}

} // namespace
