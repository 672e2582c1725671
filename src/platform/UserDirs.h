// The player's folders on a desktop system (XDG base directories): where an installed game keeps
// its tables, its caches, its settings and the pictures the player takes.
#pragma once
#include <string>

enum class UserDir { Data, Cache, Config, Pictures };

// The folder of the game's own files of that kind, "vor" inside the base folder: for Data
// $XDG_DATA_HOME/vor (default ~/.local/share/vor), Cache $XDG_CACHE_HOME/vor (~/.cache/vor),
// Config $XDG_CONFIG_HOME/vor (~/.config/vor). Pictures is the player's picture folder itself:
// $XDG_PICTURES_DIR, else the one named in ~/.config/user-dirs.dirs, else ~/Pictures. A base
// variable that is unset, empty or not an absolute path counts as unset. Empty when no folder can
// be named (neither the variable nor HOME is set). Never creates anything.
std::string UserDirPath(UserDir kind);

// Creates the folder and its missing parents (mode 0700 for new ones, as the base-directory rules
// ask). False with a reason naming the folder when it cannot be made or is not a writable folder,
// and errno set (ENOTDIR for a file where a folder is needed; ENOENT when path is empty).
[[nodiscard]] bool MakeUserDir(const std::string& path, std::string& error);

// Why UserDirPath names no folder, for messages: "HOME is not set", or that HOME is relative.
std::string NoUserDirReason();
