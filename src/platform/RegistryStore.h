#pragma once
// The per-user store behind the registry operations: an INI file read and written through
// QSettings, one QSettings object per operation.
//
// Key paths are backslash-separated and absolute ("\SoftWare\Tamsorel\Orvanta\V"); key paths and
// value names are folded to ASCII lower case, so they compare without regard to case. A key
// exists once something created it (a write, or a read or value deletion under it) until it is
// deleted. The logon entry (value "Orvanta" of the Run key) is the XDG autostart file instead.
//
// Current user: $XDG_CONFIG_HOME/Tamsorel/Orvanta/registry.ini. Local machine: the read-only
// /etc/xdg/Tamsorel/Orvanta/registry.ini (writes are refused as if the key could not be opened).
// QSettings locks the file and replaces it atomically, so concurrent processes never lose each
// other's writes; a file that cannot be parsed reads as empty and is set aside on the next write.

#include <QString>

namespace platform {

enum class RegistryRoot { CurrentUser, LocalMachine };

enum class RegistryWriteResult {
    Written,
    KeyNotOpened,  // the store cannot be opened or created: nothing was written
    WriteRefused,  // the store was open but the write did not reach the disk
};

class RegistryStore {
public:
    static RegistryWriteResult Write(RegistryRoot root, const QString &keyPath, const QString &name,
                                     const QString &value);
    // The value's text, or empty when it does not exist. Creates the key when it is missing.
    static QString Read(RegistryRoot root, const QString &keyPath, const QString &name);
    // Deletes the value; true when it existed and its removal reached the disk.
    // Creates the key when it is missing.
    static bool DeleteValue(RegistryRoot root, const QString &keyPath, const QString &name);
    // Deletes the key with all its sub-keys and values; true when it existed and is gone.
    static bool DeleteKey(RegistryRoot root, const QString &keyPath);
    static bool KeyExists(RegistryRoot root, const QString &keyPath);

    // The file behind a root (for tests and the about box).
    static QString StoreFile(RegistryRoot root);
    // The autostart entry that stands for the Run key's "Orvanta" value.
    static QString AutostartFile();

    // "\SoftWare\Tamsorel" -> "software/tamsorel"; empty parts dropped.
    static QString NormalizeKeyPath(const QString &keyPath);
};

} // namespace platform
