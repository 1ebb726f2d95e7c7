#include "scene/GLScene.h"

#include "platform/Errors.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// TGLBaseSceneObject

TGLBaseSceneObject::TGLBaseSceneObject(TComponentOwner *owner) : owner_(owner) {}

TGLBaseSceneObject::~TGLBaseSceneObject() {
    NotifyFreed();
    if (parent_) parent_->DetachChild(this, false);
    DestroyChildren();
    if (owner_) owner_->Remove(this, name_);
}

void TGLBaseSceneObject::SetName(const QString &name) {
    if (name == name_) return;
    CheckComponentName(name);
    if (owner_) {
        owner_->CheckNameFree(name, this);
        owner_->Rename(this, name_, name);
    }
    name_ = name;
}

float TGLBaseSceneObject::NormalizeAngle(float degrees) {
    if (!std::isfinite(degrees)) return 0;
    float a = std::fmod(degrees, 360.0f);
    if (a > 180) a -= 360;
    else if (a <= -180) a += 360;
    return a;
}

int TGLBaseSceneObject::ChildIndex(const TGLBaseSceneObject *node) const {
    const auto it = std::find(children_.begin(), children_.end(), node);
    return it == children_.end() ? -1 : int(it - children_.begin());
}

bool TGLBaseSceneObject::IsAncestorOrSelf(const TGLBaseSceneObject *node) const {
    for (const TGLBaseSceneObject *p = this; p; p = p->parent_)
        if (p == node) return true;
    return false;
}

void TGLBaseSceneObject::AppendChild(TGLBaseSceneObject *node) {
    if (!node) return;
    if (node->isRoot_ || IsAncestorOrSelf(node))
        throw OrvantaError(QStringLiteral("A node cannot become a child of its own subtree"));
    if (node->parent_) node->parent_->DetachChild(node, false);
    children_.push_back(node);
    node->parent_ = this;
    node->SetSceneRecursive(scene_);
    MarkTransformChanged();
    node->MarkTransformChanged();
}

void TGLBaseSceneObject::DetachChild(TGLBaseSceneObject *node, bool keepGrandchildren) {
    const int index = ChildIndex(node);
    if (index < 0) return;
    children_.erase(children_.begin() + index);
    node->parent_ = nullptr;
    if (keepGrandchildren) {
        std::vector<TGLBaseSceneObject *> grandchildren;
        grandchildren.swap(node->children_);
        for (TGLBaseSceneObject *g : grandchildren) {
            g->parent_ = this;
            children_.push_back(g);
            g->MarkTransformChanged();
        }
    }
    node->SetSceneRecursive(nullptr);
    node->MarkTransformChanged();
    NotifyChange();
}

void TGLBaseSceneObject::DestroyChildren() {
    while (!children_.empty()) delete children_.back(); // each child leaves the list itself
}

TGLBaseSceneObject *TGLBaseSceneObject::FindDescendant(const QString &name, bool directOnly) const {
    if (name.isEmpty()) return nullptr;
    TGLBaseSceneObject *direct = nullptr;
    for (TGLBaseSceneObject *c : children_)
        if (SameName(c->name_, name)) {
            direct = c;
            break;
        }
    if (!directOnly)
        for (TGLBaseSceneObject *c : children_)
            if (TGLBaseSceneObject *found = c->FindDescendant(name, false)) return found;
    return direct;
}

void TGLBaseSceneObject::SetSceneRecursive(TGLScene *scene) {
    scene_ = scene;
    for (TGLBaseSceneObject *c : children_) c->SetSceneRecursive(scene);
}

void TGLBaseSceneObject::SetPosition(const TGLCoordinates &coords) {
    position_.SetPoint(coords.X(), coords.Y(), coords.Z());
}

void TGLBaseSceneObject::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    NotifyChange();
}

void TGLBaseSceneObject::SetShowAxes(bool show) {
    if (showAxes_ == show) return;
    showAxes_ = show;
    NotifyChange();
}

void TGLBaseSceneObject::SetObjectsSorting(TGLObjectsSorting mode) {
    if (objectsSorting_ == mode) return;
    objectsSorting_ = mode;
    NotifyChange();
}

void TGLBaseSceneObject::SetVisibilityCulling(TGLVisibilityCulling mode) {
    if (visibilityCulling_ == mode) return;
    visibilityCulling_ = mode;
    NotifyChange();
}

// ----- orientation

void TGLBaseSceneObject::OrthoFix(TVector4f &dir, TVector4f &up, bool directionLeads) {
    TVector4f &lead = directionLeads ? dir : up;
    if (lead.X == 0 && lead.Y == 0 && lead.Z == 0)
        lead = directionLeads ? TVector4f{0, 0, 1, 0} : TVector4f{0, 1, 0, 0};
    lead = VectorNormalize(lead);
    TVector4f right = VectorCross(dir, up);
    if (VectorLength(right) < 0.00001f) {
        right = VectorCross(TVector4f{0, 0, 1, 0}, up);
        if (VectorLength(right) < 0.00001f) right = VectorCross(TVector4f{1, 0, 0, 0}, up);
    }
    if (directionLeads) up = VectorNormalize(VectorCross(right, dir));
    else dir = VectorNormalize(VectorCross(up, right));
}

void TGLBaseSceneObject::FixDirection() {
    TVector4f d = direction_.AsVector(), u = up_.AsVector();
    OrthoFix(d, u, true);
    direction_.SetSilently(d);
    up_.SetSilently(u);
}

void TGLBaseSceneObject::FixUp() {
    TVector4f d = direction_.AsVector(), u = up_.AsVector();
    OrthoFix(d, u, false);
    direction_.SetSilently(d);
    up_.SetSilently(u);
}

void TGLBaseSceneObject::CoordinatesChanged(TGLCoordinates *sender) {
    if ((sender == &direction_ || sender == &up_) && !fixingOrientation_) {
        fixingOrientation_ = true;
        if (sender == &direction_) FixDirection();
        else FixUp();
        fixingOrientation_ = false;
    }
    MarkTransformChanged();
}

// ----- transforms

void TGLBaseSceneObject::RebuildLocal() {
    const TVector4f dir = direction_.AsVector(), up = up_.AsVector();
    const TVector4f left = VectorCross(up, dir);
    const float sx = scale_.X(), sy = scale_.Y(), sz = scale_.Z();
    local_.m[0][0] = left.X * sx; local_.m[0][1] = left.Y * sx; local_.m[0][2] = left.Z * sx; local_.m[0][3] = 0;
    local_.m[1][0] = up.X * sy;   local_.m[1][1] = up.Y * sy;   local_.m[1][2] = up.Z * sy;   local_.m[1][3] = 0;
    local_.m[2][0] = dir.X * sz;  local_.m[2][1] = dir.Y * sz;  local_.m[2][2] = dir.Z * sz;  local_.m[2][3] = 0;
    local_.m[3][0] = position_.X(); local_.m[3][1] = position_.Y(); local_.m[3][2] = position_.Z(); local_.m[3][3] = 1;
    transformChanged_ = false;
    worldStale_ = true;
    inverseStale_ = true;
}

const TMatrix4f &TGLBaseSceneObject::LocalTransform() {
    if (transformChanged_) RebuildLocal();
    return local_;
}

const TMatrix4f &TGLBaseSceneObject::WorldTransform() {
    const TMatrix4f &local = LocalTransform();
    if (worldStale_) {
        if (!parent_ || parent_->isRoot_) world_ = local;
        else world_ = MatrixMultiply(local, parent_->WorldTransform());
        worldStale_ = false;
    }
    return world_;
}

const TMatrix4f &TGLBaseSceneObject::InverseWorldTransform() {
    const TMatrix4f &local = LocalTransform();
    if (inverseStale_) {
        if (scale_.X() == 1 && scale_.Y() == 1 && scale_.Z() == 1) {
            const TMatrix4f rigid = MatrixRigidInverse(local);
            if (!parent_ || parent_->isRoot_) inverseWorld_ = rigid;
            else inverseWorld_ = MatrixMultiply(parent_->InverseWorldTransform(), rigid);
        } else {
            inverseWorld_ = MatrixInvert(WorldTransform());
        }
        inverseStale_ = false;
    }
    return inverseWorld_;
}

TVector4f TGLBaseSceneObject::WorldPosition() {
    const TMatrix4f &w = WorldTransform();
    return {w.m[3][0], w.m[3][1], w.m[3][2], 1};
}

void TGLBaseSceneObject::MarkWorldStale() {
    if (worldStale_ && inverseStale_) return; // its whole subtree is marked already
    worldStale_ = true;
    inverseStale_ = true;
    for (TGLBaseSceneObject *c : children_) c->MarkWorldStale();
}

void TGLBaseSceneObject::MarkTransformChanged() {
    transformChanged_ = true;
    if (!(worldStale_ && inverseStale_)) {
        worldStale_ = inverseStale_ = true;
        for (TGLBaseSceneObject *c : children_) c->MarkWorldStale();
    }
    if (scene_ && !scene_->IsLoading()) scene_->NotifyChange(this);
}

void TGLBaseSceneObject::MarkStructureChanged() {
    structureChanged_ = true;
    NotifyChange();
}

void TGLBaseSceneObject::NotifyChange() {
    if (scene_) scene_->NotifyChange(this);
}

void TGLBaseSceneObject::DoProgress(double, double) {}

// ----- drawing

void TGLBaseSceneObject::BuildList(TRenderContextInfo &) {}

void TGLBaseSceneObject::DrawSelf(TRenderContextInfo &rci) { BuildList(rci); }

void TGLBaseSceneObject::Render(TRenderContextInfo &rci) {
    // Culling: the effective mode is passed down like the sorting mode. Every mode draws the
    // node and its children; the program never enables culling.
    const TGLVisibilityCulling savedCulling = rci.visibilityCulling;
    if (visibilityCulling_ != vcInherited) rci.visibilityCulling = visibilityCulling_;

    glPushMatrix();
    glMultMatrixf(LocalTransform().Data());
    if (rci.drawState == dsPicking && rci.pickNames) {
        rci.pickNames->push_back(this);
        glLoadName(GLuint(rci.pickNames->size()));
    }
    DrawSelf(rci);
    if (!children_.empty()) RenderChildren(rci);
    glPopMatrix();

    rci.visibilityCulling = savedCulling;
}

void TGLBaseSceneObject::RenderChildren(TRenderContextInfo &rci) {
    const TGLObjectsSorting saved = rci.objectsSorting;
    const TGLObjectsSorting mode = objectsSorting_ == osInherited ? saved : objectsSorting_;
    rci.objectsSorting = mode;

    if (children_.size() == 1) {
        if (children_[0]->visible_) children_[0]->Render(rci);
    } else if (rci.sortScratch &&
               (mode == osRenderFarthestFirst || mode == osRenderNearestFirst || mode == osRenderBlendedLast)) {
        std::vector<RenderSortEntry> &scratch = *rci.sortScratch;
        const size_t start = scratch.size();
        for (size_t i = 0; i < children_.size(); ++i) {
            TGLBaseSceneObject *c = children_[i];
            if (!c->visible_) continue;
            if (mode == osRenderBlendedLast && !c->IsBlended()) {
                c->Render(rci);
                continue;
            }
            scratch.push_back({VectorDistance2(c->Barycenter(), rci.cameraPosition), c});
        }
        if (mode == osRenderNearestFirst)
            std::sort(scratch.begin() + long(start), scratch.end(),
                      [](const RenderSortEntry &a, const RenderSortEntry &b) { return a.distance2 < b.distance2; });
        else
            std::sort(scratch.begin() + long(start), scratch.end(),
                      [](const RenderSortEntry &a, const RenderSortEntry &b) { return a.distance2 > b.distance2; });
        // Nested children append after our range; index access stays valid if the vector grows.
        const size_t end = scratch.size();
        for (size_t i = start; i < end; ++i) scratch[i].node->Render(rci);
        scratch.resize(start);
    } else {
        for (size_t i = 0; i < children_.size(); ++i)
            if (children_[i]->visible_) children_[i]->Render(rci);
    }
    rci.objectsSorting = saved;
}

// ---------------------------------------------------------------------------------------------
// TGLCustomSceneObject and friends

TGLCustomSceneObject::TGLCustomSceneObject(TComponentOwner *owner)
    : TGLBaseSceneObject(owner), material_(std::make_unique<TGLMaterial>(this)) {}

TGLCustomSceneObject::~TGLCustomSceneObject() = default;

void TGLCustomSceneObject::DrawSelf(TRenderContextInfo &rci) {
    if (rci.drawState == dsPicking) {
        BuildList(rci);
        return;
    }
    material_->Apply(rci);
    int passes = 0;
    do {
        BuildList(rci);
    } while (material_->Unapply(rci) && ++passes < 16);
}

void TGLCameraInvariantObject::SetCamInvarianceMode(TGLCameraInvarianceMode mode) {
    if (camInvarianceMode_ == mode) return;
    camInvarianceMode_ = mode;
    NotifyChange();
}

TGLSceneRootObject::TGLSceneRootObject(TGLScene *scene, TComponentOwner *owner) : TGLBaseSceneObject(owner) {
    isRoot_ = true;
    SetSceneRecursive(scene);
}

// ---------------------------------------------------------------------------------------------
// TGLScene

TGLScene::TGLScene(TComponentOwner *owner)
    : objects_(std::make_unique<TGLSceneRootObject>(this, owner)),
      cameras_(std::make_unique<TGLSceneRootObject>(this, owner)) {}

TGLScene::~TGLScene() {
    NotifyFreed();
    listeners_.clear();
    currentCamera_ = nullptr;
    objects_->DestroyChildren();
    cameras_->DestroyChildren();
}

TGLBaseSceneObject *TGLScene::FindObject(const QString &name) const {
    if (TGLBaseSceneObject *found = objects_->FindDescendant(name, false)) return found;
    return cameras_->FindDescendant(name, false);
}

void TGLScene::EndLoading() {
    if (loading_ > 0) --loading_;
    if (loading_ == 0) NotifyChange(nullptr);
}

void TGLScene::AddChangeListener(ChangeListener *listener) {
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void TGLScene::RemoveChangeListener(ChangeListener *listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void TGLScene::NotifyChange(TGLBaseSceneObject *) {
    if (loading_ > 0) return;
    for (size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->SceneChanged();
}

void TGLScene::ProgressTree(TGLBaseSceneObject *node, double deltaTime, double newTime) {
    node->DoProgress(deltaTime, newTime);
    for (int i = 0; i < node->ChildCount(); ++i) ProgressTree(node->GetChild(i), deltaTime, newTime);
}

void TGLScene::Progress(double deltaTime, double newTime) {
    ProgressTree(objects_.get(), deltaTime, newTime);
    ProgressTree(cameras_.get(), deltaTime, newTime);
}
