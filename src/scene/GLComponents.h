#pragma once
// Component names and free notices shared by the scene layer.
//  - TComponentOwner: the owning window's list of component names. Names are unique within one
//    owner, compared without regard to ASCII letter case; the empty name is never listed.
//  - FreeNotifier / FreeListener: an object tells its listeners when it is destroyed, so that
//    whoever refers to it (a camera to its target, a buffer to its camera) forgets it.

#include <QHash>
#include <QString>
#include <vector>

class TComponentOwner {
public:
    TComponentOwner() = default;
    TComponentOwner(const TComponentOwner &) = delete;
    TComponentOwner &operator=(const TComponentOwner &) = delete;

    // Raises "A component named %s already exists" when another component holds the name.
    void CheckNameFree(const QString &name, const void *component) const;
    bool IsNameTaken(const QString &name, const void *except = nullptr) const;
    // Lists the component under its new name (and forgets the old one).
    void Rename(const void *component, const QString &oldName, const QString &newName);
    void Remove(const void *component, const QString &name);
    // Names of other components (menu entries, timers) that nodes must not take.
    void Reserve(const QString &name, const void *component) { Rename(component, QString(), name); }
    int Count() const { return int(names_.size()); }

private:
    QHash<QString, const void *> names_;
};

// Raises "''%s'' is not a valid component name" unless the text is empty or an identifier
// (ASCII letters, digits and underscores, not starting with a digit).
void CheckComponentName(const QString &name);
bool IsValidComponentName(const QString &name);
// ASCII-only lower case, used for comparing names.
QString FoldName(const QString &name);
bool SameName(const QString &a, const QString &b);

class FreeNotifier;

class FreeListener {
public:
    virtual void ObjectFreed(FreeNotifier *object) = 0;

protected:
    ~FreeListener() = default;
};

class FreeNotifier {
public:
    FreeNotifier() = default;
    FreeNotifier(const FreeNotifier &) = delete;
    FreeNotifier &operator=(const FreeNotifier &) = delete;
    void AddFreeListener(FreeListener *listener);
    void RemoveFreeListener(FreeListener *listener);

protected:
    ~FreeNotifier();
    // Tells every listener now; the destructor does it for whoever is still listed.
    void NotifyFreed();

private:
    std::vector<FreeListener *> listeners_;
};
