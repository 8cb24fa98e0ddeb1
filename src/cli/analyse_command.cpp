// SPDX-License-Identifier: MIT
// analyse: poles, Nyquist verdict and stability margins of variants, for the teacher.
#include "cli/analysis_report.h"
#include "cli/commands.h"
#include "cli/option_reader.h"

#include <cstdio>

namespace nirdal::cli {

int RunAnalyse(Arguments args)
{
    if (WantsHelp(args)) {
        std::printf("usage: nirdal-cli analyse --tf NUM:DEN[:DELAY] [--tf ...] "
                    "[--format text|csv|json]\n\n"
                    "  --tf NUM:DEN[:DELAY]  one variant: comma-separated coefficients, highest\n"
                    "                        power first, and the delay T in seconds\n"
                    "  --format F            text (default), csv or json\n\n%s\n"
                    "Exit status 1 when a variant could not be analysed.\n",
                    kAnalysisHelp);
        return 0;
    }
    std::vector<ReportRow> rows;
    std::vector<TransferFunction> variants;
    ReportFormat format = ReportFormat::Text;
    const auto error = ReadOptions(
        args, {{"--tf"}, {"--format"}},
        [&](std::string_view name, std::string_view value) -> std::optional<std::string> {
            if (name == "--format")
                return ReadFormatOption(value, format);
            TransferFunction variant;
            if (auto reason = ReadVariantOption(value, variant))
                return reason;
            ReportRow row;
            row.Number = static_cast<int>(rows.size()) + 1;
            row.Text = value;
            rows.push_back(std::move(row));
            variants.push_back(variant);
            return std::nullopt;
        });
    if (error)
        return UsageError("analyse", *error);
    if (rows.empty())
        return UsageError("analyse", kVariantRequired);

    int status = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].Analysis = AnalyseStability(variants[i]);
        if (!rows[i].Analysis.Failure.empty())
            status = 1;
    }
    WriteReport(stdout, rows, format, false);
    return status;
}

} // namespace nirdal::cli
