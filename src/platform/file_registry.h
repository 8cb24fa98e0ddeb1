#pragma once

#include "platform/registry.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace nirdal {

/// The machine-wide root kept as registry-export text in root/registry/machine.reg.
/// Every connection reads the file afresh and every change rewrites it at once, atomically:
/// the new text goes to a temporary file in the same folder, is flushed to disk and then
/// replaces the old file, so a failed or interrupted write leaves the previous file whole.
/// A file that cannot be parsed is renamed to machine.reg.corrupt-<UTC time> and the
/// registry starts empty. When the file or its folder may not be written, no key opens:
/// that is the registry's "no access to the machine-wide root".
class FileRegistry : public Registry
{
public:
    explicit FileRegistry(const std::filesystem::path& root);

    std::unique_ptr<RegistryConnection> Connect() override;

    /// The registry file.
    const std::filesystem::path& FilePath() const { return m_file; }

    /// For tests: runs when the new text is on disk in its temporary file, before it replaces
    /// the registry file; returning false makes the write fail there.
    void SetReplaceCheck(std::function<bool()> check) { m_replaceCheck = std::move(check); }

private:
    std::filesystem::path m_file;
    std::function<bool()> m_replaceCheck;
};

/// The registry of this machine, under DataRoot().
std::shared_ptr<Registry> MachineRegistry();

} // namespace nirdal
