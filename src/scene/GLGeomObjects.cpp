#include "scene/GLGeomObjects.h"

#include <GL/gl.h>
#include <GL/glu.h>


TGLAnnulus::TGLAnnulus(TComponentOwner *owner) : TGLSceneObject(owner) {}

TGLAnnulus::~TGLAnnulus() {
    if (quadric_) gluDeleteQuadric(quadric_);
}

void TGLAnnulus::BuildList(TRenderContextInfo &) {
    // The quadric object is made once, at the first drawing, and reused every frame.
    if (!quadric_) {
        quadric_ = gluNewQuadric();
        if (!quadric_) return;
        gluQuadricDrawStyle(quadric_, GLU_FILL);
        gluQuadricNormals(quadric_, GLU_SMOOTH);
        gluQuadricTexture(quadric_, GL_TRUE);
    }
    glPushMatrix();
    // The quadric's axis (z) becomes the object's y axis; the ring is centred on the origin.
    glRotatef(-90, 1, 0, 0);
    glTranslatef(0, 0, -height_ * 0.5f);
    gluQuadricOrientation(quadric_, GLU_OUTSIDE);
    if (parts_ & anOuterSides) gluCylinder(quadric_, bottomRadius_, topRadius_, height_, slices_, stacks_);
    if (parts_ & anTop) {
        glPushMatrix();
        glTranslatef(0, 0, height_);
        gluDisk(quadric_, topInnerRadius_, topRadius_, slices_, loops_);
        glPopMatrix();
    }
    if (parts_ & (anBottom | anInnerSides)) {
        gluQuadricOrientation(quadric_, GLU_INSIDE);
        if (parts_ & anBottom) gluDisk(quadric_, bottomInnerRadius_, bottomRadius_, slices_, loops_);
        if (parts_ & anInnerSides)
            gluCylinder(quadric_, bottomInnerRadius_, topInnerRadius_, height_, slices_, stacks_);
        gluQuadricOrientation(quadric_, GLU_OUTSIDE);
    }
    glPopMatrix();
}
