// SPDX-License-Identifier: MIT
// Any bytes as the template of `nirdal-cli assign`: a template, whose expressions expand at
// the parameters' first values to the degrees it claims and typeset on a recording, or a
// refusal with a reason and a line the file has. The bytes are also tried as the piece of a
// deep denominator (inside hundreds of parentheses) and of a long one (repeated to 128 KB),
// where a reader that recursed once a term or a parenthesis would overflow its stack.
#include "core/assign/assignment_template.h"
#include "core/assign/formula_layout.h"
#include "core/common/recording_surface.h"
#include "fuzz_input.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

// Long enough for 30,000 terms of "s", short enough for many runs a second.
constexpr std::size_t kLongTemplate = std::size_t{1} << 17;

void Check(std::string_view text)
{
    using namespace nirdal;
    AssignmentTemplate result;
    TemplateError error;
    if (!ReadAssignmentTemplate(text, result, error)) {
        const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
        FUZZ_EXPECT(!error.Message.empty());
        FUZZ_EXPECT(error.Line >= 0 && error.Line <= lines);
        return;
    }
    FUZZ_EXPECT(result.Denominator.Degree >= 1 && result.Denominator.Degree <= 15);
    FUZZ_EXPECT(result.Numerator.Degree < result.Denominator.Degree);
    std::vector<ExactNumber> values(result.Parameters.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        FUZZ_EXPECT(result.Parameters[i].Count >= 1 &&
                    result.Parameters[i].Count <= kMaxParameterValues);
        FUZZ_EXPECT(ExactNumber::FromDecimal(result.Parameters[i].ValueText(0), values[i]));
    }
    try {
        const ExactPolynomial den = ExpandExpression(result.Denominator, values);
        FUZZ_EXPECT(den.size() == static_cast<std::size_t>(result.Denominator.Degree) + 1);
        for (const ExactNumber& c : den)
            FUZZ_EXPECT(!c.TypedText(',').empty());
        ExpandExpression(result.Numerator, values);
    } catch (const std::exception&) {
        // Numbers too long to expand exactly are refused at the draw.
    }
    RecordingSurface surface(300);
    const FormulaBox box = TypesetTransferFunction(surface, *result.Numerator.Root,
                                                   *result.Denominator.Root, "0,5", 12, 2000);
    FUZZ_EXPECT(box.Width >= 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(text);
    if (size == 0 || size > 200 || text.find('\n') != std::string_view::npos)
        return 0;
    // The first byte sets how deep or how many times, the rest is the piece.
    const std::string_view piece = text.substr(1);
    const std::size_t times = 1 + static_cast<unsigned char>(text[0]) * 8;
    const std::string head = "task = t\nnum = 1\nden = ";
    std::string deep = head;
    deep.append(times, '(');
    deep += piece;
    deep.append(times, ')');
    Check(deep + "\n");
    std::string flat = head + "s";
    while (flat.size() + piece.size() + 3 < kLongTemplate && piece.size() > 0)
        flat += " + " + std::string(piece);
    Check(flat + "\n");
    return 0;
}
