#pragma once
// The program entry: records the command line in the hand-off key, fixes the program and data
// folders, hands over to a running instance or becomes the running instance itself.

#include <QString>
#include <QStringList>

// Globals fixed at start-up, each with a trailing "/".
extern QString ProgramFolder;
extern QString AppDataFolder;
// The arguments the process was started with (without the program path), as received.
extern QStringList ProgramParams;

// Deletes the hand-off key, then writes "Count" and "F1".."Fn" when there are arguments.
void StoreParamsInRegistry();

// Creates AppDataFolder with its parents; false when the data folder cannot be named or made.
bool EstablishAppDataFolder();

// The whole program: returns the process exit code.
int RunProgram(int argc, char **argv);
