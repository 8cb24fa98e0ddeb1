#pragma once

#include "core/common/recording_surface.h"
#include "core/common/surface.h"

#include <QFont>
#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

class QIODevice;

namespace nirdal {

/// Resolution of an exported screen picture, in pixels per inch.
constexpr int kScreenDotsPerInch = 96;
/// Resolution of an exported page, in dots per inch.
constexpr int kPageDotsPerInch = 300;

/// Writes a recorded screen picture, kGraphClientWidth × kGraphClientHeight pixels on
/// white, to a PNG, SVG or PDF file as the path's extension says. On failure returns false
/// with the reason in error.
bool WriteScreenPicture(const QString& path, const std::vector<DrawOp>& ops, QString& error);

/// Writes a recorded page: a PDF as one A4 page, a PNG or SVG as large as the drawing, that
/// is the rectangle from (0, 0) to axesEnd grown to take in every text. On failure returns
/// false with the reason in error.
bool WritePagePicture(const QString& path, const std::vector<DrawOp>& ops, QPoint axesEnd,
                      QString& error);

/// Draws one A4 page at kPageDotsPerInch with draw into a PDF written to device, which must
/// be open for writing.
void WritePagePdf(QIODevice& device, const std::function<void(Surface&)>& draw);

/// The face every exported picture and page is written in.
QFont ExportFont();

/// Draws recorded operations onto surface, in order.
void ReplayDrawing(const std::vector<DrawOp>& ops, Surface& surface);

/// The size of a recorded page's drawing at kPageDotsPerInch: the rectangle from (0, 0) to
/// axesEnd grown to take in every text, as a page PNG is sized.
QSize PageDrawingSize(const std::vector<DrawOp>& ops, QPoint axesEnd);

} // namespace nirdal
