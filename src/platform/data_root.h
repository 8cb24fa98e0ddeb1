#pragma once

#include <filesystem>
#include <string_view>

namespace nirdal {

/// The folder that stands in for the Windows machine: NIRDAL_ROOT when set, else
/// $XDG_DATA_HOME/nirdal, else ~/.local/share/nirdal.
std::filesystem::path DataRoot();

/// Where a Windows path (Windows-1251 text) lives under root: a drive letter X becomes the
/// folder drive_x, a path from the drive's top without a letter lies on drive C, a relative
/// path stays relative. ".." never climbs above the drive.
std::filesystem::path LocalPath(const std::filesystem::path& root, std::string_view windowsPath);

/// Creates folder with every missing parent; true when it is a folder afterwards.
bool CreateDirectories(const std::filesystem::path& folder);

} // namespace nirdal
