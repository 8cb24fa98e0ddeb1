// SPDX-License-Identifier: MIT
#include "core/response/unattended_sweep.h"

#include "core/response/response_computation.h"

namespace nirdal {

namespace {

// The unattended user reads the state of the computation, not the screen.
class NoScreen final : public ResponseScreen
{
public:
    void SetVisible(ScreenControl, bool) override {}
    void SetCaption(ScreenControl, std::string_view) override {}
    void RequestClose() override {}
};

SweepReport Run(TransferFunction& variant, int continuations, Surface* listing)
{
    NoScreen screen;
    ResponseComputation computation(variant, screen, listing);
    SweepReport report;
    int pages = 0;
    const auto notePage = [&] {
        if (computation.PagesWritten() > pages) {
            pages = computation.PagesWritten();
            report.PageEnds.push_back(computation.Fields().NextSlot);
        }
    };

    computation.Start();
    notePage();
    for (;;) {
        switch (computation.State()) {
        case ComputationState::StartNotFound:
            if (continuations-- > 0) {
                computation.ContinueSearch();
                notePage();
                continue;
            }
            report.Outcome = SweepOutcome::NoStart;
            break;
        case ComputationState::PageFull:
            computation.NextPage();
            notePage();
            continue;
        case ComputationState::LimitExceeded:
            report.Outcome = SweepOutcome::ModulusLimit;
            break;
        case ComputationState::Converged:
            report.Outcome = SweepOutcome::Converged;
            break;
        case ComputationState::Full:
            report.Outcome = SweepOutcome::Full;
            break;
        default: // Fault; no other state outlives a command
            report.Outcome = SweepOutcome::Fault;
            for (const std::string& line : computation.FaultNotice()) {
                if (!line.empty())
                    report.Notice += (report.Notice.empty() ? "" : "\n") + line;
            }
            break;
        }
        break;
    }

    report.NextSlot = computation.Fields().NextSlot;
    report.SearchSteps = computation.SearchStepsTaken();
    // The user's last press: "выход" on StartNotFoundPanel, "финиш" on the stop notices.
    switch (report.Outcome) {
    case SweepOutcome::NoStart:
        computation.LeaveSearch();
        break;
    case SweepOutcome::ModulusLimit:
        computation.FinishAtLimit();
        break;
    case SweepOutcome::Converged:
        computation.FinishConverged();
        break;
    case SweepOutcome::Fault:
        computation.FinishAfterFault();
        break;
    case SweepOutcome::Full:
        break;
    }
    return report;
}

} // namespace

const char* OutcomeName(SweepOutcome outcome)
{
    switch (outcome) {
    case SweepOutcome::ModulusLimit:
        return "modulus";
    case SweepOutcome::Converged:
        return "converged";
    case SweepOutcome::Full:
        return "full";
    case SweepOutcome::NoStart:
        return "no-start";
    case SweepOutcome::Fault:
        return "fault";
    }
    return "fault";
}

SweepReport RunUnattendedSweep(TransferFunction& variant, int continuations)
{
    return Run(variant, continuations, nullptr);
}

SweepReport RunUnattendedSweep(TransferFunction& variant, int continuations, Surface& listing)
{
    return Run(variant, continuations, &listing);
}

} // namespace nirdal
