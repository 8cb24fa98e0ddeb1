// SPDX-License-Identifier: MIT
// Any bytes as the class file that `nirdal-cli batch` reads: every line that is not blank, a
// comment or the header becomes a variant or a problem with its own number (and its reason in
// both languages), in file order; each variant's text, as nirdal-export reads it to draw the
// student's page, gives back the very variant; the variants are analysed without a crash or a
// hang.
#include "core/analysis/class_file.h"
#include "core/analysis/stability.h"
#include "core/tf/tf_text.h"
#include "fuzz_input.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// Analysing is the slow part; a handful of variants an input keeps the run fast.
constexpr std::size_t kAnalysedVariants = 4;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nirdal;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ClassFile file = ParseClassFile(text);
    const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;

    std::vector<int> numbers;
    for (const ClassVariant& variant : file.Variants) {
        numbers.push_back(variant.Line);
        FUZZ_EXPECT(!variant.Student.empty());
        FUZZ_EXPECT(std::count(variant.Text.begin(), variant.Text.end(), ':') == 2);
        TransferFunction again;
        std::string error;
        FUZZ_EXPECT(ParseTransferFunctionText(variant.Text, again, error));
        FUZZ_EXPECT(again.NumeratorDegree == variant.Variant.NumeratorDegree &&
                    again.DenominatorDegree == variant.Variant.DenominatorDegree);
        FUZZ_EXPECT(again.A == variant.Variant.A && again.B == variant.Variant.B);
        FUZZ_EXPECT(again.Delay == variant.Variant.Delay);
    }
    for (const ClassFileProblem& problem : file.Problems) {
        numbers.push_back(problem.Line);
        FUZZ_EXPECT(!problem.Message.empty() && !problem.RussianMessage.empty());
    }
    // Each line is reported once at most, and only lines the file has.
    std::sort(numbers.begin(), numbers.end());
    FUZZ_EXPECT(std::adjacent_find(numbers.begin(), numbers.end()) == numbers.end());
    FUZZ_EXPECT(numbers.empty() || (numbers.front() >= 1 && numbers.back() <= lines));

    for (std::size_t i = 0; i < std::min(file.Variants.size(), kAnalysedVariants); ++i) {
        const StabilityAnalysis analysis = AnalyseStability(file.Variants[i].Variant);
        FUZZ_EXPECT(analysis.Failure.empty() || analysis.Poles.empty());
    }
    return 0;
}
