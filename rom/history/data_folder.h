#pragma once

#include "rom/result.h"

#include <filesystem>
#include <string>

// Where the lasting history of an image is kept: the journal of its saves and
// its restore points live in one folder per image under the user's data
// folder. The windows and the tool find the same folder by the same rule.

// $XDG_DATA_HOME/veldra-forge (when it is an absolute path), else
// ~/.local/share/veldra-forge; on Windows %LOCALAPPDATA%\veldra-forge.
// VELDRA_FORGE_DATA_DIR, when set, is used as it is (tests point it at a
// folder of their own).
Result<std::filesystem::path> dataFolder();

// The image's canonical path (symlinks and "..", resolved), so that every
// spelling of one file finds one history. The file must exist.
Result<std::filesystem::path> canonicalImagePath(const std::filesystem::path& image);

// The folder name of an image's history: its file name and a hash of its
// canonical path ("hack.sfc-3f2a9c0d11e4b7a5"), so that two images of one name
// in different folders keep apart, and a person browsing the data folder can
// still tell them apart. A file name too long for that (past 238 bytes) is
// cut to 120 bytes (UTF-16 units on Windows) on a character's boundary.
std::string historyFolderName(const std::filesystem::path& canonicalImage);

// dataFolder() / "images" / historyFolderName(path of image as the system
// resolves it: resolvedPath). Where that folder is not there: the folder
// named by the canonical path as typed (how folders were named before, which
// differs on Windows only), else the folder whose recorded image (the names in
// the file "image-path" in it, added as a folder is found) is the same file as the
// image now, or that names it: a hard link or a bind mount of an image
// shares its history, and goes on sharing it after a restore through it has
// made it a file of its own.
// An image that is gone (deleted, moved away) is named by its folder's
// canonical path and its name, which finds the folder it had while it was
// there: its restore points can still be listed and written out.
// Nothing is created here but the record of the image in a folder found.
Result<std::filesystem::path> historyFolderFor(const std::filesystem::path& image);

// Whether the lasting history of the image whose history folder is `folder`
// is turned off: a file named "off" in that folder. While it is, no journal
// entry and no restore point is written for the image, and its history is
// not loaded.
bool historyTurnedOff(const std::filesystem::path& folder);
