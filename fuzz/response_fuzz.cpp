// SPDX-License-Identifier: MIT
// Any degrees, coefficients and delay, driven by any sequence of the computation screen's
// commands: every command ends in a state the screen can show, with at most one notice up,
// the store holds finite points only, no slot outside 1..200 is touched (the store throws
// on one), and a command does a bounded amount of work.
#include "core/common/surface.h"
#include "core/response/response_computation.h"
#include "core/tf/response_store.h"
#include "fuzz_input.h"

#include <array>
#include <cmath>
#include <string_view>

namespace {

using namespace nirdal;

// Iterations of one search run, the stopping one included, and points of one page.
constexpr int kSearchRunLimit = 51;
constexpr int kPointsPerPage = 45;
constexpr int kMaxCommands = 40;

class FuzzScreen final : public ResponseScreen
{
public:
    void SetVisible(ScreenControl control, bool visible) override
    {
        m_visible[static_cast<std::size_t>(control)] = visible;
    }
    void SetCaption(ScreenControl, std::string_view) override {}
    void RequestClose() override { ++closeRequests; }

    bool Visible(ScreenControl control) const
    {
        return m_visible[static_cast<std::size_t>(control)];
    }

    int closeRequests = 0;

private:
    std::array<bool, kScreenControlCount> m_visible{};
};

// Counts the listing lines of points, and checks that each stays on the listing's grid and
// within its 34 characters: V from position 24, of at most 11.
class ListingCounter final : public TextSurface
{
public:
    void TextOut(int x, int y, std::string_view text) override
    {
        FUZZ_EXPECT(x == 10 || x == 260);
        FUZZ_EXPECT(y >= 40 && y <= 290);
        if (y >= 70) {
            FUZZ_EXPECT(text.size() <= 34);
            ++pointLines;
        }
    }

    int pointLines = 0;
};

std::uint8_t AnyDegree(FuzzedDataProvider& input)
{
    const auto raw = input.ConsumeIntegral<std::uint8_t>();
    return raw < 240 ? raw % 16 : raw;
}

TransferFunction VariantFromBytes(FuzzedDataProvider& input)
{
    TransferFunction variant;
    variant.DenominatorDegree = AnyDegree(input);
    variant.NumeratorDegree = AnyDegree(input);
    for (Extended& a : variant.A)
        a = fuzz::AnyExtended(input);
    for (Extended& b : variant.B)
        b = fuzz::AnyExtended(input);
    variant.Delay = fuzz::AnyExtended(input);
    return variant;
}

void RunCommand(ResponseComputation& computation, int command)
{
    switch (command) {
    case 0:
        computation.Start();
        break;
    case 1:
        computation.ContinueSearch();
        break;
    case 2:
        computation.LeaveSearch();
        break;
    case 3:
        computation.FinishAtLimit();
        break;
    case 4:
        computation.FinishConverged();
        break;
    case 5:
        computation.Exit();
        break;
    case 6:
        computation.FinishAfterFault();
        break;
    default:
        computation.NextPage();
        break;
    }
}

// The notice panel a state shows; NextPageButton stands for none.
ScreenControl NoticeOf(ComputationState state)
{
    switch (state) {
    case ComputationState::StartNotFound:
        return ScreenControl::StartNotFoundPanel;
    case ComputationState::LimitExceeded:
        return ScreenControl::LimitPanel;
    case ComputationState::Converged:
        return ScreenControl::ConvergedPanel;
    case ComputationState::Fault:
        return ScreenControl::FaultPanel;
    default:
        return ScreenControl::NextPageButton;
    }
}

void ExpectLegalEnd(const ResponseComputation& computation, const FuzzScreen& screen,
                    const TransferFunction& variant)
{
    const ComputationState state = computation.State();
    FUZZ_EXPECT(state != ComputationState::Searching && state != ComputationState::Sweeping);

    int shown = 0;
    for (ScreenControl panel : {ScreenControl::StartNotFoundPanel, ScreenControl::LimitPanel,
                                ScreenControl::ConvergedPanel, ScreenControl::FaultPanel})
        shown += screen.Visible(panel) ? 1 : 0;
    FUZZ_EXPECT(shown <= 1);
    if (NoticeOf(state) != ScreenControl::NextPageButton)
        FUZZ_EXPECT(screen.Visible(NoticeOf(state)));
    if (state == ComputationState::Fault) {
        FUZZ_EXPECT(computation.Fault() != ComputationFault::None);
        FUZZ_EXPECT(!computation.FaultNotice()[0].empty());
    }

    FUZZ_EXPECT(screen.closeRequests == (computation.CloseRequested() ? 1 : 0));
    if (state == ComputationState::Closed || state == ComputationState::Full)
        FUZZ_EXPECT(computation.CloseRequested());

    const ComputationFields& f = computation.Fields();
    FUZZ_EXPECT(f.NextSlot == 0 || (f.NextSlot >= 3 && f.NextSlot <= kLastSlot + 1));
    if (state == ComputationState::Full)
        FUZZ_EXPECT(f.NextSlot == kLastSlot + 1);
    FUZZ_EXPECT(f.SearchSteps <= kSearchRunLimit);
    FUZZ_EXPECT(f.ListLine <= kPointsPerPage + 1);

    for (int k = kFirstSlot; k <= kLastSlot; ++k) {
        const ResponsePoint& point = variant.ResponseArrays[k];
        FUZZ_EXPECT(std::isfinite(point.Frequency) && std::isfinite(point.U) &&
                    std::isfinite(point.V));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    TransferFunction variant = VariantFromBytes(input);
    FuzzScreen screen;
    ListingCounter listing;
    ResponseComputation computation(variant, screen, &listing);

    for (int i = 0; i < kMaxCommands && input.remaining_bytes() > 0; ++i) {
        const bool closedBefore = computation.CloseRequested();
        const ComputationState stateBefore = computation.State();
        const ResponseArrays storeBefore = variant.ResponseArrays;
        const int linesBefore = listing.pointLines;
        const int pagesBefore = computation.PagesWritten();

        RunCommand(computation, input.ConsumeIntegralInRange(0, 7));

        // The work of one command: one search run and at most one page.
        FUZZ_EXPECT(listing.pointLines - linesBefore <= kPointsPerPage);
        FUZZ_EXPECT(computation.PagesWritten() - pagesBefore <= 1);
        ExpectLegalEnd(computation, screen, variant);
        // Once the close is asked for, nothing changes any more.
        if (closedBefore) {
            FUZZ_EXPECT(computation.State() == stateBefore);
            FUZZ_EXPECT(variant.ResponseArrays == storeBefore);
        }
    }
    return 0;
}
