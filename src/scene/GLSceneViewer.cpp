#include "scene/GLSceneViewer.h"

#include "platform/Errors.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <cmath>

namespace {

// The viewer's context: Qt makes the widget's context current (with its framebuffer bound);
// releasing it is left to Qt, which composes the widget after painting.
class ViewerContext : public TGLContext {
public:
    explicit ViewerContext(TGLSceneViewer *viewer) : viewer_(viewer) {}
    bool IsValid() const override { return viewer_ && viewer_->context() && viewer_->context()->isValid(); }
    QOpenGLContext *NativeContext() const override { return viewer_ ? viewer_->context() : nullptr; }

protected:
    bool DoActivate() override {
        if (QOpenGLContext::currentContext() != viewer_->context() || !inPaint()) viewer_->makeCurrent();
        return QOpenGLContext::currentContext() == viewer_->context();
    }
    void DoDeactivate() override {}

private:
    bool inPaint() const { return viewer_->Painting(); }
    QPointer<TGLSceneViewer> viewer_;
};

QSurfaceFormat ViewerFormat(TVSyncMode vsync) {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(0);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setSwapInterval(vsync == vsmSync ? 1 : 0);
    return format;
}

int LogicalCoord(qreal v) { return int(std::floor(v)); }

} // namespace

TGLSceneViewer::TGLSceneViewer(QWidget *parent) : QOpenGLWidget(parent) {
    setFormat(ViewerFormat(vsync_));
    resize(100, 100);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    buffer_.OnChange = [this]() { update(); };
}

TGLSceneViewer::~TGLSceneViewer() {
    // Textures and the buffer's context go while the widget's context can still be made current.
    if (context()) makeCurrent();
    buffer_.OnChange = nullptr;
    buffer_.DestroyRenderingContext();
    if (context()) doneCurrent();
}

void TGLSceneViewer::SetVSync(TVSyncMode mode) {
    if (vsync_ == mode) return;
    vsync_ = mode;
    if (!context()) setFormat(ViewerFormat(vsync_));
}

QSurfaceFormat TGLSceneViewer::DesiredFormat() const { return ViewerFormat(vsync_); }

float TGLSceneViewer::FieldOfView() const {
    if (!Camera()) return 0;
    return FieldOfViewFor(Camera()->FocalLength(), width(), height());
}

void TGLSceneViewer::SetFieldOfView(float degrees) {
    if (!Camera()) return;
    Camera()->SetFocalLength(FocalLengthFor(degrees, width(), height()));
}

bool TGLSceneViewer::OpenGLAvailable() const {
    if (contextFailed_) return false;
    if (context()) return context()->isValid();
    // Before the widget's own context exists: try to make one with the same format.
    static int probed = -1;
    if (probed < 0) {
        QOpenGLContext probe;
        probe.setFormat(DesiredFormat());
        QOffscreenSurface surface;
        surface.setFormat(DesiredFormat());
        surface.create();
        probed = (probe.create() && surface.isValid() && probe.makeCurrent(&surface)) ? 1 : 0;
        if (probed) probe.doneCurrent();
    }
    return probed == 1;
}

void TGLSceneViewer::Repaint() {
    update();
    repaint();
}

void TGLSceneViewer::SetPointerVisible(bool visible) { setCursor(visible ? Qt::ArrowCursor : Qt::BlankCursor); }

void TGLSceneViewer::UpdateViewportSize() {
    const double ratio = devicePixelRatioF();
    buffer_.SetPixelRatio(ratio);
    const int w = int(std::lround(width() * ratio)), h = int(std::lround(height() * ratio));
    if (w != buffer_.ViewportWidth() || h != buffer_.ViewportHeight()) buffer_.ResizeViewport(w, h);
}

void TGLSceneViewer::initializeGL() {
    contextError_.clear();
    contextFailed_ = false;
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
            [this]() {
                makeCurrent();
                buffer_.DestroyRenderingContext();
            });
    try {
        buffer_.CreateRenderingContext(std::make_unique<ViewerContext>(this));
        UpdateViewportSize();
    } catch (const OrvantaError &e) {
        contextError_ = e.Message();
        contextFailed_ = true;
    }
}

void TGLSceneViewer::resizeGL(int, int) { UpdateViewportSize(); }

void TGLSceneViewer::paintGL() {
    if (width() <= 0 || height() <= 0 || !buffer_.RenderingContext()) return;
    UpdateViewportSize();
    painting_ = true;
    try {
        buffer_.RenderFrame();
    } catch (const std::exception &e) {
        // Nothing may leave a paint event; the frame is lost, the next paint tries again.
        qWarning("Frame not drawn: %s", e.what());
    }
    painting_ = false;
}

void TGLSceneViewer::mousePressEvent(QMouseEvent *event) {
    emit mouseDown(event->button(), event->modifiers(), LogicalCoord(event->position().x()),
                   LogicalCoord(event->position().y()));
    QOpenGLWidget::mousePressEvent(event);
}

void TGLSceneViewer::mouseMoveEvent(QMouseEvent *event) {
    emit mouseMove(event->buttons(), event->modifiers(), LogicalCoord(event->position().x()),
                   LogicalCoord(event->position().y()));
    QOpenGLWidget::mouseMoveEvent(event);
}

void TGLSceneViewer::mouseReleaseEvent(QMouseEvent *event) {
    emit mouseUp(event->button(), event->modifiers(), LogicalCoord(event->position().x()),
                 LogicalCoord(event->position().y()));
    QOpenGLWidget::mouseReleaseEvent(event);
}

void TGLSceneViewer::mouseDoubleClickEvent(QMouseEvent *event) {
    emit doubleClick(event->button(), event->modifiers(), LogicalCoord(event->position().x()),
                     LogicalCoord(event->position().y()));
    QOpenGLWidget::mouseDoubleClickEvent(event);
}

void TGLSceneViewer::contextMenuEvent(QContextMenuEvent *event) {
    emit contextPopup(event->pos().x(), event->pos().y());
    if (popupMenu_) {
        popupMenu_->popup(event->globalPos());
        event->accept();
    } else {
        event->ignore();
    }
}
