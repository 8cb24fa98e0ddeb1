// SPDX-License-Identifier: MIT
#pragma once

#include "core/tf/transfer_function.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nirdal {

/// One variant of a class file, with the student it belongs to.
struct ClassVariant
{
    int Line = 0;        ///< line number in the file, from 1
    std::string Student; ///< UTF-8
    std::string Group;   ///< UTF-8, may be empty
    std::string Text;    ///< the variant as NUM:DEN:DELAY text that --tf reads into Variant
    TransferFunction Variant;
};

/// A line of a class file that was skipped, and why.
struct ClassFileProblem
{
    int Line = 0;
    std::string Message;        ///< English, for standard error
    std::string RussianMessage; ///< the same in Russian, for the class report
};

/// What a class file holds: the variants in file order and the lines that were skipped.
struct ClassFile
{
    std::vector<ClassVariant> Variants;
    std::vector<ClassFileProblem> Problems;
    int HeaderLine = 0; ///< the line of the header that was skipped; 0 when there is none
};

/// Reads a class file: lines "student,group,numerator,denominator[,delay]", read as
/// ReadTableText reads a spreadsheet's table (UTF-8 or Windows-1251, fields separated by
/// commas or, when the first line says so, by semicolons). Numerator and denominator list
/// coefficients highest power first, separated by blanks or semicolons. A number is read with
/// strtold, as --tf reads it, unless it has a decimal comma between its digits ("1,5" in a
/// quoted field): that is read by ParseNumber, as the coefficient entry reads what a student
/// types. A comma before a blank or at the field's end separates numbers ("1, 5, 1"); any
/// other comma is refused. An empty or missing delay is 0 s. A field may be quoted ("…",
/// with "" for a quote). Blank lines and lines starting with # are ignored, and so is a first
/// line whose denominator holds no digit (a header). A bad line is reported with its number
/// and the others are still read; so is a line that holds a NUL byte, which no name holds.
/// Messages quote at most 80 characters of an offending field.
ClassFile ParseClassFile(std::string_view bytes);

/// Reads a class file as ParseClassFile does, handing each variant to take and each skipped
/// line to skip in file order as it comes, so that a caller keeps only what it needs of them;
/// the line of a header skipped goes to headerLine (0 when there is none).
void ReadClassFile(std::string_view bytes, const std::function<void(ClassVariant&)>& take,
                   const std::function<void(ClassFileProblem&)>& skip, int* headerLine = nullptr);

} // namespace nirdal
