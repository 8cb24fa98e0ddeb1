// SPDX-License-Identifier: MIT
#include "cli/draw_files.h"

#include "core/common/safe_text.h"
#include "platform/regular_file.h"
#include "platform/whole_file.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/stat.h>

namespace nirdal::cli {

namespace {

constexpr std::string_view kDrawPrefix = "# nirdal draw: ";
constexpr std::string_view kHandoutPrefix = "# handout: ";
constexpr std::string_view kKeyPrefix = "# key: ";
// A comment after the PDF's end, which readers pass over, moving no offset of the file.
constexpr std::string_view kPdfDraw = "%nirdal draw: ";

std::string Hex(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

// The same file: one device and inode where it exists, else one name once made absolute.
// Devices such as /dev/null may take more than one output.
struct FileIdentity
{
    bool Exists = false, Device = false;
    dev_t DeviceNumber = 0;
    ino_t Inode = 0;
    std::filesystem::path Name;

    bool Same(const FileIdentity& other) const
    {
        if (Device || other.Device)
            return false;
        if (Exists && other.Exists)
            return DeviceNumber == other.DeviceNumber && Inode == other.Inode;
        return Name == other.Name;
    }
};

FileIdentity IdentityOf(const std::string& path)
{
    FileIdentity identity;
    std::error_code failure;
    identity.Name = std::filesystem::weakly_canonical(std::filesystem::absolute(path, failure),
                                                      failure);
    struct stat status
    {
    };
    if (::stat(path.c_str(), &status) == 0) {
        identity.Exists = true;
        identity.Device = S_ISCHR(status.st_mode);
        identity.DeviceNumber = status.st_dev;
        identity.Inode = status.st_ino;
    }
    return identity;
}

// The identity DrawText wrote, alone on its line.
bool ReadDrawText(const std::string& text, DrawIdentity& draw)
{
    char end = 0;
    const int read = std::sscanf(text.c_str(), "template %16" SCNx64 ", seed %" SCNu64
                                               ", roster %16" SCNx64 "%c",
                                 &draw.Template, &draw.Seed, &draw.Roster, &end);
    return read == 3 || (read == 4 && end == '\n');
}

} // namespace

std::string DrawText(const DrawIdentity& draw)
{
    return "template " + Hex(draw.Template) + ", seed " + std::to_string(draw.Seed) +
           ", roster " + Hex(draw.Roster);
}

std::string DrawHeader(const DrawIdentity& draw, std::string_view handout, std::string_view key)
{
    std::string header = std::string(kDrawPrefix) + DrawText(draw) + "\n";
    if (!handout.empty())
        header += std::string(kHandoutPrefix) + std::string(handout) + "\n";
    if (!key.empty())
        header += std::string(kKeyPrefix) + std::string(key) + "\n";
    return header;
}

bool ReadDrawHeader(std::string_view classText, DrawIdentity& draw, std::string& handout,
                    std::string& key)
{
    bool found = false;
    while (classText.starts_with('#')) {
        const std::size_t end = classText.find('\n');
        std::string_view line = classText.substr(0, end);
        classText.remove_prefix(end == std::string_view::npos ? classText.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.starts_with(kDrawPrefix)) {
            found = ReadDrawText(std::string(line.substr(kDrawPrefix.size())), draw);
        } else if (line.starts_with(kHandoutPrefix)) {
            handout = line.substr(kHandoutPrefix.size());
        } else if (line.starts_with(kKeyPrefix)) {
            key = line.substr(kKeyPrefix.size());
        }
    }
    return found;
}

void StampPdf(std::string& pdf, const DrawIdentity& draw)
{
    // Digits replaced in place by zeros from `start` to the first of the `stops`; other
    // characters kept.
    const auto each = [&](std::string_view start, std::string_view stops) {
        for (std::size_t at = pdf.find(start); at != std::string::npos;
             at = pdf.find(start, at + 1)) {
            const std::size_t end = pdf.find_first_of(stops, at + start.size());
            if (end == std::string::npos || end - at > 200)
                continue;
            for (std::size_t i = at + start.size(); i < end; ++i) {
                if (std::isxdigit(static_cast<unsigned char>(pdf[i])))
                    pdf[i] = '0';
            }
        }
    };
    each("/CreationDate (D:", ")");
    each("/ModDate (D:", ")");
    each("/ID [", "]"); // "/ID [<…> <…>]", or with a blank after "[" as Qt 6.8 writes it
    // The metadata's dates and identities: elements up to Qt 6.4, attributes from Qt 6.8.
    for (const std::string_view name : {"xmp:CreateDate", "xmp:ModifyDate", "xmp:MetadataDate",
                                        "xmpMM:DocumentID", "xmpMM:InstanceID"}) {
        each("<" + std::string(name) + ">", "<");
        each(std::string(name) + "=\"", "\"");
    }
    each("uuid:", "<\"");
    each("rdf:about=\"", "\"");
    if (!pdf.ends_with('\n'))
        pdf += '\n';
    pdf += std::string(kPdfDraw) + DrawText(draw) + "\n";
}

bool ReadPdfDraw(std::string_view pdf, DrawIdentity& draw)
{
    const std::size_t at = pdf.rfind(kPdfDraw);
    if (at == std::string_view::npos || pdf.size() - at > 200)
        return false;
    const std::string text(pdf.substr(at + kPdfDraw.size()));
    return ReadDrawText(text, draw);
}

std::vector<std::string> CheckDrawPartners(const std::string& classPath, std::string_view content)
{
    DrawIdentity draw;
    std::string handout, key;
    std::vector<std::string> problems;
    if (!ReadDrawHeader(content, draw, handout, key))
        return problems;
    const std::filesystem::path folder = std::filesystem::path(classPath).parent_path();
    for (const auto& [what, name] : {std::pair{"handout", handout}, std::pair{"key", key}}) {
        if (name.empty())
            continue;
        const std::string path = (folder / name).string();
        std::string pdf, error;
        DrawIdentity partner;
        if (!ReadRegularFile(path, std::size_t{1} << 30, pdf, error))
            problems.push_back(std::string("its ") + what + " cannot be read: " + error);
        else if (!ReadPdfDraw(pdf, partner))
            problems.push_back(std::string("its ") + what + " " + QuotedArgument(path) +
                               " carries no draw");
        else if (!(partner == draw))
            problems.push_back(std::string("its ") + what + " " + QuotedArgument(path) +
                               " belongs to another draw (" + DrawText(partner) +
                               "; the class file: " + DrawText(draw) + ")");
    }
    return problems;
}

bool CheckDrawOutputs(const std::vector<DrawFile>& files, const std::string& templatePath,
                      std::string& error)
{
    const FileIdentity templateFile = IdentityOf(templatePath);
    std::vector<FileIdentity> seen;
    for (const DrawFile& file : files) {
        const FileIdentity identity = IdentityOf(file.Path);
        if (identity.Same(templateFile)) {
            error = file.Option + " " + QuotedArgument(file.Path) + " names the template";
            return false;
        }
        for (std::size_t i = 0; i < seen.size(); ++i) {
            if (identity.Same(seen[i])) {
                error = files[i].Option + " and " + file.Option + " name one file, " +
                        QuotedArgument(file.Path);
                return false;
            }
        }
        seen.push_back(identity);
    }
    return true;
}

bool WriteDrawFiles(const std::vector<DrawFile>& files, std::string& error)
{
    std::vector<std::unique_ptr<WholeFile>> scratch;
    for (const DrawFile& file : files) {
        scratch.push_back(std::make_unique<WholeFile>(file.Path));
        if (!scratch.back()->Open(error) || !scratch.back()->Write(file.Content, error) ||
            !scratch.back()->Sync(error))
            return false;
    }
    for (std::size_t i = 0; i < scratch.size(); ++i) {
        if (!scratch[i]->Commit(error)) {
            if (i > 0)
                error += "; the files before it hold the new draw already";
            return false;
        }
    }
    return true;
}

} // namespace nirdal::cli
