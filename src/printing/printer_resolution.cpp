// SPDX-License-Identifier: MIT
#include "printing/printer_resolution.h"

#include <QFile>
#include <QRegularExpression>

#include <cups/cups.h>
#include <cups/ppd.h>

#include <cmath>
#include <unistd.h>

namespace nirdal {

namespace {

// Resolutions below this or above the next are no printer's; a value outside is a fault of
// the server or of its PPD, and the fallback is safer.
constexpr int kLeastDotsPerInch = 50;
constexpr int kMostDotsPerInch = 4800;

int Plausible(int dotsPerInch)
{
    return dotsPerInch >= kLeastDotsPerInch && dotsPerInch <= kMostDotsPerInch ? dotsPerInch : 0;
}

int DotsPerInch(int value, bool perCentimetre)
{
    return perCentimetre ? static_cast<int>(std::lround(value * 2.54)) : value;
}

// The printer's printer-resolution-default attribute.
int IppDefaultResolution(const QByteArray& name)
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest)
        return 0;
    int dotsPerInch = 0;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        ipp_attribute_t* attribute =
            cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution");
        if (attribute && ippGetValueTag(attribute) == IPP_TAG_RESOLUTION) {
            int vertical = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            const int horizontal = ippGetResolution(attribute, 0, &vertical, &units);
            dotsPerInch = DotsPerInch(horizontal, units == IPP_RES_PER_CM);
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return Plausible(dotsPerInch);
}

// The *DefaultResolution of the printer's PPD, which the server hands out as a temporary copy.
int PpdDefaultResolution(const QByteArray& name)
{
    // The PPD interface is deprecated in favour of IPP attributes, but printer drivers still
    // ship PPDs, and a server may not turn every PPD setting into an attribute.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const char* copy = cupsGetPPD(name.constData());
#pragma GCC diagnostic pop
    if (!copy)
        return 0;
    const QString path = QString::fromLocal8Bit(copy);
    int dotsPerInch = 0;
    QFile ppd(path);
    if (ppd.open(QIODevice::ReadOnly)) {
        static const QRegularExpression line(QStringLiteral("^\\*DefaultResolution:\\s*(\\S+)"));
        while (!ppd.atEnd() && dotsPerInch == 0) {
            const QRegularExpressionMatch match = line.match(QString::fromLatin1(ppd.readLine()));
            if (match.hasMatch())
                dotsPerInch = ParsePpdResolution(match.captured(1));
        }
    }
    ::unlink(copy);
    return dotsPerInch;
}

} // namespace

int ParsePpdResolution(const QString& text)
{
    static const QRegularExpression resolution(
        QStringLiteral("^(\\d{1,5})(?:x\\d{1,5})?(dpi|dpcm)$"));
    const QRegularExpressionMatch match = resolution.match(text.trimmed());
    if (!match.hasMatch())
        return 0;
    return Plausible(DotsPerInch(match.captured(1).toInt(), match.captured(2) == "dpcm"));
}

int DeclaredPrinterResolution(const QString& printerName)
{
    const QByteArray name = printerName.toLocal8Bit();
    if (name.isEmpty())
        return 0;
    const int declared = IppDefaultResolution(name);
    return declared != 0 ? declared : PpdDefaultResolution(name);
}

int PrinterDotsPerInch(const QString& printerName)
{
    const int declared = DeclaredPrinterResolution(printerName);
    return declared != 0 ? declared : kFallbackPrinterDotsPerInch;
}

} // namespace nirdal
