// SPDX-License-Identifier: MIT
// Any stored points of 1..255 variants drawn on the recording surface, as the screen shows
// them and on paper at any gain the gain check accepts: every device coordinate is an int
// near the surface, no arithmetic overflows, and a refused gain keeps the scale. Every
// finite delay is written whole for the coefficient texts.
#include "core/common/recording_surface.h"
#include "core/plot/plot.h"
#include "core/plot/print_page.h"
#include "core/tf/transfer_function.h"
#include "fuzz_input.h"

#include <cmath>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using namespace nirdal;

// Points are pulled in to kCoordinateLimit from the origin; the origin, the ticks and the
// summary lines add less than this on top.
constexpr long long kReach = static_cast<long long>(kCoordinateLimit) + (1 << 20);

// Reads the bytes of the pool round and round, so a short input still fills every point.
class Pool
{
public:
    explicit Pool(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    std::uint8_t Byte()
    {
        if (m_bytes.empty())
            return 0;
        const std::uint8_t byte = m_bytes[m_next];
        m_next = (m_next + 1) % m_bytes.size();
        return byte;
    }

    Extended Pattern()
    {
        std::uint8_t bytes[10]{};
        if (m_bytes.size() >= sizeof bytes && m_next + sizeof bytes <= m_bytes.size()) {
            std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_next), sizeof bytes, bytes);
            m_next = (m_next + sizeof bytes) % m_bytes.size();
        } else {
            for (std::uint8_t& byte : bytes)
                byte = Byte();
        }
        return fuzz::ExtendedFromBytes(bytes);
    }

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_next = 0;
};

void FillVariants(Assignment& assignment, int count, Pool& pool)
{
    assignment.Variants.reserve(kMaxVariants + 1);
    assignment.Variants.assign(static_cast<std::size_t>(count) + 1, TransferFunction{});
    assignment.VariantCount = static_cast<std::uint8_t>(count);
    for (int i = 1; i <= count; ++i) {
        TransferFunction& variant = assignment.Variants[static_cast<std::size_t>(i)];
        variant.DenominatorDegree = static_cast<std::uint8_t>(1 + pool.Byte() % 15);
        variant.NumeratorDegree =
            static_cast<std::uint8_t>(pool.Byte() % variant.DenominatorDegree);
        variant.A[variant.DenominatorDegree] = pool.Pattern();
        variant.B[variant.NumeratorDegree] = pool.Pattern();
        variant.Delay = pool.Pattern();
        for (int k = kFirstSlot; k <= kLastSlot; ++k) {
            variant.ResponseArrays[k].U = pool.Pattern();
            variant.ResponseArrays[k].V = pool.Pattern();
        }
    }
}

Extended AnyGain(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
        return input.ConsumeIntegralInRange(-1, kMaxDotsPerUnit + 1);
    case 1:
        return input.ConsumeFloatingPointInRange(0.0, 2.0 * kMaxDotsPerUnit);
    default:
        return fuzz::AnyExtended(input);
    }
}

// "[-]S,mmm": the whole seconds, a comma and exactly three digits of thousandths.
bool IsDelayText(std::string_view text)
{
    if (text.starts_with('-'))
        text.remove_prefix(1);
    const std::size_t comma = text.find(',');
    const auto digits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return comma != std::string_view::npos && digits(text.substr(0, comma)) &&
           text.size() - comma == 4 && digits(text.substr(comma + 1));
}

bool Near(int coordinate)
{
    return std::llabs(coordinate) <= kReach;
}

// Checks every coordinate, and that each variant's curve, drawn after a pen in its colour,
// is at most one move and 199 lines.
void ExpectDrawing(const RecordingSurface& surface, int count)
{
    int curves = 0;
    int curvePoints = -1; // -1 outside a curve
    const auto endCurve = [&] {
        FUZZ_EXPECT(curvePoints <= kLastSlot);
        curvePoints = -1;
    };
    for (const DrawOp& op : surface.ops()) {
        switch (op.kind) {
        case DrawOp::Kind::Arc:
            for (int value : op.args)
                FUZZ_EXPECT(Near(value));
            break;
        case DrawOp::Kind::Move:
        case DrawOp::Kind::Line:
            FUZZ_EXPECT(Near(op.args[0]) && Near(op.args[1]));
            if (curvePoints >= 0)
                FUZZ_EXPECT(op.kind == DrawOp::Kind::Line || curvePoints == 0);
            if (curvePoints >= 0)
                ++curvePoints;
            break;
        case DrawOp::Kind::Text:
            FUZZ_EXPECT(Near(op.args[0]) && Near(op.args[1]));
            endCurve();
            break;
        case DrawOp::Kind::Pen:
            endCurve();
            // Black for the scale; no variant colour is black.
            if (op.colour != Rgb{}) {
                ++curves;
                curvePoints = 0;
            }
            break;
        case DrawOp::Kind::FontSize:
        case DrawOp::Kind::Page:
            break;
        }
    }
    endCurve();
    FUZZ_EXPECT(curves == count);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    // Mostly a few variants, for speed; one input in sixteen draws 240 to 255 of them.
    const auto countByte = input.ConsumeIntegral<std::uint8_t>();
    const int count = countByte < 240 ? 1 + countByte % 4 : countByte;
    const Extended gain = AnyGain(input);
    Pool pool(input.ConsumeRemainingBytes<std::uint8_t>());
    // Kept at its largest size between runs: a fresh 2.5 MB on every run costs more than
    // the drawing.
    static Assignment assignment;
    FillVariants(assignment, count, pool);
    for (int i = 1; i <= count; ++i) {
        const Extended delay = assignment.Variants[static_cast<std::size_t>(i)].Delay;
        if (std::isfinite(delay))
            FUZZ_EXPECT(IsDelayText(DelaySecondsText(delay)));
    }
    BuildCoefficientTexts(assignment);

    // The surfaces keep their capacity between runs, for speed, but no texts: what a run
    // leaves allocated, libFuzzer takes for a leak and runs again under the leak checker.
    static RecordingSurface screen;
    // A4 sheets at 300 dots per inch: the summary lines break and go on to further sheets.
    static RecordingSurface page(300, A4Sheet(300));
    struct ClearAfterRun
    {
        ~ClearAfterRun()
        {
            screen.clear();
            page.clear();
        }
    } clearAfterRun;
    PlotFields fields;
    DrawPlot(screen, fields, assignment, "");
    ExpectDrawing(screen, count);

    const double screenScale = fields.PlotScale;
    if (const auto refusal = SetDotsPerUnit(fields, gain)) {
        FUZZ_EXPECT(!refusal->empty());
        FUZZ_EXPECT(fields.PlotScale == screenScale);
        return 0;
    }
    FUZZ_EXPECT(fields.PlotScale > 0);
    DrawPrintPage(page, fields, assignment, "");
    FUZZ_EXPECT(fields.PixelsPerUnitX >= 1 && fields.PixelsPerUnitX <= kMaxDotsPerUnit);
    ExpectDrawing(page, count);
    return 0;
}
