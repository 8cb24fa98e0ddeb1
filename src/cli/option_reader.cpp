// SPDX-License-Identifier: MIT
#include "cli/option_reader.h"

#include "core/common/safe_text.h"
#include "core/tf/tf_text.h"

#include <algorithm>
#include <cstdlib>

namespace nirdal::cli {

std::optional<std::string> ReadOptions(Arguments args, std::initializer_list<Option> options,
                                       const OptionTaker& take)
{
    bool operandTaken = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view name = args[i];
        // An operand, such as a file name, where the command takes one.
        const bool operand = !name.starts_with('-') && !operandTaken;
        const auto option = std::find_if(options.begin(), options.end(), [&](const Option& o) {
            return operand ? o.Name.empty() : !o.Name.empty() && o.Name == name;
        });
        if (option == options.end())
            return "unknown argument " + QuotedArgument(name);
        if (operand) {
            operandTaken = true;
            if (auto error = take("", name))
                return error;
            continue;
        }
        std::string_view value;
        if (option->TakesValue) {
            if (i + 1 == args.size())
                return std::string(name) + " needs " + std::string(option->ValueName);
            value = args[++i];
        }
        if (auto error = take(name, value))
            return error;
    }
    return std::nullopt;
}

std::optional<std::string> ReadFormatOption(std::string_view value, ReportFormat& format)
{
    if (!ParseReportFormat(value, format))
        return "--format takes text, csv or json, not " + QuotedArgument(value);
    return std::nullopt;
}

std::optional<std::string> ReadVariantOption(std::string_view value, TransferFunction& variant)
{
    std::string error;
    if (!ParseTransferFunctionText(value, variant, error))
        return "--tf " + QuotedArgument(value) + ": " + error;
    return std::nullopt;
}

bool ReadNumberText(std::string_view text, Extended& number)
{
    const std::string value(text);
    char* end = nullptr;
    number = std::strtold(value.c_str(), &end);
    return !value.empty() && *end == '\0';
}

bool ReadWholeText(std::string_view text, long long least, long long most, long long& number)
{
    const std::string value(text);
    char* end = nullptr;
    number = std::strtoll(value.c_str(), &end, 10);
    return !value.empty() && *end == '\0' && number >= least && number <= most;
}

} // namespace nirdal::cli
