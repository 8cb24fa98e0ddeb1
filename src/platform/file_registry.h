// SPDX-License-Identifier: MIT
#pragma once

#include "platform/registry.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace nirdal {

/// The machine-wide root kept as registry-export text in root/registry/machine.reg.
/// Every connection reads the file afresh and every change rewrites it at once, atomically:
/// the new text goes to a temporary file in the same folder, is flushed to disk and then
/// replaces the old file, so a failed or interrupted write leaves the previous file whole.
/// A file that cannot be parsed is renamed to machine.reg.corrupt-<UTC time> and the
/// registry starts empty. When the file or its folder may not be written, or the file is no
/// regular file or is larger than kMaxFileBytes, no key opens: that is the registry's "no
/// access to the machine-wide root". A file too large is left as it is and reported.
class FileRegistry : public Registry
{
public:
    /// The largest registry file read: two settings need a few hundred bytes.
    static constexpr std::size_t kMaxFileBytes = 1 << 20;

    explicit FileRegistry(const std::filesystem::path& root);
    ~FileRegistry() override;

    std::unique_ptr<RegistryConnection> Connect() override;

    /// The registry file.
    const std::filesystem::path& FilePath() const { return m_file; }

    /// For tests: runs when the new text is on disk in its temporary file, before it replaces
    /// the registry file; returning false makes the write fail there.
    void SetReplaceCheck(std::function<bool()> check) { m_replaceCheck = std::move(check); }

    /// Where a message for the user goes, each one once (a registry file too large to read);
    /// by default to standard error, as "nirdal: <message>".
    void SetReport(std::function<void(const std::string&)> report);

    struct Notices;

private:
    std::filesystem::path m_file;
    std::function<bool()> m_replaceCheck;
    std::shared_ptr<Notices> m_notices;
};

/// The registry of this machine, under DataRoot().
std::shared_ptr<Registry> MachineRegistry();

} // namespace nirdal
