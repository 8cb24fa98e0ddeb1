#include "core/analysis/class_file.h"

#include "core/common/csv_line.h"
#include "core/tf/tf_text.h"
#include "platform/text_encoding.h"

#include <algorithm>

namespace nirdal {

namespace {

// "1 3;3  1" as "1,3,3,1": the coefficient list that --tf takes.
std::string CoefficientList(std::string_view cell)
{
    std::string list;
    bool separator = false;
    for (const char c : cell) {
        if (c == ' ' || c == '\t' || c == ';') {
            separator = true;
            continue;
        }
        if (separator && !list.empty())
            list += ',';
        separator = false;
        list += c;
    }
    return list;
}

bool HasDigit(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Reads the fields of one line into variant; on bad input returns the reason.
std::string ReadVariant(const std::vector<std::string>& fields, ClassVariant& variant)
{
    if (fields.size() < 4 || fields.size() > 5)
        return "expected 4 or 5 fields (student, group, numerator, denominator, delay), found " +
               std::to_string(fields.size()) + "; a decimal comma needs quotes or a point";
    if (fields[0].empty())
        return "no student";
    const std::string numerator = CoefficientList(fields[2]);
    const std::string denominator = CoefficientList(fields[3]);
    if (numerator.empty())
        return "no numerator";
    if (denominator.empty())
        return "no denominator";
    const std::string delay = fields.size() == 5 && !fields[4].empty() ? fields[4] : "0";
    variant.Student = fields[0];
    variant.Group = fields[1];
    variant.Text = numerator + ":" + denominator + ":" + delay;
    std::string error;
    if (!ParseTransferFunctionText(variant.Text, variant.Variant, error))
        return error;
    return {};
}

} // namespace

ClassFile ParseClassFile(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::string utf8;
    if (!IsUtf8(text)) {
        utf8 = Cp1251ToUtf8(text);
        text = utf8;
    }

    ClassFile file;
    bool first = true;
    std::vector<std::string> fields;
    ForEachTableLine(text, [&](int number, std::string_view line) {
        if (!SplitCsvLine(line, fields)) {
            file.Problems.push_back({number, "a quote is not closed"});
            first = false;
            return true;
        }
        const bool header = first && (fields.size() < 4 || !HasDigit(fields[3]));
        first = false;
        if (header)
            return true;
        ClassVariant variant;
        variant.Line = number;
        if (std::string problem = ReadVariant(fields, variant); !problem.empty())
            file.Problems.push_back({number, std::move(problem)});
        else
            file.Variants.push_back(std::move(variant));
        return true;
    });
    return file;
}

} // namespace nirdal
