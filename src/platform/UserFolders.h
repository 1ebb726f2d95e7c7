#pragma once
// Where Orvanta's per-user files live on Linux, and where the program itself is.
// Every path is read from the environment at the moment of the call, so tests can redirect it.

#include <QString>

namespace platform {

// Full path of the running executable (/proc/self/exe).
QString ProgramFilePath();

// $XDG_CONFIG_HOME, else $HOME/.config; empty when neither gives an absolute path.
QString ConfigHome();

// The roaming application-data folder: $XDG_DATA_HOME, else $HOME/.local/share; empty when
// neither gives an absolute path. Never created here.
QString RoamingAppDataPath();

// Orvanta's own folder in the configuration home: ConfigHome() + "/Tamsorel/Orvanta" (no
// trailing slash); empty when ConfigHome() is.
QString OrvantaConfigFolder();

// The per-user private runtime folder for sockets and locks: $XDG_RUNTIME_DIR when it is an
// absolute path, else the temporary folder.
QString RuntimeFolder();

} // namespace platform
