// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace nirdal {

/// Resolution a page is drawn at on a printer that declares none, in dots per inch.
inline constexpr int kFallbackPrinterDotsPerInch = 300;

/// The resolution the print server says printerName prints at by default, in dots per inch:
/// its printer-resolution-default, else the *DefaultResolution of its PPD. 0 when it says
/// neither or cannot be asked.
int DeclaredPrinterResolution(const QString& printerName);

/// DeclaredPrinterResolution, or kFallbackPrinterDotsPerInch where the printer declares none.
int PrinterDotsPerInch(const QString& printerName);

/// The dots per inch of a PPD resolution such as "300dpi", "600x300dpi" or "118dpcm" (the
/// horizontal one where they differ); 0 for anything else.
int ParsePpdResolution(const QString& text);

} // namespace nirdal
