#pragma once
// TGLContext: the rendering context a buffer draws with. A nesting count of Activate calls,
// with the errors of unbalanced use. The window-system part (making the context current,
// swapping) is done by a subclass: the viewer's context wraps its QOpenGLWidget.
// TGLCapabilities: what the current OpenGL implementation offers, read once per context.

#include <QOpenGLContext>
#include <QPointer>

struct TGLCapabilities {
    int majorVersion = 0;
    int minorVersion = 0;
    bool edgeClamp = false;       // GL_CLAMP_TO_EDGE (1.2 or the extension)
    bool generateMipmap = false;  // automatic mipmap generation for 2D textures (1.4 or SGIS)
    bool anisotropic = false;     // GL_EXT_texture_filter_anisotropic
    int maxTextureSize = 64;
    float maxAnisotropy = 1;
    bool AtLeast(int major, int minor) const {
        return majorVersion > major || (majorVersion == major && minorVersion >= minor);
    }
    // Of the current context (read on first use per context); zeros without a current context.
    static const TGLCapabilities &Current();
};

class TGLContext {
public:
    TGLContext() = default;
    virtual ~TGLContext() = default;
    TGLContext(const TGLContext &) = delete;
    TGLContext &operator=(const TGLContext &) = delete;

    // Raises "Context not created" when there is no context, "Context activation failed: %X, %s"
    // when it cannot be made current, and "Need at least OpenGL version 1.1" on older ones.
    void Activate();
    // Raises "Unbalanced context activations" when called more often than Activate.
    void Deactivate();
    bool Active() const { return activations_ > 0; }
    virtual void SwapBuffers() {}
    virtual bool IsValid() const = 0;
    // The Qt context behind this one (for texture ownership); null when none.
    virtual QOpenGLContext *NativeContext() const = 0;

    // Requested buffer layout.
    int ColorBits = 24;
    int DepthBits = 24;
    int StencilBits = 0;
    int AlphaBits = 0;
    bool DoubleBuffered = true;

protected:
    virtual bool DoActivate() = 0;
    virtual void DoDeactivate() = 0;

private:
    int activations_ = 0;
};

// Texture names whose texture was destroyed while its context was not current; deleted the
// next time that context is activated.
void QueueOrphanTexture(QOpenGLContext *context, unsigned name);
void DeleteOrphanTextures(QOpenGLContext *context);
