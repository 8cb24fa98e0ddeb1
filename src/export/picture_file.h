// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/recording_surface.h"
#include "core/common/surface.h"

#include <QFont>
#include <QPoint>
#include <QSize>
#include <QString>

#include <filesystem>
#include <functional>
#include <vector>

class QIODevice;

namespace nirdal {

/// Resolution of an exported page unless another is asked for, in dots per inch.
constexpr int kPageDotsPerInch = 300;

/// The room texts take in the face of the exported pictures at dotsPerInch, as the page
/// writers below draw them.
TextMeasure PageTextMeasure(int dotsPerInch);

/// Writes a recorded screen picture, kGraphClientWidth × kGraphClientHeight pixels on
/// white, to a PNG, SVG or PDF file as the path's extension says, whole or not at all
/// (WriteWholeDevice). On failure returns false with the reason in error.
bool WriteScreenPicture(const std::filesystem::path& path, const std::vector<DrawOp>& ops, QString& error);

/// Writes a recorded picture of size pixels on white, at the screen's resolution, to a PNG,
/// SVG or PDF file (one page of that size) as the path's extension says. On failure returns
/// false with the reason in error.
bool WritePicture(const std::filesystem::path& path, const std::vector<DrawOp>& ops, QSize size,
                  QString& error);

/// Writes a recorded page at dotsPerInch: a PDF of A4 sheets, a PNG or SVG as large as the
/// drawing, that is the rectangle from (0, 0) to axesEnd grown to take in every text. On
/// failure returns false with the reason in error.
bool WritePagePicture(const std::filesystem::path& path, const std::vector<DrawOp>& ops, QPoint axesEnd,
                      int dotsPerInch, QString& error);

/// Draws A4 sheets, the whole sheet printable, at dotsPerInch with draw into a PDF written to
/// device, which must be open for writing.
void WritePagePdf(QIODevice& device, const PageDrawing& draw,
                  int dotsPerInch = kPageDotsPerInch);

/// WritePagePdf into the file at path. On failure returns false with the reason in error.
bool WritePagePdfFile(const std::filesystem::path& path, const PageDrawing& draw,
                      int dotsPerInch, QString& error);

/// The face every exported picture and page is written in.
QFont ExportFont();

} // namespace nirdal
