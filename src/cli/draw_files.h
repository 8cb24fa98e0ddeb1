// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nirdal::cli {

/// What one draw of `assign` came from; its class file, handout and key all carry it, so that
/// files of different draws are told apart.
struct DrawIdentity
{
    std::uint64_t Template = 0; ///< Fnv1a64 of the template's bytes
    std::uint64_t Seed = 0;
    std::uint64_t Roster = 0; ///< Fnv1a64 of the students drawn for, "GROUP|SURNAME\n" each

    bool operator==(const DrawIdentity&) const = default;
};

/// The identity as the class file's first line shows it:
/// "# nirdal draw: template 16 HEX, seed N, roster 16 HEX".
std::string DrawText(const DrawIdentity& draw);

/// The comment lines that open a class file of the draw: its identity, then "# handout: NAME"
/// and "# key: NAME" for the PDFs written with it (names relative to the class file's folder).
std::string DrawHeader(const DrawIdentity& draw, std::string_view handout, std::string_view key);

/// What a class file's opening comment lines say of its draw; false when they say nothing.
bool ReadDrawHeader(std::string_view classText, DrawIdentity& draw, std::string& handout,
                    std::string& key);

/// Makes a PDF of Qt the same file whenever the same draw is written again (its dates and
/// document numbers become zeros, no offset of the file moved) and adds the draw after its
/// end, as a comment line "%nirdal draw: …" that readers pass over.
void StampPdf(std::string& pdf, const DrawIdentity& draw);

/// The draw a PDF stamped by StampPdf carries; false when it carries none.
bool ReadPdfDraw(std::string_view pdf, DrawIdentity& draw);

/// What is wrong between a class file (at classPath, holding content) and the handout and
/// key its opening lines name: a line for each that cannot be read or carries another draw;
/// none when they agree or it names none.
std::vector<std::string> CheckDrawPartners(const std::string& classPath, std::string_view content);

/// One file of the draw: the option that named it, its name and its content.
struct DrawFile
{
    std::string Option, Path, Content;
};

/// Refuses, before anything is written, a set of outputs of which two name one file or one
/// names the template (read from templatePath).
bool CheckDrawOutputs(const std::vector<DrawFile>& files, const std::string& templatePath,
                      std::string& error);

/// The files of one draw put in place together: each is written and synced as a scratch file
/// beside it first, and only when all are complete are they renamed over the old ones, one
/// right after another. A failure before then leaves every old file as it was; scratch files
/// of a run that was killed are removed by the next.
bool WriteDrawFiles(const std::vector<DrawFile>& files, std::string& error);

} // namespace nirdal::cli
