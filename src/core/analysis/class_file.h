#pragma once

#include "core/tf/transfer_function.h"

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
    std::string Text;    ///< the variant as NUM:DEN:DELAY text, as --tf takes it
    TransferFunction Variant;
};

/// A line of a class file that was skipped, and why.
struct ClassFileProblem
{
    int Line = 0;
    std::string Message;
};

/// What a class file holds: the variants in file order and the lines that were skipped.
struct ClassFile
{
    std::vector<ClassVariant> Variants;
    std::vector<ClassFileProblem> Problems;
};

/// Reads a class file: comma-separated lines "student,group,numerator,denominator[,delay]".
/// Numerator and denominator list coefficients highest power first, separated by blanks or
/// semicolons, with a decimal point; an empty or missing delay is 0 s. A field may be quoted
/// ("…", with "" for a quote). Blank lines and lines starting with # are ignored, and so is a
/// first line whose denominator holds no digit (a header). Text that is not UTF-8 is read as
/// Windows-1251. A bad line is reported with its number and the others are still read.
ClassFile ParseClassFile(std::string_view text);

} // namespace nirdal
