// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace nirdal {

/// Who may read a file that is written.
enum class FileReaders
{
    /// As the umask allows for a new file; an existing file keeps its mode.
    AsUmaskAllows,
    /// Every account on the machine: 0644 whatever the umask or the old mode.
    Everyone
};

/// The one way the program writes a file: whole or not at all. The content goes to a
/// temporary file ".NAME.XXXXXX" in the destination's folder, is synced, renamed over the
/// destination, and the folder synced. Where the destination is a symbolic link the file it
/// points to is replaced, so the link stays a link; a link is followed only where the kernel's
/// protected_symlinks rule would follow it (not one another account planted in a sticky folder
/// open to all, such as /tmp); a folder is refused; a device, FIFO or socket (/dev/null,
/// /dev/stdout) is written into directly and never replaced, and one nobody reads is refused. An empty name
/// and a name that is not UTF-8, the file system's encoding, are refused. Until Commit
/// succeeds the destination is exactly as it was; an object dropped before that removes its
/// temporary file. A successful Commit also removes temporary files of the same destination
/// left by writers that were killed.
class WholeFile
{
public:
    explicit WholeFile(std::filesystem::path destination,
                       FileReaders readers = FileReaders::AsUmaskAllows);
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;
    ~WholeFile();

    /// Checks the destination and opens the temporary file (or the device, without waiting for
    /// a reader: a FIFO nobody reads is refused). On failure
    /// returns false with a message naming the destination in error, and errno tells why.
    bool Open(std::string& error);

    /// The open descriptor to write the content into; -1 before Open.
    int Descriptor() const { return m_descriptor; }

    /// Appends bytes; on failure returns false with the message in error.
    bool Write(std::string_view bytes, std::string& error);

    /// Syncs the content written so far to the disk, the destination still as it was: files
    /// that go together are all synced before the first is put in place.
    bool Sync(std::string& error);

    /// Syncs and puts the content in place. beforeRename, when given, is asked last: false
    /// leaves the destination as it was. On failure returns false with the message in error.
    bool Commit(std::string& error, const std::function<bool()>& beforeRename = {});

    /// Gives up: the temporary file is removed and the destination stays as it was.
    void Abandon();

    /// The message for a failure that the caller found while writing (reason: what failed).
    std::string Failure(std::string_view reason) const;

    /// The file that is replaced: the destination with its symbolic links followed.
    const std::filesystem::path& Target() const { return m_target; }

    /// The temporary file being written; empty when there is none.
    const std::filesystem::path& Temporary() const { return m_temporary; }

    /// True when the destination is a device, FIFO or socket written into directly.
    bool Direct() const { return m_direct; }

private:
    bool Fail(std::string& error, int code, std::string_view what = {});
    bool Resolve(std::string& error);
    void RemoveStaleTemporaries() const;

    std::filesystem::path m_destination;
    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    FileReaders m_readers;
    int m_descriptor = -1;
    bool m_direct = false;
    bool m_existed = false;
};

/// Writes file whole with write, which gets the open descriptor of WholeFile and returns
/// false with a reason (or throws) when it cannot write everything. On failure the file is as
/// it was, no temporary file is left, and error says what failed and where.
bool WriteWholeFile(const std::filesystem::path& file,
                    const std::function<bool(int descriptor, std::string& reason)>& write,
                    std::string& error, FileReaders readers = FileReaders::AsUmaskAllows,
                    const std::function<bool()>& beforeRename = {});

/// Replaces the content of file with bytes, whole or not at all, as WholeFile does. An
/// existing file keeps its mode; a new one is readable by all as the umask allows.
/// beforeRename, when given, is asked last: false leaves the file as it was. On failure the
/// file is as it was and error holds the reason; errno tells the system's.
bool ReplaceFile(const std::filesystem::path& file, std::string_view bytes, std::string& error,
                 const std::function<bool()>& beforeRename = {});

/// ReplaceFile for a file that readers decides who may read.
bool ReplaceFile(const std::filesystem::path& file, std::string_view bytes, FileReaders readers,
                 std::string& error);

/// Whether entry, a name in a folder, is a temporary file of a write of fileName.
bool IsTemporaryNameOf(std::string_view entry, std::string_view fileName);

/// Whether text is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsWellFormedUtf8(std::string_view text);

} // namespace nirdal
