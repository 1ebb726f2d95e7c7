#include "scene/GLSceneBuffer.h"

#include "platform/Errors.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// TGLPickList

void TGLPickList::Add(TPickRecord record) { records_.push_back(std::move(record)); }

void TGLPickList::Sort() {
    switch (sortType_) {
    case psMinDepth:
        std::stable_sort(records_.begin(), records_.end(),
                         [](const TPickRecord &a, const TPickRecord &b) { return a.ZMin < b.ZMin; });
        break;
    case psMaxDepth:
        std::stable_sort(records_.begin(), records_.end(),
                         [](const TPickRecord &a, const TPickRecord &b) { return a.ZMax < b.ZMax; });
        break;
    case psDefault:
    case psName:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// TGLSceneBuffer

TGLSceneBuffer::TGLSceneBuffer() {
    sortScratch_.reserve(256);
    pickNames_.reserve(256);
    modelViewStack_.reserve(8);
}

TGLSceneBuffer::~TGLSceneBuffer() {
    SetCamera(nullptr);
    ListenToScene(nullptr);
    DestroyRenderingContext();
}

void TGLSceneBuffer::SetBackgroundColor(const TGLColor &color) {
    if (backgroundColor_ == color) return;
    backgroundColor_ = color;
    SceneChanged();
}

void TGLSceneBuffer::SetBackgroundAlpha(float alpha) {
    if (backgroundAlpha_ == alpha) return;
    backgroundAlpha_ = alpha;
    SceneChanged();
}

void TGLSceneBuffer::ListenToScene(TGLScene *scene) {
    if (scene_ == scene) return;
    if (scene_) {
        scene_->RemoveChangeListener(this);
        scene_->RemoveFreeListener(this);
    }
    scene_ = scene;
    if (scene_) {
        scene_->AddChangeListener(this);
        scene_->AddFreeListener(this);
    }
}

void TGLSceneBuffer::SetCamera(TGLCamera *camera) {
    if (camera_ == camera) return;
    if (camera_) camera_->RemoveFreeListener(this);
    camera_ = camera;
    if (camera_) camera_->AddFreeListener(this);
    ListenToScene(camera_ ? camera_->Scene() : nullptr);
    SceneChanged();
}

void TGLSceneBuffer::ObjectFreed(FreeNotifier *object) {
    if (object == camera_) {
        camera_ = nullptr;
    } else if (object == scene_) {
        scene_ = nullptr; // it unlists its listeners itself
    }
}

void TGLSceneBuffer::SceneChanged() {
    if (!rendering_ && OnChange) OnChange();
}

void TGLSceneBuffer::ResizeViewport(int width, int height) {
    vpWidth_ = width < 1 ? 1 : width;
    vpHeight_ = height < 1 ? 1 : height;
    if (context_) {
        context_->Activate();
        glViewport(0, 0, vpWidth_, vpHeight_);
        context_->Deactivate();
    }
}

void TGLSceneBuffer::CreateRenderingContext(std::unique_ptr<TGLContext> context) {
    DestroyRenderingContext();
    if (!context) throw OrvantaError(QStringLiteral("Failed to create RenderingContext."));
    rendering_ = true;
    try {
        context->ColorBits = ColorDepth;
        context->DepthBits = DepthPrecision;
        context->StencilBits = (ContextOptions & roStencilBuffer) ? 8 : 0;
        context->AlphaBits = (ContextOptions & roDestinationAlpha) ? 8 : 0;
        context->DoubleBuffered = (ContextOptions & roDoubleBuffer) != 0;
        context->Activate(); // raises the version and activation errors
        GLint blue = 8;
        glGetIntegerv(GL_BLUE_BITS, &blue);
        blueBits_ = blue;
        glViewport(0, 0, vpWidth_, vpHeight_);
        context_ = std::move(context);
        SetupRenderState();
        glClearColor(backgroundColor_.Red, backgroundColor_.Green, backgroundColor_.Blue, 1);
        context_->Deactivate();
    } catch (...) {
        context_.reset();
        rendering_ = false;
        throw;
    }
    rendering_ = false;
}

void TGLSceneBuffer::DestroyRenderingContext() { context_.reset(); }

void TGLSceneBuffer::SetupRenderState() {
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, AmbientColor.Data());
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, (ContextOptions & roTwoSideLighting) ? GL_TRUE : GL_FALSE);
    glEnable(GL_NORMALIZE);
    if (DepthTest) glEnable(GL_DEPTH_TEST); else glDisable(GL_DEPTH_TEST);
    if (FaceCulling) glEnable(GL_CULL_FACE); else glDisable(GL_CULL_FACE);
    if (Lighting) glEnable(GL_LIGHTING); else glDisable(GL_LIGHTING);
    if (FogEnable) glEnable(GL_FOG); else glDisable(GL_FOG);
    if (blueBits_ < 8) glEnable(GL_DITHER); else glDisable(GL_DITHER);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glShadeModel(ShadeModel == smFlat ? GL_FLAT : GL_SMOOTH);
    // State that the window system's own drawing may have left behind.
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_SCISSOR_TEST);
}

void TGLSceneBuffer::PrepareMatrices(int left, int top, int width, int height, int dpi, const QRect *pickRegion) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (pickRegion) {
        // Window pixels (logical, y down) to framebuffer pixels (y up).
        const double r = pixelRatio_;
        const double l = pickRegion->left() * r, t = pickRegion->top() * r;
        // QRect's right() and bottom() are the rectangle's right and bottom coordinates.
        const double rt = pickRegion->right() * r, b = pickRegion->bottom() * r;
        GLint viewport[4] = {left, top, width, height};
        const double cx = std::floor((l + rt) / 2), cy = height - std::floor((t + b) / 2);
        gluPickMatrix(cx, cy, std::fabs(rt - l), std::fabs(b - t), viewport);
    }
    glGetFloatv(GL_PROJECTION_MATRIX, baseProjection_.Data());
    if (camera_) {
        camera_->BuildFrustum(left, top, width, height, width, height, dpi);
    }
    glGetFloatv(GL_PROJECTION_MATRIX, projection_.Data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (camera_) {
        if (camera_->Scene()) camera_->Scene()->SetCurrentCamera(camera_);
        camera_->ApplyView();
        cameraPosition_ = camera_->WorldPosition();
    }
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView_.Data());
}

void TGLSceneBuffer::PushModelViewMatrix(const TMatrix4f &m) {
    modelViewStack_.push_back(modelView_);
    modelView_ = m;
}

void TGLSceneBuffer::PopModelViewMatrix() {
    if (modelViewStack_.empty()) return;
    modelView_ = modelViewStack_.back();
    modelViewStack_.pop_back();
}

void TGLSceneBuffer::RenderScene(TDrawState state) {
    if (camera_ && camera_->Scene() != scene_) ListenToScene(camera_->Scene());
    TGLScene *scene = camera_ ? camera_->Scene() : nullptr;
    if (!scene) return;
    TRenderContextInfo rci;
    rci.buffer = this;
    rci.scene = scene;
    rci.camera = camera_;
    rci.drawState = state;
    rci.viewPortWidth = vpWidth_;
    rci.viewPortHeight = vpHeight_;
    rci.renderDPI = renderDPI_;
    rci.objectsSorting = ObjectsSorting == osInherited ? osRenderBlendedLast : ObjectsSorting;
    rci.visibilityCulling = VisibilityCulling == vcInherited ? vcNone : VisibilityCulling;
    rci.cameraPosition = cameraPosition_;
    rci.cameraDirection = camera_->LastDirection();
    rci.baseProjection = baseProjection_;
    rci.modelViewMatrix = modelView_;
    rci.nearClippingDistance = camera_->NearPlane();
    rci.farClippingDistance = camera_->DepthOfView();
    rci.bufferFaceCulling = FaceCulling;
    rci.bufferLighting = Lighting;
    rci.sortScratch = &sortScratch_;
    rci.pickNames = state == dsPicking ? &pickNames_ : nullptr;
    sortScratch_.clear();
    scene->Objects()->Render(rci);
}

void TGLSceneBuffer::RenderFrame() {
    if (rendering_ || !context_) return;
    rendering_ = true;
    try {
        context_->Activate();
    } catch (...) {
        rendering_ = false;
        throw;
    }
    try {
        renderDPI_ = int(std::lround(96.0 * pixelRatio_));
        glViewport(0, 0, vpWidth_, vpHeight_);
        SetupRenderState();
        glClearColor(backgroundColor_.Red, backgroundColor_.Green, backgroundColor_.Blue, backgroundAlpha_);
        GLbitfield mask = GL_DEPTH_BUFFER_BIT;
        if (!(ContextOptions & roNoColorBufferClear)) mask |= GL_COLOR_BUFFER_BIT;
        if (ContextOptions & roStencilBuffer) mask |= GL_STENCIL_BUFFER_BIT;
        glClear(mask);
        PrepareMatrices(0, 0, vpWidth_, vpHeight_, renderDPI_, nullptr);
        if (OnBeforeFrame) OnBeforeFrame();
        if (FogEnable) glEnable(GL_FOG); else glDisable(GL_FOG);
        RenderScene(dsRendering);
        if (ContextOptions & roDoubleBuffer) context_->SwapBuffers();
        ++frameCount_;
    } catch (...) {
        context_->Deactivate();
        rendering_ = false;
        throw;
    }
    context_->Deactivate();
    rendering_ = false;
}

std::unique_ptr<TGLPickList> TGLSceneBuffer::PickInRect(const QRect &rect, int countGuess) {
    auto list = std::make_unique<TGLPickList>(psMinDepth);
    if (!camera_ || !context_ || rendering_) return list;
    context_->Activate();
    rendering_ = true;
    const TMatrix4f savedProjection = projection_;
    std::vector<GLuint> selection;
    auto cleanup = [&]() {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        rendering_ = false;
        projection_ = savedProjection;
        std::vector<GLuint>().swap(selection);
        context_->Deactivate();
    };
    try {
        renderDPI_ = int(std::lround(96.0 * pixelRatio_));
        // The same state as a frame (face culling decides what a pick can hit), whatever was
        // drawn last.
        SetupRenderState();
        PrepareMatrices(0, 0, vpWidth_, vpHeight_, renderDPI_, &rect);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        long n = std::max(countGuess, 8);
        GLint hits = 0;
        do {
            n *= 2;
            selection.assign(size_t(n) * 4, 0);
            glSelectBuffer(GLsizei(n * 4), selection.data());
            glRenderMode(GL_SELECT);
            glInitNames();
            glPushName(0);
            pickNames_.clear();
            RenderScene(dsPicking);
            glFlush();
            hits = glRenderMode(GL_RENDER);
        } while (hits < 0 && n < (1L << 22));

        // Hit records: name count c, minimum depth, maximum depth, c names.
        const size_t size = selection.size();
        size_t at = 0;
        const float scale = 1.0f / 2147483647.0f;
        for (GLint h = 0; h < hits && at + 3 <= size; ++h) {
            const GLuint count = selection[at];
            if (at + 3 + count > size) break;
            TPickRecord record;
            record.ZMin = float(selection[at + 1] >> 1) * scale;
            record.ZMax = float(selection[at + 2] >> 1) * scale;
            const GLuint name = count > 0 ? selection[at + 3] : 0;
            for (GLuint k = 1; k < count; ++k) record.SubObjects.push_back(int(selection[at + 3 + k]));
            at += 3 + count;
            if (name == 0 || name > pickNames_.size()) continue; // drawn outside any node
            record.AObject = pickNames_[name - 1];
            list->Add(std::move(record));
        }
        list->Sort();
    } catch (...) {
        cleanup();
        throw;
    }
    cleanup();
    return list;
}

TGLBaseSceneObject *TGLSceneBuffer::PickAt(int x, int y) {
    const std::unique_ptr<TGLPickList> list = PickInRect(QRect(QPoint(x - 1, y - 1), QPoint(x + 1, y + 1)), 64);
    return list->Count() > 0 ? list->Hit(0) : nullptr;
}
