#include "scene/GLComponents.h"

#include "platform/Errors.h"

#include <algorithm>

QString FoldName(const QString &name) {
    QString folded = name;
    for (QChar &c : folded) {
        const char16_t u = c.unicode();
        if (u >= 'A' && u <= 'Z') c = QChar(char16_t(u + 32));
    }
    return folded;
}

bool SameName(const QString &a, const QString &b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= 'A' && x <= 'Z') x = char16_t(x + 32);
        if (y >= 'A' && y <= 'Z') y = char16_t(y + 32);
        if (x != y) return false;
    }
    return true;
}

bool IsValidComponentName(const QString &name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

void CheckComponentName(const QString &name) {
    if (!IsValidComponentName(name))
        throw OrvantaError(QStringLiteral("''%1'' is not a valid component name").arg(name));
}

bool TComponentOwner::IsNameTaken(const QString &name, const void *except) const {
    if (name.isEmpty()) return false;
    const auto it = names_.constFind(FoldName(name));
    return it != names_.constEnd() && it.value() != except;
}

void TComponentOwner::CheckNameFree(const QString &name, const void *component) const {
    if (IsNameTaken(name, component))
        throw OrvantaError(QStringLiteral("A component named %1 already exists").arg(name));
}

void TComponentOwner::Rename(const void *component, const QString &oldName, const QString &newName) {
    Remove(component, oldName);
    if (!newName.isEmpty()) names_.insert(FoldName(newName), component);
}

void TComponentOwner::Remove(const void *component, const QString &name) {
    if (name.isEmpty()) return;
    const auto it = names_.find(FoldName(name));
    if (it != names_.end() && it.value() == component) names_.erase(it);
}

void FreeNotifier::AddFreeListener(FreeListener *listener) {
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void FreeNotifier::RemoveFreeListener(FreeListener *listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void FreeNotifier::NotifyFreed() {
    // A listener may unlist itself (or others) while it is told; work on a copy.
    const std::vector<FreeListener *> listeners = std::move(listeners_);
    listeners_.clear();
    for (FreeListener *l : listeners) l->ObjectFreed(this);
}

FreeNotifier::~FreeNotifier() { NotifyFreed(); }
