#ifndef LAUNCHFOLDER_H
#define LAUNCHFOLDER_H

#include <string>

// The folder the player started the game from. The launchers run the game in its data folder,
// so they name the caller's folder in DEADACRE_CALLER_DIR; files the player names on the command
// line are found from there, as they would be by any other program.
class LaunchFolder {
public:
    // path made absolute against the caller's folder (else the working directory), so every
    // message names the file the game really used; absolute paths are returned as they are.
    static std::string resolve(const std::string& path);
};

#endif
