// The viewer as a window control: OpenGL answer, mouse events in client pixels, the context
// menu hook and the pointer shape.
#include "scene/GLCamera.h"
#include "scene/GLObjects.h"
#include "scene/GLSceneViewer.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(SceneViewer, AnswersOpenGLAvailableAndMakesItsContext) {
    TGLSceneViewer viewer;
    EXPECT_TRUE(viewer.OpenGLAvailable()); // before the window exists
    EXPECT_EQ(viewer.VSync(), vsmNoSync);
    viewer.SetVSync(vsmSync);
    EXPECT_EQ(viewer.format().swapInterval(), 1);
    EXPECT_EQ(viewer.format().depthBufferSize(), 24);
    EXPECT_EQ(viewer.format().profile(), QSurfaceFormat::CompatibilityProfile);
    viewer.resize(120, 90);
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    viewer.Repaint();
    EXPECT_TRUE(viewer.OpenGLAvailable());
    EXPECT_TRUE(viewer.ContextError().isEmpty());
    ASSERT_NE(viewer.Buffer().RenderingContext(), nullptr);
    EXPECT_EQ(viewer.Buffer().ViewportWidth(), int(120 * viewer.devicePixelRatioF()));
    // No camera: a frame only clears; a field of view needs a camera.
    EXPECT_EQ(viewer.FieldOfView(), 0);
    EXPECT_EQ(viewer.PickAt(10, 10), nullptr);
}

TEST(SceneViewer, MouseEventsInClientPixels) {
    TGLSceneViewer viewer;
    viewer.resize(120, 90);
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    QSignalSpy down(&viewer, &TGLSceneViewer::mouseDown);
    QSignalSpy up(&viewer, &TGLSceneViewer::mouseUp);
    QSignalSpy dbl(&viewer, &TGLSceneViewer::doubleClick);
    QTest::mouseClick(&viewer, Qt::LeftButton, Qt::ShiftModifier, QPoint(30, 40));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_TRUE(down[0][1].value<Qt::KeyboardModifiers>() & Qt::ShiftModifier);
    EXPECT_EQ(down[0][2].toInt(), 30);
    EXPECT_EQ(down[0][3].toInt(), 40);
    EXPECT_EQ(up.count(), 1);
    QTest::mouseDClick(&viewer, Qt::LeftButton, Qt::NoModifier, QPoint(5, 6));
    ASSERT_GE(dbl.count(), 1);
    EXPECT_EQ(dbl[0][2].toInt(), 5);
    EXPECT_EQ(dbl[0][3].toInt(), 6);
}

TEST(SceneViewer, ContextMenuHookAndPointer) {
    TGLSceneViewer viewer;
    viewer.resize(120, 90);
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    QMenu menu;
    menu.addAction("Exit");
    viewer.SetPopupMenu(&menu);
    QSignalSpy popup(&viewer, &TGLSceneViewer::contextPopup);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(12, 34), viewer.mapToGlobal(QPoint(12, 34)));
    QCoreApplication::sendEvent(&viewer, &event);
    ASSERT_EQ(popup.count(), 1);
    EXPECT_EQ(popup[0][0].toInt(), 12);
    EXPECT_EQ(popup[0][1].toInt(), 34);
    EXPECT_TRUE(event.isAccepted());
    EXPECT_TRUE(menu.isVisible());
    menu.close();

    viewer.SetPointerVisible(false);
    EXPECT_EQ(viewer.cursor().shape(), Qt::BlankCursor);
    viewer.SetPointerVisible(true);
    EXPECT_EQ(viewer.cursor().shape(), Qt::ArrowCursor);
}

} // namespace
