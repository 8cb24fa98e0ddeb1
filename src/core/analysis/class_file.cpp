// SPDX-License-Identifier: MIT
#include "core/analysis/class_file.h"

#include "core/common/csv_line.h"
#include "core/common/russian_text.h"
#include "core/common/safe_text.h"
#include "core/numtext/numtext.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

namespace nirdal {

namespace {

// A reason in both languages: English for standard error, Russian for the class report.
struct Reason
{
    std::string English, Russian;
};

// A polynomial as a reason names it.
struct FieldName
{
    const char* English; // "numerator"
    const char* Russian; // "числителя", genitive: "коэффициент числителя"
};

constexpr FieldName kNumerator{"numerator", "числителя"};
constexpr FieldName kDenominator{"denominator", "знаменателя"};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool HasDigit(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), IsDigit);
}

// "1,5", "-0,25" or "3,2E-9": digits, one comma, digits and an optional exponent; as the
// coefficient entry's grid takes them and as assign writes them.
bool IsDecimalComma(std::string_view token)
{
    if (token.starts_with('-'))
        token.remove_prefix(1);
    if (const std::size_t e = token.find_first_of("eE"); e != std::string_view::npos) {
        std::string_view exponent = token.substr(e + 1);
        if (exponent.starts_with('-') || exponent.starts_with('+'))
            exponent.remove_prefix(1);
        if (exponent.empty() || !std::all_of(exponent.begin(), exponent.end(), IsDigit))
            return false;
        token = token.substr(0, e);
    }
    const std::size_t comma = token.find(',');
    return comma != std::string_view::npos && comma > 0 && comma + 1 < token.size() &&
           std::all_of(token.begin(), token.begin() + static_cast<std::ptrdiff_t>(comma),
                       IsDigit) &&
           std::all_of(token.begin() + static_cast<std::ptrdiff_t>(comma) + 1, token.end(),
                       IsDigit);
}

// A text that strtold, and so --tf, reads back into exactly value: the point-decimal twin of
// the typed number where that gives the same extended value, else the fewest digits that do.
std::string ExactText(std::string_view typed, Extended value)
{
    std::string text(typed);
    std::replace(text.begin(), text.end(), ',', '.');
    if (std::strtold(text.c_str(), nullptr) == value)
        return text;
    char digits[64];
    for (int precision = 1;; ++precision) {
        std::snprintf(digits, sizeof digits, "%.*Lg", precision, value);
        if (std::strtold(digits, nullptr) == value || precision >= 21)
            return digits;
    }
}

// One number: with a decimal comma read as the coefficient entry reads it (ParseNumber),
// otherwise with strtold as --tf reads it. text becomes what --tf reads back into value.
std::optional<Reason> ReadNumber(std::string_view token, const std::string& english,
                                 const std::string& russian, Extended& value, std::string& text)
{
    const std::string typed(token);
    // A message quotes the start of a long field, not all of it.
    const std::string shown = Excerpt(token);
    if (token.find(',') != std::string_view::npos) {
        if (!IsDecimalComma(token))
            return Reason{english + " '" + shown +
                              "' has a comma that is no decimal comma: a decimal comma stands "
                              "between digits, and numbers are separated by blanks",
                          "в записи " + russian + " «" + shown +
                              "» запятая не десятичная: десятичная запятая стоит между "
                              "цифрами, а числа разделяются пробелами"};
        try {
            value = ParseNumber(token);
        } catch (const ConversionError& error) {
            return Reason{english + " '" + shown +
                              "' has more digits than the coefficient entry reads (" +
                              Excerpt(error.what()) + ")",
                          "в записи " + russian + " «" + shown +
                              "» больше цифр, чем принимает поле ввода (не более 9 до "
                              "запятой и 7 после)"};
        }
        text = ExactText(token, value);
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const Extended x = std::strtold(typed.c_str(), &end);
    if (end == typed.c_str() || *end != '\0')
        return Reason{english + " '" + shown + "' is not a number",
                      "запись " + russian + " «" + shown + "» — не число"};
    if (errno == ERANGE)
        return Reason{english + " '" + shown + "' is outside the range of extended numbers",
                      "запись " + russian + " «" + shown + "» вне диапазона чисел"};
    if (!std::isfinite(x))
        return Reason{english + " '" + shown + "' is not a finite number",
                      "запись " + russian + " «" + shown + "» — не конечное число"};
    value = x;
    text = typed;
    return std::nullopt;
}

// The numbers of a coefficient field, highest power first. Blanks and semicolons separate
// them; a comma between digits is a decimal comma, and a comma before a blank or at the end
// still separates, so that a list "1, 5, 1" keeps its meaning.
std::vector<std::string_view> CoefficientTokens(std::string_view cell)
{
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    const auto separates = [&](std::size_t i) {
        const char c = cell[i];
        if (c == ' ' || c == '\t' || c == ';')
            return true;
        return c == ',' && (i + 1 == cell.size() || cell[i + 1] == ' ' || cell[i + 1] == '\t' ||
                            cell[i + 1] == ';');
    };
    for (std::size_t i = 0; i <= cell.size(); ++i) {
        if (i < cell.size() && !separates(i))
            continue;
        if (i > start)
            tokens.push_back(cell.substr(start, i - start));
        start = i + 1;
    }
    return tokens;
}

// Reads a coefficient field into coefficients (by power) and its degree, and appends its
// --tf text to list.
std::optional<Reason> ReadPolynomial(std::string_view cell, const FieldName& name,
                                     std::array<Extended, kCoefficientCount>& coefficients,
                                     std::uint8_t& degree, std::string& list)
{
    const std::vector<std::string_view> tokens = CoefficientTokens(cell);
    if (tokens.size() > static_cast<std::size_t>(kCoefficientCount))
        return Reason{std::string(name.English) + " has " + std::to_string(tokens.size()) +
                          " coefficients; at most 16 (degree 15)",
                      std::string("у ") + name.Russian + " " +
                          RussianCount(static_cast<long long>(tokens.size()), "коэффициент",
                                       "коэффициента", "коэффициентов") +
                          ", а допустимо не более 16 (степень 15)"};
    coefficients.fill(0);
    degree = static_cast<std::uint8_t>(tokens.size() - 1);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        std::string text;
        if (auto reason = ReadNumber(tokens[i], std::string(name.English) + " coefficient",
                                     std::string("коэффициента ") + name.Russian,
                                     coefficients[degree - i], text))
            return reason;
        list += (i > 0 ? "," : "") + text;
    }
    return std::nullopt;
}

// Reads the fields of one line into variant; on bad input returns the reason.
std::optional<Reason> ReadVariant(const std::vector<std::string>& fields, char separator,
                                  ClassVariant& variant)
{
    if (fields.size() < 4 || fields.size() > 5)
        return Reason{"expected 4 or 5 fields (student, group, numerator, denominator, delay), "
                      "found " +
                          std::to_string(fields.size()) +
                          (separator == ',' ? "; a decimal comma needs quotes or a point" : ""),
                      "ожидалось 4 или 5 полей (студент, группа, числитель, знаменатель, "
                      "запаздывание), а их " +
                          std::to_string(fields.size()) +
                          (separator == ','
                               ? "; число с десятичной запятой берётся в кавычки или пишется "
                                 "с точкой"
                               : "")};
    if (fields[0].empty())
        return Reason{"no student", "не указан студент"};
    for (const auto& [cell, name] :
         {std::pair{std::string_view(fields[2]), kNumerator}, {fields[3], kDenominator}}) {
        if (CoefficientTokens(cell).empty())
            return Reason{std::string("no ") + name.English, std::string("нет ") + name.Russian};
    }
    TransferFunction& tf = variant.Variant;
    std::string numerator, denominator, delay = "0";
    if (auto reason = ReadPolynomial(fields[2], kNumerator, tf.B, tf.NumeratorDegree, numerator))
        return reason;
    if (auto reason =
            ReadPolynomial(fields[3], kDenominator, tf.A, tf.DenominatorDegree, denominator))
        return reason;
    tf.Delay = 0;
    if (fields.size() == 5 && !fields[4].empty()) {
        if (auto reason = ReadNumber(fields[4], "delay", "запаздывания", tf.Delay, delay))
            return reason;
    }
    if (tf.DenominatorDegree < 1)
        return Reason{"the denominator needs at least two coefficients (degree 1 to 15)",
                      "в знаменателе нужно не меньше двух коэффициентов (степень от 1 до 15)"};
    if (tf.NumeratorDegree >= tf.DenominatorDegree)
        return Reason{"the numerator needs fewer coefficients than the denominator (degree m < n)",
                      "в числителе должно быть меньше коэффициентов, чем в знаменателе "
                      "(степень m < n)"};
    variant.Student = fields[0];
    variant.Group = fields[1];
    variant.Text = numerator + ":" + denominator + ":" + delay;
    return std::nullopt;
}

} // namespace

void ReadClassFile(std::string_view bytes, const std::function<void(ClassVariant&)>& take,
                   const std::function<void(ClassFileProblem&)>& skip, int* headerLine)
{
    if (headerLine)
        *headerLine = 0;
    const TableText table = ReadTableText(bytes, 4);
    bool first = true;
    std::vector<std::string> fields;
    ForEachTableLine(table.Text, [&](int number, std::string_view line) {
        const bool wasFirst = std::exchange(first, false);
        if (!SplitCsvLine(line, fields, table.Separator)) {
            ClassFileProblem problem{number, "a quote is not closed", "не закрыта кавычка"};
            skip(problem);
            return true;
        }
        // A NUL would end the name wherever it is handed on as C text.
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].find('\0') == std::string::npos)
                continue;
            const std::string field = std::to_string(i + 1);
            ClassFileProblem problem{number, "field " + field + " holds a NUL byte",
                                     "в поле " + field + " нулевой байт (NUL)"};
            skip(problem);
            return true;
        }
        if (wasFirst && (IsHeaderLine(fields) || fields.size() < 4 || !HasDigit(fields[3]))) {
            if (headerLine)
                *headerLine = number;
            return true;
        }
        ClassVariant variant;
        variant.Line = number;
        if (const auto reason = ReadVariant(fields, table.Separator, variant)) {
            ClassFileProblem problem{number, reason->English, reason->Russian};
            skip(problem);
        } else {
            take(variant);
        }
        return true;
    });
}

ClassFile ParseClassFile(std::string_view bytes)
{
    ClassFile file;
    ReadClassFile(
        bytes, [&](ClassVariant& variant) { file.Variants.push_back(std::move(variant)); },
        [&](ClassFileProblem& problem) { file.Problems.push_back(std::move(problem)); },
        &file.HeaderLine);
    return file;
}

} // namespace nirdal
