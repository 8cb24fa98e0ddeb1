// SPDX-License-Identifier: MIT
#pragma once

#include "cli/commands.h"
#include "cli/table_writer.h"
#include "core/tf/transfer_function.h"

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace nirdal::cli {

/// One option of a command.
struct Option
{
    std::string_view Name;                  ///< "--tf", "-o"; "" for one operand, such as a file
    bool TakesValue = true;                 ///< false for a switch such as "--ops"
    std::string_view ValueName = "a value"; ///< said when it is missing: "--from needs a file name"
};

/// What a command makes of one option: its name and value ("" for a switch) in, the usage
/// error's message or nothing out.
using OptionTaker =
    std::function<std::optional<std::string>(std::string_view name, std::string_view value)>;

/// Reads args in order: each must name one of options ("unknown argument '--x'") and be
/// followed by its value when it takes one ("--tf needs a value"); hands each to take, a
/// repeated option as often as it is given. Where options hold an Option named "", the first
/// argument not starting with '-' is the command's operand, handed to take with the name "";
/// a second one is an unknown argument. Returns the first usage error's message, or nothing.
std::optional<std::string> ReadOptions(Arguments args, std::initializer_list<Option> options,
                                       const OptionTaker& take);

/// The message of a command that was given no --tf.
constexpr const char* kVariantRequired = "--tf NUM:DEN[:DELAY] is required";

/// Reads the value of --format: "--format takes text, csv or json, not 'x'" or nothing.
std::optional<std::string> ReadFormatOption(std::string_view value, ReportFormat& format);

/// Reads the value of --tf as NUM:DEN[:DELAY]: "--tf 'x': why" or nothing.
std::optional<std::string> ReadVariantOption(std::string_view value, TransferFunction& variant);

/// A real number as strtold reads it, the whole text and nothing else; false for an empty
/// text or one with anything after the number.
bool ReadNumberText(std::string_view text, Extended& number);

/// A whole number as strtoll reads it, the whole text, from least to most inclusive.
bool ReadWholeText(std::string_view text, long long least, long long most, long long& number);

} // namespace nirdal::cli
