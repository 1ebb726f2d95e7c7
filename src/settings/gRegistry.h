#pragma once
// The four registry operations. Each call opens its own handle on the store, does one thing and
// closes it again. The last argument selects the local-machine root; every caller passes false.
//
// A key that cannot be opened or created is silent: reads give "", deletions give false and
// writes write nothing. A write refused after the key was opened raises OrvantaError.

#include <QString>

// Registry key paths of Orvanta.
inline const QString kRegKeyScreen = QStringLiteral("\\SoftWare\\Tamsorel\\Orvanta\\S");
inline const QString kRegKeyValues = QStringLiteral("\\SoftWare\\Tamsorel\\Orvanta\\V");
inline const QString kRegKeyParams = QStringLiteral("\\SoftWare\\Tamsorel\\Orvanta\\V\\Prm");
inline const QString kRegKeyRun = QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");

void RegWriteString(const QString &keyPath, const QString &name, const QString &value,
                    bool localMachine = false);
QString RegReadString(const QString &keyPath, const QString &name, bool localMachine = false);
bool RegDeleteValue(const QString &keyPath, const QString &name, bool localMachine = false);
bool RegDeleteKey(const QString &keyPath, bool localMachine = false);
