// SPDX-License-Identifier: MIT
// analyse: poles, Nyquist verdict and stability margins of variants, for the teacher.
#include "cli/analysis_report.h"
#include "cli/commands.h"
#include "core/common/safe_text.h"
#include "core/tf/tf_text.h"

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
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view option = args[i];
        if (option != "--tf" && option != "--format")
            return UsageError("analyse", "unknown argument " + QuotedArgument(option));
        if (i + 1 == args.size())
            return UsageError("analyse", std::string(option) + " needs a value");
        const std::string_view value = args[++i];
        if (option == "--format") {
            if (!ParseReportFormat(value, format))
                return UsageError("analyse", "--format takes text, csv or json, not " + QuotedArgument(value));
            continue;
        }
        TransferFunction variant;
        std::string error;
        if (!ParseTransferFunctionText(value, variant, error))
            return UsageError("analyse", "--tf " + QuotedArgument(value) + ": " + error);
        ReportRow row;
        row.Number = static_cast<int>(rows.size()) + 1;
        row.Text = value;
        rows.push_back(std::move(row));
        variants.push_back(variant);
    }
    if (rows.empty())
        return UsageError("analyse", "--tf NUM:DEN[:DELAY] is required");

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
