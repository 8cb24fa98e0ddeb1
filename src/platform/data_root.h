// SPDX-License-Identifier: MIT
#pragma once

#include "platform/whole_file.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace nirdal {

/// The folder that stands in for the Windows machine: NIRDAL_ROOT when set, else
/// $XDG_DATA_HOME/nirdal, else ~/.local/share/nirdal.
std::filesystem::path DataRoot();

/// The machine-wide data folders, in order: nirdal/ under each absolute folder of
/// $XDG_DATA_DIRS, by default /usr/local/share/nirdal and /usr/share/nirdal.
std::vector<std::filesystem::path> SystemDataRoots();

/// Where a Windows path (Windows-1251 text) lives under root: a drive letter X becomes the
/// folder drive_x, a path from the drive's top without a letter lies on drive C, a relative
/// path stays relative. ".." never climbs above the drive.
std::filesystem::path LocalPath(const std::filesystem::path& root, std::string_view windowsPath);

/// Creates folder with every missing parent; true when it is a folder afterwards.
bool CreateDirectories(const std::filesystem::path& folder);

/// Creates folder with every missing parent for every account to read: those it makes are
/// 0755 whatever the umask, and the folders from own down to folder (own and folder
/// included, own one of folder's parents or folder itself) are made readable and searchable
/// by all. True when folder is a folder afterwards; otherwise error names the folder and the
/// reason, and errno tells the system's.
bool CreateDirectoriesForEveryone(const std::filesystem::path& folder,
                                  const std::filesystem::path& own, std::string& error);

} // namespace nirdal
