// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <functional>
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

/// Replaces the content of file with bytes, whole or not at all: written to a temporary file
/// beside it, synced, then renamed over it. An existing file keeps its mode; a new one is
/// readable by all as the umask allows. beforeRename, when given, is asked last: false leaves
/// the file as it was. On failure the file is as it was and error holds the reason; errno
/// tells the system's.
bool ReplaceFile(const std::filesystem::path& file, std::string_view bytes, std::string& error,
                 const std::function<bool()>& beforeRename = {});

} // namespace nirdal
