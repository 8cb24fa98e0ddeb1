#include "core/analysis/class_file.h"

#include "core/tf/tf_text.h"
#include "platform/text_encoding.h"

#include <algorithm>

namespace nirdal {

namespace {

bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const int length = byte < 0x80         ? 1
                           : (byte >> 5) == 6  ? 2
                           : (byte >> 4) == 14 ? 3
                           : (byte >> 3) == 30 ? 4
                                               : 0;
        if (length == 0 || i + static_cast<std::size_t>(length) > text.size())
            return false;
        for (int k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) >> 6) != 2)
                return false;
        }
        i += static_cast<std::size_t>(length);
    }
    return true;
}

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Splits one line at commas outside quotes; false when a quote is left open.
bool SplitFields(std::string_view line, std::vector<std::string>& fields)
{
    fields.assign(1, std::string());
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"')
                fields.back() += c;
            else if (i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    for (std::string& field : fields)
        field = std::string(Trimmed(field));
    return !quoted;
}

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
    int number = 0;
    std::vector<std::string> fields;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        line = Trimmed(line);
        if (line.empty() || line.starts_with('#'))
            continue;
        if (!SplitFields(line, fields)) {
            file.Problems.push_back({number, "a quote is not closed"});
            first = false;
            continue;
        }
        const bool header = first && (fields.size() < 4 || !HasDigit(fields[3]));
        first = false;
        if (header)
            continue;
        ClassVariant variant;
        variant.Line = number;
        if (std::string problem = ReadVariant(fields, variant); !problem.empty())
            file.Problems.push_back({number, std::move(problem)});
        else
            file.Variants.push_back(std::move(variant));
    }
    return file;
}

} // namespace nirdal
