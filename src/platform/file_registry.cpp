// SPDX-License-Identifier: MIT
#include "platform/file_registry.h"

#include "platform/data_root.h"
#include "platform/registry_text.h"
#include "platform/regular_file.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace nirdal {

namespace {

namespace fs = std::filesystem;

// Whether this process may replace the file: an existing file must be a regular, writable
// file, and its folder, or while that does not exist its nearest existing parent, a
// writable folder.
bool MayWrite(const fs::path& file)
{
    struct stat status
    {
    };
    if (::stat(file.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode) || ::access(file.c_str(), R_OK | W_OK) != 0)
            return false;
    } else if (errno != ENOENT && errno != ENOTDIR) {
        return false;
    }
    for (fs::path folder = file.parent_path();; folder = folder.parent_path()) {
        if (::stat(folder.c_str(), &status) == 0)
            return S_ISDIR(status.st_mode) && ::access(folder.c_str(), W_OK | X_OK) == 0;
        if (errno != ENOENT || folder == folder.parent_path())
            return false;
    }
}

// Moves an unreadable file out of the way under a name no other file has.
bool KeepAside(const fs::path& file)
{
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    const std::string base = file.string() + ".corrupt-" + stamp;
    std::error_code error;
    for (int n = 1; n < 1000; ++n) {
        const fs::path aside = n == 1 ? fs::path(base) : fs::path(base + "-" + std::to_string(n));
        if (fs::exists(aside, error) || error)
            continue;
        fs::rename(file, aside, error);
        return !error;
    }
    return false;
}

bool ReplaceAtomically(const fs::path& file, std::string_view text,
                       const std::function<bool()>& replaceCheck)
{
    std::error_code created;
    fs::create_directories(file.parent_path(), created);
    std::string error;
    return ReplaceFile(file, text, error, replaceCheck);
}

// Whether the key at path is key itself or lies below it.
bool IsUnder(std::string_view path, std::string_view key)
{
    return (path.size() >= key.size() && SameRegistryName(path.substr(0, key.size()), key) &&
            (path.size() == key.size() || path[key.size()] == '\\'));
}

} // namespace

// What the registry tells its user, each message once however often it connects.
struct FileRegistry::Notices
{
    std::function<void(const std::string&)> report;
    std::set<std::string> said;

    void Say(const std::string& message)
    {
        if (said.insert(message).second && report)
            report(message);
    }
};

namespace {

class FileConnection final : public RegistryConnection
{
public:
    FileConnection(fs::path file, std::function<bool()> replaceCheck,
                   const std::shared_ptr<FileRegistry::Notices>& notices)
        : m_file(std::move(file)), m_replaceCheck(std::move(replaceCheck))
    {
        // MayWrite refuses anything but a regular file by its status; the reader checks
        // again on the open file, since the name may have changed hands in between.
        if (!MayWrite(m_file))
            return;
        std::string text;
        std::string error;
        if (!ReadRegularFile(m_file, FileRegistry::kMaxFileBytes, text, error)) {
            if (errno == ENOENT) {
                m_usable = true;
            } else if (errno == EFBIG) {
                // Kept as it is, not aside: it may be whole, only not ours to parse.
                notices->Say(error + "; the settings are neither read nor stored");
            }
            return;
        }
        if (auto content = ParseRegistryText(text)) {
            m_content = std::move(*content);
            m_usable = true;
        } else {
            // Never write over a file we could not read: only once it is aside.
            m_usable = KeepAside(m_file);
        }
    }

    bool OpenKey(std::string_view path, bool create) override
    {
        const auto key = Resolve(path);
        if (!key || !(Exists(*key) || (create && Create(*key))))
            return false;
        m_current = Canonical(*key);
        m_keyOpen = true;
        return true;
    }

    bool KeyExists(std::string_view path) override
    {
        const auto key = Resolve(path);
        return key && Exists(*key);
    }

    bool CreateKey(std::string_view path) override
    {
        const auto key = Resolve(path);
        return key && (Exists(*key) || Create(*key));
    }

    bool ValueExists(std::string_view name) override { return Entry(name) != nullptr; }

    std::optional<RegistryValue> ReadValue(std::string_view name) override
    {
        const RegistryEntry* entry = Entry(name);
        return entry != nullptr ? std::optional(entry->Value) : std::nullopt;
    }

    bool WriteValue(std::string_view name, const RegistryValue& value) override
    {
        // The root itself holds no values.
        if (!m_usable || !m_keyOpen || m_current.empty())
            return false;
        const std::string text = Cp1251ToUtf8(name);
        if (text.find_first_of("\r\n") != std::string::npos)
            return false;
        const RegistryContent before = m_content;
        RegistrySection* section = Section(m_current);
        if (section == nullptr)
            section = &m_content.emplace_back(RegistrySection{m_current, {}});
        const auto same =
            std::find_if(section->Values.begin(), section->Values.end(),
                         [&](const auto& e) { return SameRegistryName(e.Name, text); });
        if (same != section->Values.end())
            same->Value = value;
        else
            section->Values.push_back(RegistryEntry{text, value});
        return Save(before);
    }

private:
    // The key path below the root that path names, in UTF-8; nothing for a malformed path
    // or when the root may not be used.
    std::optional<std::string> Resolve(std::string_view path) const
    {
        if (!m_usable)
            return std::nullopt;
        std::string text = Cp1251ToUtf8(path);
        const bool absolute = !text.empty() && text.front() == '\\';
        if (absolute)
            text.erase(0, 1);
        if (!text.empty() && text.back() == '\\')
            text.pop_back();
        if (text.find("\\\\") != std::string::npos ||
            text.find_first_of("\r\n") != std::string::npos ||
            (!text.empty() && text.front() == '\\'))
            return std::nullopt;
        if (!absolute && m_keyOpen && !m_current.empty())
            return text.empty() ? m_current : m_current + '\\' + text;
        return text;
    }

    bool Exists(std::string_view key) const
    {
        return key.empty() ||
               std::any_of(m_content.begin(), m_content.end(),
                           [&](const RegistrySection& s) { return IsUnder(s.Path, key); });
    }

    // The key as first spelt in the registry, so a key keeps the case it was created with.
    std::string Canonical(const std::string& key) const
    {
        std::string spelt = key;
        std::size_t end = 0;
        while (end < key.size()) {
            end = std::min(key.find('\\', end + 1), key.size());
            const std::string_view prefix(key.data(), end);
            const auto section =
                std::find_if(m_content.begin(), m_content.end(),
                             [&](const RegistrySection& s) { return IsUnder(s.Path, prefix); });
            if (section == m_content.end())
                break;
            spelt.replace(0, end, section->Path, 0, end);
        }
        return spelt;
    }

    bool Create(const std::string& key)
    {
        const RegistryContent before = m_content;
        std::size_t end = 0;
        while (end < key.size()) {
            end = std::min(key.find('\\', end + 1), key.size());
            const std::string prefix = Canonical(key.substr(0, end));
            if (!Exists(prefix))
                m_content.push_back(RegistrySection{prefix, {}});
        }
        return Save(before);
    }

    RegistrySection* Section(std::string_view key)
    {
        const auto section =
            std::find_if(m_content.begin(), m_content.end(),
                         [&](const RegistrySection& s) { return SameRegistryName(s.Path, key); });
        return section != m_content.end() ? &*section : nullptr;
    }

    const RegistryEntry* Entry(std::string_view name)
    {
        if (!m_usable || !m_keyOpen)
            return nullptr;
        const RegistrySection* section = Section(m_current);
        if (section == nullptr)
            return nullptr;
        const std::string text = Cp1251ToUtf8(name);
        const auto entry =
            std::find_if(section->Values.begin(), section->Values.end(),
                         [&](const auto& e) { return SameRegistryName(e.Name, text); });
        return entry != section->Values.end() ? &*entry : nullptr;
    }

    // Writes the changed content; when that fails, goes back to what is still on disk.
    bool Save(const RegistryContent& before)
    {
        if (ReplaceAtomically(m_file, FormatRegistryText(m_content), m_replaceCheck))
            return true;
        m_content = before;
        return false;
    }

    fs::path m_file;
    std::function<bool()> m_replaceCheck;
    bool m_usable = false;
    RegistryContent m_content;
    bool m_keyOpen = false;
    std::string m_current;
};

} // namespace

FileRegistry::FileRegistry(const fs::path& root)
    : m_file(fs::absolute(root) / "registry" / "machine.reg"),
      m_notices(std::make_shared<Notices>())
{
    m_notices->report = [](const std::string& message) {
        std::fprintf(stderr, "nirdal: %s\n", message.c_str());
    };
}

FileRegistry::~FileRegistry() = default;

void FileRegistry::SetReport(std::function<void(const std::string&)> report)
{
    m_notices->report = std::move(report);
}

std::unique_ptr<RegistryConnection> FileRegistry::Connect()
{
    return std::make_unique<FileConnection>(m_file, m_replaceCheck, m_notices);
}

std::shared_ptr<Registry> MachineRegistry()
{
    return std::make_shared<FileRegistry>(DataRoot());
}

} // namespace nirdal
