#pragma once
// The scene tree.
//   TGLBaseSceneObject        the node: name, tag, parent, ordered children, Position, Direction,
//                             Up, Scale, Visible, lazily rebuilt local and world transforms
//   TGLCustomSceneObject      adds Material and Hint
//   TGLImmaterialSceneObject  draws its geometry without applying a material
//   TGLCameraInvariantObject  adds CamInvarianceMode (cimNone only)
//   TGLSceneObject            draws its geometry with its material
//   TGLSceneRootObject        the objects root and cameras root of a scene
//   TGLScene                  owns both roots; FindObject; forwards change notices to buffers
// Dummy cubes and planes are in GLObjects.h, the camera in GLCamera.h.

#include "scene/GLComponents.h"
#include "scene/GLCoordinates.h"
#include "scene/GLMaterial.h"
#include "scene/GLRenderContext.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class TGLScene;

class TGLBaseSceneObject : public CoordinatesOwner, public FreeNotifier {
public:
    explicit TGLBaseSceneObject(TComponentOwner *owner = nullptr);
    virtual ~TGLBaseSceneObject();
    TGLBaseSceneObject(const TGLBaseSceneObject &) = delete;
    TGLBaseSceneObject &operator=(const TGLBaseSceneObject &) = delete;

    // Identity
    const QString &Name() const { return name_; }
    void SetName(const QString &name);
    int32_t Tag() const { return tag_; }
    void SetTag(int32_t tag) { tag_ = tag; }
    float TagFloat() const { return tagFloat_; }
    void SetTagFloat(float value) { tagFloat_ = value; }
    TComponentOwner *Owner() const { return owner_; }

    // Tree
    TGLBaseSceneObject *Parent() const { return parent_; }
    TGLScene *Scene() const { return scene_; }
    int ChildCount() const { return int(children_.size()); }
    TGLBaseSceneObject *GetChild(int i) const { return children_[size_t(i)]; }
    int ChildIndex(const TGLBaseSceneObject *node) const;
    template <class T> T *CreateChild() {
        T *child = new T(owner_);
        AppendChild(child);
        return child;
    }
    // Takes ownership. A node that stands in another list leaves it first; a node cannot become
    // a child of itself or of its own subtree.
    void AppendChild(TGLBaseSceneObject *node);
    void DetachChild(TGLBaseSceneObject *node, bool keepGrandchildren);
    void DestroyChildren();
    TGLBaseSceneObject *FindDescendant(const QString &name, bool directOnly = false) const;

    // Placement
    TGLCoordinates &Position() { return position_; }
    TGLCoordinates &Direction() { return direction_; }
    TGLCoordinates &Up() { return up_; }
    TGLCoordinates &Scale() { return scale_; }
    const TGLCoordinates &Position() const { return position_; }
    const TGLCoordinates &Direction() const { return direction_; }
    const TGLCoordinates &Up() const { return up_; }
    const TGLCoordinates &Scale() const { return scale_; }
    void SetPosition(const TGLCoordinates &coords);
    float PitchAngle() const { return pitchAngle_; }
    float TurnAngle() const { return turnAngle_; }
    float RollAngle() const { return rollAngle_; }
    // Recorded angles, normalised to (-180, 180]; the orientation comes from Direction and Up.
    void SetPitchAngle(float degrees) { pitchAngle_ = NormalizeAngle(degrees); }
    void SetTurnAngle(float degrees) { turnAngle_ = NormalizeAngle(degrees); }
    void SetRollAngle(float degrees) { rollAngle_ = NormalizeAngle(degrees); }
    static float NormalizeAngle(float degrees);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool ShowAxes() const { return showAxes_; }
    void SetShowAxes(bool show);
    TGLObjectsSorting ObjectsSorting() const { return objectsSorting_; }
    void SetObjectsSorting(TGLObjectsSorting mode);
    TGLVisibilityCulling VisibilityCulling() const { return visibilityCulling_; }
    void SetVisibilityCulling(TGLVisibilityCulling mode);

    // Transforms, rebuilt on demand
    const TMatrix4f &LocalTransform();
    const TMatrix4f &WorldTransform();
    const TMatrix4f &InverseWorldTransform();
    TVector4f WorldPosition();

    void MarkTransformChanged();
    void MarkStructureChanged();
    // Sets a shape field; a real change rebuilds the object's geometry.
    template <class T> void SetStructureField(T &field, T value) {
        if (field == value) return;
        field = value;
        MarkStructureChanged();
    }
    // Forwards a change notice to the scene (which tells its buffers to draw again).
    void NotifyChange();

    // Extent and centre
    virtual TVector4f HalfExtents() const { return {0.5f, 0.5f, 0.5f, 0}; }
    float BoundingRadius() const { return VectorLength(HalfExtents()); }
    virtual TVector4f Barycenter() { return WorldPosition(); }

    // Drawing
    void Render(TRenderContextInfo &rci);
    void RenderChildren(TRenderContextInfo &rci);
    // Whether the node's material blends (drawn last under osRenderBlendedLast).
    virtual bool IsBlended() const { return false; }
    // Per-step progression by the cadencer; nothing for the nodes of this file.
    virtual void DoProgress(double deltaTime, double newTime);

    // The structure-changed mark: set at creation and by MarkStructureChanged, cleared by whoever
    // rebuilds cached geometry.
    bool StructureChanged() const { return structureChanged_; }
    void ClearStructureChanged() { structureChanged_ = false; }

protected:
    // Draws the node's own geometry in its local frame (material handling around it is done by
    // DrawSelf). The default draws nothing.
    virtual void BuildList(TRenderContextInfo &rci);
    // Draws the node itself: base nodes and immaterial nodes just call BuildList.
    virtual void DrawSelf(TRenderContextInfo &rci);
    void CoordinatesChanged(TGLCoordinates *sender) override;

private:
    void SetSceneRecursive(TGLScene *scene);
    void MarkWorldStale();
    void RebuildLocal();
    void FixDirection();
    void FixUp();
    static void OrthoFix(TVector4f &dir, TVector4f &up, bool directionLeads);
    bool IsAncestorOrSelf(const TGLBaseSceneObject *node) const;

    TComponentOwner *owner_;
    QString name_;
    int32_t tag_ = 0;
    float tagFloat_ = 0;
    TGLBaseSceneObject *parent_ = nullptr;
    TGLScene *scene_ = nullptr;
    std::vector<TGLBaseSceneObject *> children_;
    TGLCoordinates position_{this, 0, 0, 0, 1};
    TGLCoordinates direction_{this, 0, 0, 1, 0};
    TGLCoordinates up_{this, 0, 1, 0, 0};
    TGLCoordinates scale_{this, 1, 1, 1, 0};
    float pitchAngle_ = 0, turnAngle_ = 0, rollAngle_ = 0;
    bool visible_ = true;
    bool showAxes_ = false;
    TGLObjectsSorting objectsSorting_ = osInherited;
    TGLVisibilityCulling visibilityCulling_ = vcInherited;
    TMatrix4f local_;
    TMatrix4f world_;
    TMatrix4f inverseWorld_;
    bool transformChanged_ = true;
    bool worldStale_ = true;
    bool inverseStale_ = true;
    bool structureChanged_ = true;
    bool fixingOrientation_ = false;
    bool isRoot_ = false;
    friend class TGLScene;
    friend class TGLSceneRootObject;
};

class TGLCustomSceneObject : public TGLBaseSceneObject, public MaterialChangeListener {
public:
    explicit TGLCustomSceneObject(TComponentOwner *owner = nullptr);
    ~TGLCustomSceneObject() override;
    TGLMaterial &Material() { return *material_; }
    const TGLMaterial &Material() const { return *material_; }
    const QString &Hint() const { return hint_; }
    void SetHint(const QString &hint) { hint_ = hint; }
    bool IsBlended() const override { return material_->Blended(); }

protected:
    // Applies the material, draws the geometry, and repeats while the material asks for
    // another pass. A picking pass draws the geometry once, without the material.
    void DrawSelf(TRenderContextInfo &rci) override;

private:
    void MaterialChanged() override { NotifyChange(); }
    std::unique_ptr<TGLMaterial> material_;
    QString hint_;
};

class TGLImmaterialSceneObject : public TGLCustomSceneObject {
public:
    using TGLCustomSceneObject::TGLCustomSceneObject;
    bool IsBlended() const override { return false; }

protected:
    void DrawSelf(TRenderContextInfo &rci) override { BuildList(rci); }
};

enum TGLCameraInvarianceMode { cimNone, cimPosition, cimOrientation };

class TGLCameraInvariantObject : public TGLImmaterialSceneObject {
public:
    using TGLImmaterialSceneObject::TGLImmaterialSceneObject;
    TGLCameraInvarianceMode CamInvarianceMode() const { return camInvarianceMode_; }
    void SetCamInvarianceMode(TGLCameraInvarianceMode mode);

private:
    TGLCameraInvarianceMode camInvarianceMode_ = cimNone;
};

class TGLSceneObject : public TGLCustomSceneObject {
public:
    using TGLCustomSceneObject::TGLCustomSceneObject;
};

class TGLSceneRootObject : public TGLBaseSceneObject {
public:
    // The roots bear no name; nodes made with CreateChild on them get the scene's owner.
    TGLSceneRootObject(TGLScene *scene, TComponentOwner *owner);
};

class TGLScene : public FreeNotifier {
public:
    // Notices go to every listener (the buffers that draw this scene).
    class ChangeListener {
    public:
        virtual void SceneChanged() = 0;

    protected:
        ~ChangeListener() = default;
    };

    // owner: the window whose component names the scene's nodes share (none: no name checks).
    explicit TGLScene(TComponentOwner *owner = nullptr);
    ~TGLScene();
    TGLScene(const TGLScene &) = delete;
    TGLScene &operator=(const TGLScene &) = delete;

    TGLSceneRootObject *Objects() const { return objects_.get(); }
    TGLSceneRootObject *Cameras() const { return cameras_.get(); }
    TGLBaseSceneObject *FindObject(const QString &name) const;

    // While loading, transform marks do not send change notices.
    void BeginLoading() { ++loading_; }
    void EndLoading();
    bool IsLoading() const { return loading_ > 0; }

    void AddChangeListener(ChangeListener *listener);
    void RemoveChangeListener(ChangeListener *listener);
    void NotifyChange(TGLBaseSceneObject *sender);

    // The camera of the last pass (set by the buffer that draws through it).
    TGLCamera *CurrentCamera() const { return currentCamera_; }
    void SetCurrentCamera(TGLCamera *camera) { currentCamera_ = camera; }

    // Lets every node of both roots progress (cadencer step).
    void Progress(double deltaTime, double newTime);

private:
    static void ProgressTree(TGLBaseSceneObject *node, double deltaTime, double newTime);

    std::unique_ptr<TGLSceneRootObject> objects_;
    std::unique_ptr<TGLSceneRootObject> cameras_;
    std::vector<ChangeListener *> listeners_;
    TGLCamera *currentCamera_ = nullptr;
    int loading_ = 0;
};
