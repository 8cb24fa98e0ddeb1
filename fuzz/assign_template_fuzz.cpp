// SPDX-License-Identifier: MIT
// Any bytes as the template of `nirdal-cli assign`: a template, whose expressions expand at
// the parameters' first values to the degrees it claims, or a refusal with a reason and a
// line the file has.
#include "core/assign/assignment_template.h"
#include "fuzz_input.h"

#include <algorithm>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nirdal;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    AssignmentTemplate result;
    TemplateError error;
    if (!ReadAssignmentTemplate(text, result, error)) {
        const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
        FUZZ_EXPECT(!error.Message.empty());
        FUZZ_EXPECT(error.Line >= 0 && error.Line <= lines);
        return 0;
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
            FUZZ_EXPECT(!c.RoundedText(',').empty());
        ExpandExpression(result.Numerator, values);
    } catch (const std::exception&) {
        // Numbers too long to expand exactly are refused at the draw.
    }
    return 0;
}
