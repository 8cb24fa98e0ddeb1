#include "core/tf/transfer_function.h"

#include "core/numtext/numtext.h"

#include <cmath>
#include <cstdio>

namespace nirdal {

std::vector<TransferFunction> Variants;
std::uint8_t CurrentVariant = 0;
std::uint8_t VariantCount = 0;

void PrepareVariantSlot(std::uint8_t k)
{
    Variants.resize(std::size_t{k} + 1);
    TransferFunction& variant = Variants[k];
    variant.A.fill(0);
    for (int j = 0; j < kCoefficientCount - 1; ++j)
        variant.B[j] = 0;
    variant.DenominatorDegree = 1;
    variant.NumeratorDegree = 0;
    variant.Delay = 0;
}

TransferFunction& CurrentTransferFunction()
{
    return Variants.at(CurrentVariant);
}

std::string CoefficientLabel(std::uint8_t index, char letter)
{
    return (std::string(1, letter) + IntegerText(index) + "  ").substr(0, 5);
}

std::string DelaySecondsText(Extended seconds)
{
    // nearbyint rounds in the current mode, which the program never leaves: to nearest, ties to even.
    const Extended thousandths = std::nearbyint(seconds * 1000);
    if (!std::isfinite(thousandths))
        return std::isnan(thousandths) ? "Nan" : (thousandths > 0 ? "Inf" : "-Inf");
    const Extended magnitude = std::fabs(thousandths);
    const Extended fraction = std::fmod(magnitude, 1000); // exact
    const Extended whole = (magnitude - fraction) / 1000;
    char text[64];
    std::snprintf(text, sizeof text, "%s%.0Lf,%03d", thousandths < 0 ? "-" : "", whole,
                  static_cast<int>(fraction));
    return text;
}

} // namespace nirdal
