#pragma once
// TGLSceneViewer: the window control the scene is drawn in, a QOpenGLWidget with a
// compatibility-profile context (24 depth bits, double buffered, swap interval 1 with vsmSync).
// It owns a TGLSceneBuffer, draws a frame on every paint, turns scene changes into repaints,
// picks in window pixels, raises mouse events in client pixels (logical, top left origin),
// opens its context menu on a right click and shows or hides the pointer.

#include "scene/GLCamera.h"
#include "scene/GLSceneBuffer.h"

#include <QOpenGLWidget>
#include <QPointer>
#include <QString>

#include <QMenu>

enum TVSyncMode { vsmSync, vsmNoSync };

class TGLSceneViewer : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit TGLSceneViewer(QWidget *parent = nullptr);
    ~TGLSceneViewer() override;

    TGLSceneBuffer &Buffer() { return buffer_; }
    TGLCamera *Camera() const { return buffer_.Camera(); }
    void SetCamera(TGLCamera *camera) { buffer_.SetCamera(camera); }

    // The swap interval is part of the context's format: a change after the context exists
    // takes effect when Qt makes a new one.
    TVSyncMode VSync() const { return vsync_; }
    void SetVSync(TVSyncMode mode);

    // Derived from the camera's focal length and the smaller side; 0 / nothing without camera.
    float FieldOfView() const;
    void SetFieldOfView(float degrees);

    // Whether an OpenGL context with the viewer's format can be made on this system.
    bool OpenGLAvailable() const;
    // The error text when the viewer's own context could not be set up; empty otherwise.
    const QString &ContextError() const { return contextError_; }

    TGLBaseSceneObject *PickAt(int x, int y) { return buffer_.PickAt(x, y); }
    // Invalidates and paints at once.
    void Repaint();

    QMenu *PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu *menu) { popupMenu_ = menu; }
    // The normal arrow, or no pointer at all.
    void SetPointerVisible(bool visible);
    // True while paintGL draws (Qt has made the context current with its framebuffer).
    bool Painting() const { return painting_; }

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void doubleClick(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // Raised before the context menu opens at a right click (x, y in client pixels).
    void contextPopup(int x, int y);

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void UpdateViewportSize();
    QSurfaceFormat DesiredFormat() const;

    TGLSceneBuffer buffer_;
    TVSyncMode vsync_ = vsmNoSync;
    QPointer<QMenu> popupMenu_;
    QString contextError_;
    bool contextFailed_ = false;
    bool painting_ = false;
};
