// SPDX-License-Identifier: MIT
#include "export/picture_file.h"

#include "core/plot/plot.h"
#include "export/whole_device.h"
#include "qtdraw/painter_surface.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRect>
#include <QSvgGenerator>

#include <cmath>
#include <memory>

namespace nirdal {

namespace {

// A face every machine with the project's packages has, so exports look alike everywhere.
constexpr const char* kFontFamily = "DejaVu Sans";

// An image larger than this is refused rather than allocated.
constexpr qint64 kMaxImagePixels = 100'000'000;

enum class FileKind
{
    Png,
    Svg,
    Pdf,
    Unknown
};

FileKind KindOf(const std::filesystem::path& path)
{
    const QString suffix =
        QString::fromStdString(path.extension().string()).mid(1).toLower();
    if (suffix == "png")
        return FileKind::Png;
    if (suffix == "svg")
        return FileKind::Svg;
    if (suffix == "pdf")
        return FileKind::Pdf;
    return FileKind::Unknown;
}

int DotsPerMeter(int dotsPerInch)
{
    return static_cast<int>(std::lround(dotsPerInch / 0.0254));
}

// Draws the recorded operations again; a new sheet is started where the recording started
// one.
void Replay(const std::vector<DrawOp>& ops, PageSurface& surface)
{
    for (const DrawOp& op : ops) {
        const auto& a = op.args;
        switch (op.kind) {
        case DrawOp::Kind::FontSize:
            surface.SetFontSize(a[0]);
            break;
        case DrawOp::Kind::Pen:
            surface.SetPen(a[0], op.colour);
            break;
        case DrawOp::Kind::Move:
            surface.MoveTo(a[0], a[1]);
            break;
        case DrawOp::Kind::Line:
            surface.LineTo(a[0], a[1]);
            break;
        case DrawOp::Kind::Arc:
            surface.Arc(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
            break;
        case DrawOp::Kind::Text:
            surface.TextOut(a[0], a[1], op.text);
            break;
        case DrawOp::Kind::Page:
            surface.NewPage();
            break;
        }
    }
}

// Paints with a fresh painter in black on white (unless the paper is white already).
void Paint(QPaintDevice& device, bool fillWhite, const PageDrawing& draw)
{
    QPainter painter(&device);
    painter.setFont(QFont(kFontFamily));
    if (fillWhite)
        painter.fillRect(QRect(0, 0, device.width(), device.height()), Qt::white);
    painter.setPen(Qt::black);
    PainterSurface surface(painter);
    draw(surface);
}

// The rectangle from (0, 0) to axesEnd, grown to take in every text as drawn at
// dotsPerInch.
QSize DrawingSize(const std::vector<DrawOp>& ops, QPoint axesEnd, int dotsPerInch)
{
    const TextMeasure measure = PageTextMeasure(dotsPerInch);
    int points = 10;
    QRect bounds(QPoint(0, 0), axesEnd);
    for (const DrawOp& op : ops) {
        if (op.kind == DrawOp::Kind::FontSize) {
            points = op.args[0];
        } else if (op.kind == DrawOp::Kind::Text) {
            const TextExtent extent = measure(points, op.text);
            bounds |= QRect(op.args[0], op.args[1], extent.Width, extent.LineSpacing);
        }
    }
    return QSize(bounds.right() + 1, bounds.bottom() + 1);
}

// Writes the drawing on a size × dotsPerInch canvas as PNG or SVG.
bool WriteCanvas(const std::filesystem::path& path, FileKind kind, QSize size, int dotsPerInch,
                 const std::vector<DrawOp>& ops, QString& error)
{
    const auto draw = [&ops](PageSurface& surface) { Replay(ops, surface); };
    if (kind == FileKind::Png) {
        if (qint64{size.width()} * size.height() > kMaxImagePixels) {
            error = QString("the drawing is %1 x %2 pixels, too large for an image; "
                            "write a PDF or SVG instead")
                        .arg(size.width())
                        .arg(size.height());
            return false;
        }
        QImage image(size, QImage::Format_RGB32);
        if (image.isNull()) {
            error = QString("no memory for a %1 x %2 image").arg(size.width()).arg(size.height());
            return false;
        }
        image.setDotsPerMeterX(DotsPerMeter(dotsPerInch));
        image.setDotsPerMeterY(DotsPerMeter(dotsPerInch));
        Paint(image, true, draw);
        return WriteWholeDevice(
            path,
            [&image](QIODevice& device, QString& reason) {
                if (image.save(&device, "PNG"))
                    return true;
                reason = "the PNG encoder failed";
                return false;
            },
            error);
    }
    return WriteWholeDevice(
        path,
        [&](QIODevice& device, QString&) {
            QSvgGenerator svg;
            svg.setOutputDevice(&device);
            svg.setSize(size);
            svg.setViewBox(QRect(QPoint(0, 0), size));
            svg.setResolution(dotsPerInch);
            svg.setTitle("nirdal");
            Paint(svg, true, draw);
            return true;
        },
        error);
}

bool UnknownKind(const std::filesystem::path& path, QString& error)
{
    error = QString("%1: the file name must end in .png, .svg or .pdf")
                .arg(QString::fromStdString(path.string()));
    return false;
}

} // namespace

TextMeasure PageTextMeasure(int dotsPerInch)
{
    auto probe = std::make_shared<QImage>(1, 1, QImage::Format_RGB32);
    probe->setDotsPerMeterX(DotsPerMeter(dotsPerInch));
    probe->setDotsPerMeterY(DotsPerMeter(dotsPerInch));
    return [probe](int points, std::string_view text) {
        QFont font(kFontFamily);
        font.setPointSize(std::max(points, 1));
        const QFontMetrics metrics(font, probe.get());
        return TextExtent{
            metrics.horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size()))),
            metrics.lineSpacing()};
    };
}

bool WriteScreenPicture(const std::filesystem::path& path, const std::vector<DrawOp>& ops, QString& error)
{
    return WritePicture(path, ops, QSize(kGraphClientWidth, kGraphClientHeight), error);
}

bool WritePicture(const std::filesystem::path& path, const std::vector<DrawOp>& ops, QSize size,
                  QString& error)
{
    switch (KindOf(path)) {
    case FileKind::Png:
        return WriteCanvas(path, FileKind::Png, size, kScreenDotsPerInch, ops, error);
    case FileKind::Svg:
        return WriteCanvas(path, FileKind::Svg, size, kScreenDotsPerInch, ops, error);
    case FileKind::Pdf:
        return WriteWholeDevice(
            path,
            [&](QIODevice& device, QString&) {
                QPdfWriter pdf(&device);
                pdf.setTitle("nirdal");
                pdf.setCreator("nirdal");
                pdf.setResolution(kScreenDotsPerInch);
                pdf.setPageSize(QPageSize(QSizeF(size) / kScreenDotsPerInch, QPageSize::Inch));
                pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
                Paint(pdf, false, [&ops](PageSurface& surface) { Replay(ops, surface); });
                return true;
            },
            error);
    case FileKind::Unknown:
        break;
    }
    return UnknownKind(path, error);
}

bool WritePagePicture(const std::filesystem::path& path, const std::vector<DrawOp>& ops, QPoint axesEnd,
                      int dotsPerInch, QString& error)
{
    const FileKind kind = KindOf(path);
    switch (kind) {
    case FileKind::Png:
    case FileKind::Svg:
        return WriteCanvas(path, kind, DrawingSize(ops, axesEnd, dotsPerInch), dotsPerInch, ops,
                           error);
    case FileKind::Pdf:
        return WritePagePdfFile(
            path, [&ops](PageSurface& surface) { Replay(ops, surface); }, dotsPerInch, error);
    case FileKind::Unknown:
        break;
    }
    return UnknownKind(path, error);
}

bool WritePagePdfFile(const std::filesystem::path& path, const PageDrawing& draw,
                      int dotsPerInch, QString& error)
{
    return WriteWholeDevice(
        path,
        [&](QIODevice& device, QString&) {
            WritePagePdf(device, draw, dotsPerInch);
            return true;
        },
        error);
}

void WritePagePdf(QIODevice& device, const PageDrawing& draw, int dotsPerInch)
{
    QPdfWriter pdf(&device);
    pdf.setTitle("nirdal");
    pdf.setCreator("nirdal");
    pdf.setResolution(dotsPerInch);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    Paint(pdf, false, draw);
}

QFont ExportFont()
{
    return QFont(kFontFamily);
}

} // namespace nirdal
