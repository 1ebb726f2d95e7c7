#include "scene/GLContext.h"

#include "platform/Errors.h"

#include <GL/gl.h>

#include <QHash>
#include <cstdio>
#include <cstring>
#include <vector>

#ifndef GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT
#define GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT 0x84FF
#endif

namespace {

QHash<QOpenGLContext *, TGLCapabilities> &CapabilityCache() {
    static QHash<QOpenGLContext *, TGLCapabilities> cache;
    return cache;
}

QHash<QOpenGLContext *, std::vector<unsigned>> &Orphans() {
    static QHash<QOpenGLContext *, std::vector<unsigned>> orphans;
    return orphans;
}

bool HasExtension(const char *extensions, const char *name) {
    if (!extensions) return false;
    const size_t len = std::strlen(name);
    for (const char *p = std::strstr(extensions, name); p; p = std::strstr(p + 1, name))
        if ((p == extensions || p[-1] == ' ') && (p[len] == ' ' || p[len] == '\0')) return true;
    return false;
}

TGLCapabilities ReadCapabilities() {
    TGLCapabilities caps;
    const char *version = reinterpret_cast<const char *>(glGetString(GL_VERSION));
    if (!version) return caps;
    std::sscanf(version, "%d.%d", &caps.majorVersion, &caps.minorVersion);
    QOpenGLContext *ctx = QOpenGLContext::currentContext();
    const char *ext = caps.AtLeast(3, 0) ? nullptr : reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
    auto has = [&](const char *name) { return ctx ? ctx->hasExtension(name) : HasExtension(ext, name); };
    caps.edgeClamp = caps.AtLeast(1, 2) || has("GL_EXT_texture_edge_clamp") || has("GL_SGIS_texture_edge_clamp");
    caps.generateMipmap = caps.AtLeast(1, 4) || has("GL_SGIS_generate_mipmap");
    caps.anisotropic = has("GL_EXT_texture_filter_anisotropic") || has("GL_ARB_texture_filter_anisotropic");
    GLint maxSize = 64;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    caps.maxTextureSize = maxSize > 0 ? maxSize : 64;
    if (caps.anisotropic) glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &caps.maxAnisotropy);
    while (glGetError() != GL_NO_ERROR) {
    }
    return caps;
}

} // namespace

const TGLCapabilities &TGLCapabilities::Current() {
    static const TGLCapabilities none;
    QOpenGLContext *ctx = QOpenGLContext::currentContext();
    if (!ctx) return none;
    auto &cache = CapabilityCache();
    auto it = cache.find(ctx);
    if (it == cache.end()) {
        it = cache.insert(ctx, ReadCapabilities());
        QObject::connect(ctx, &QOpenGLContext::aboutToBeDestroyed, [ctx]() {
            CapabilityCache().remove(ctx);
            Orphans().remove(ctx);
        });
    }
    return it.value();
}

void TGLContext::Activate() {
    if (activations_ == 0) {
        if (!IsValid()) throw OrvantaError(QStringLiteral("Context not created"));
        if (!DoActivate())
            throw OrvantaError(QStringLiteral("Context activation failed: %1, %2")
                                   .arg(QString::number(glGetError(), 16).toUpper(), QStringLiteral("cannot make the context current")));
        if (!TGLCapabilities::Current().AtLeast(1, 1)) {
            DoDeactivate();
            throw OrvantaError(QStringLiteral("Need at least OpenGL version 1.1"));
        }
        DeleteOrphanTextures(NativeContext());
    }
    ++activations_;
}

void TGLContext::Deactivate() {
    if (activations_ <= 0) throw OrvantaError(QStringLiteral("Unbalanced context activations"));
    if (--activations_ == 0) DoDeactivate();
}

void QueueOrphanTexture(QOpenGLContext *context, unsigned name) {
    if (context && name) Orphans()[context].push_back(name);
}

void DeleteOrphanTextures(QOpenGLContext *context) {
    auto it = Orphans().find(context);
    if (it == Orphans().end() || QOpenGLContext::currentContext() != context) return;
    std::vector<unsigned> names = std::move(it.value());
    Orphans().erase(it);
    if (!names.empty()) glDeleteTextures(GLsizei(names.size()), names.data());
}
