// SPDX-License-Identifier: MIT
#include "platform/data_root.h"

#include "platform/text_encoding.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nirdal {

namespace {

// Unset and empty variables mean the same: nothing configured.
const char* Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

std::filesystem::path HomeFolder()
{
    if (const char* home = Variable("HOME"))
        return home;
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr)
        return user->pw_dir;
    return {};
}

} // namespace

std::filesystem::path DataRoot()
{
    if (const char* root = Variable("NIRDAL_ROOT"))
        return root;
    // A relative XDG_DATA_HOME is invalid by the XDG base directory rules: ignore it.
    if (const char* data = Variable("XDG_DATA_HOME"); data != nullptr && *data == '/')
        return std::filesystem::path(data) / "nirdal";
    return HomeFolder() / ".local" / "share" / "nirdal";
}

std::vector<std::filesystem::path> SystemDataRoots()
{
    const char* dirs = Variable("XDG_DATA_DIRS");
    const std::string_view list = dirs != nullptr ? dirs : "/usr/local/share:/usr/share";
    std::vector<std::filesystem::path> roots;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        const std::string_view folder = list.substr(start, end - start);
        start = end + 1;
        // Relative entries are invalid by the XDG base directory rules.
        if (folder.starts_with('/'))
            roots.push_back(std::filesystem::path(folder) / "nirdal");
    }
    return roots;
}

std::filesystem::path LocalPath(const std::filesystem::path& root, std::string_view windowsPath)
{
    std::string text = Cp1251ToUtf8(windowsPath);
    for (char& c : text) {
        if (c == '\\')
            c = '/';
    }

    std::filesystem::path base;
    bool fromDriveTop = true;
    if (text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]))) {
        const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
        base = root / (std::string("drive_") + drive);
        text.erase(0, 2);
    } else if (!text.empty() && text[0] == '/') {
        base = root / "drive_c";
    } else {
        fromDriveTop = false;
    }

    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('/', start), text.size());
        std::string part = text.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!fromDriveTop)
                parts.push_back(part);
            continue;
        }
        parts.push_back(std::move(part));
    }

    std::filesystem::path path = base;
    for (const std::string& part : parts)
        path /= part;
    return path;
}

bool CreateDirectories(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

bool CreateDirectoriesForEveryone(const std::filesystem::path& folder,
                                  const std::filesystem::path& own, std::string& error)
{
    const auto fail = [&](const std::filesystem::path& where) {
        const int code = errno;
        error = "cannot make " + where.string() + " readable by all: " + std::strerror(code);
        errno = code;
        return false;
    };
    std::filesystem::path path;
    bool inOwn = own.empty();
    for (const std::filesystem::path& part : folder) {
        path /= part;
        if (part.empty())
            continue;
        inOwn = inOwn || path == own;
        struct stat status
        {
        };
        if (::mkdir(path.c_str(), 0755) == 0) {
            // mkdir took the umask off.
            if (::chmod(path.c_str(), 0755) != 0)
                return fail(path);
            continue;
        }
        if (errno != EEXIST || ::stat(path.c_str(), &status) != 0)
            return fail(path);
        if (!S_ISDIR(status.st_mode)) {
            errno = ENOTDIR;
            return fail(path);
        }
        const mode_t wanted = status.st_mode | 0555;
        if (inOwn && (status.st_mode & 0555) != 0555 &&
            ::chmod(path.c_str(), wanted & 07777) != 0)
            return fail(path);
    }
    return true;
}

} // namespace nirdal
