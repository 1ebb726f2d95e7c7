#include "settings/gRegistry.h"

#include "platform/Errors.h"
#include "platform/RegistryStore.h"

using platform::RegistryRoot;
using platform::RegistryStore;
using platform::RegistryWriteResult;

namespace {
RegistryRoot RootOf(bool localMachine) {
    return localMachine ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser;
}
} // namespace

void RegWriteString(const QString &keyPath, const QString &name, const QString &value,
                    bool localMachine) {
    if (RegistryStore::Write(RootOf(localMachine), keyPath, name, value) ==
        RegistryWriteResult::WriteRefused)
        throw OrvantaError(QStringLiteral("Failed to set data for '%1'").arg(name));
}

QString RegReadString(const QString &keyPath, const QString &name, bool localMachine) {
    return RegistryStore::Read(RootOf(localMachine), keyPath, name);
}

bool RegDeleteValue(const QString &keyPath, const QString &name, bool localMachine) {
    return RegistryStore::DeleteValue(RootOf(localMachine), keyPath, name);
}

bool RegDeleteKey(const QString &keyPath, bool localMachine) {
    return RegistryStore::DeleteKey(RootOf(localMachine), keyPath);
}
