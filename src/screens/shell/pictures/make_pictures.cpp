// SPDX-License-Identifier: MIT
// Draws the two pictures the screens show and writes them as JPEG files with libjpeg:
//   nirdal_make_pictures OUTPUT_FOLDER
// The results are kept in the source tree; run this only to change a picture.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <complex>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

bool SaveJpeg(const QImage& picture, const std::string& path)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

QFont PictureFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// An anchor in a rope ring with two stars, on the title screen's pale yellow.
QImage Emblem()
{
    QImage image(162, 162, QImage::Format_RGB32);
    image.fill(QColor(0xFF, 0xFF, 0xE1));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor navy(0x10, 0x2A, 0x6E);
    const QColor gold(0xD8, 0xA8, 0x20);
    p.setPen(QPen(gold, 6));
    p.setBrush(navy);
    p.drawEllipse(QPointF(81, 81), 74, 74);
    p.setPen(QPen(gold, 2, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(81, 81), 64, 64);

    p.setPen(QPen(gold, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(81, 42), QPointF(81, 124)); // shank
    p.drawLine(QPointF(58, 58), QPointF(104, 58)); // stock
    p.drawEllipse(QPointF(81, 34), 8, 8);          // ring
    QPainterPath arms;
    arms.moveTo(44, 96);
    arms.quadTo(52, 126, 81, 126);
    arms.quadTo(110, 126, 118, 96);
    p.drawPath(arms);
    p.setBrush(gold);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF{{36, 90}, {50, 92}, {42, 104}});
    p.drawPolygon(QPolygonF{{126, 90}, {112, 92}, {120, 104}});
    for (const QPointF centre : {QPointF(46, 70), QPointF(116, 70)}) {
        QPolygonF star;
        for (int k = 0; k < 10; ++k) {
            const double radius = k % 2 == 0 ? 7.0 : 3.0;
            const double angle = -M_PI / 2 + k * M_PI / 5;
            star << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        }
        p.drawPolygon(star);
    }
    return image;
}

// The hodographs of W(s) = K·exp(−s)/(s + 1) for ω from 0 up: K = 1.6 crosses the negative
// real axis near −0.71 (curve 1), K = 3 near −1.33 and so encloses −1 (curve 2).
std::vector<QPointF> Hodograph(double gain)
{
    std::vector<QPointF> points;
    for (double w = 0; w <= 30; w += w < 5 ? 0.01 : 0.05) {
        const std::complex<double> s(0, w);
        const std::complex<double> value = gain * std::exp(-s) / (s + 1.0);
        points.emplace_back(value.real(), value.imag());
    }
    return points;
}

QImage InformationPicture()
{
    const int width = 273;
    const int height = 193;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double scale = 42;
    const QPointF origin(100, 68);
    const auto at = [&](double u, double v) { return origin + QPointF(u * scale, -v * scale); };

    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(4, origin.y()), QPointF(width - 6, origin.y()));
    p.drawLine(QPointF(origin.x(), height - 4), QPointF(origin.x(), 6));
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygonF{{double(width - 2), origin.y()},
                            {double(width - 9), origin.y() - 3},
                            {double(width - 9), origin.y() + 3}});
    p.drawPolygon(QPolygonF{{origin.x(), 2}, {origin.x() - 3, 9}, {origin.x() + 3, 9}});
    p.setBrush(Qt::NoBrush);
    p.setFont(PictureFont(10));
    for (int mark : {-1, 1}) {
        const QPointF point = at(mark, 0);
        p.drawLine(point + QPointF(0, -3), point + QPointF(0, 3));
        p.drawText(QRectF(point.x() - 12, point.y() + 3, 24, 12), Qt::AlignCenter,
                   QString::number(mark));
    }
    p.drawText(QRectF(origin.x() - 12, origin.y() + 3, 10, 12), Qt::AlignCenter,
               QStringLiteral("0"));
    p.drawText(QRectF(width - 44, origin.y() - 17, 40, 12), Qt::AlignRight, QStringLiteral("U(ω)"));
    p.drawText(QRectF(origin.x() + 6, 2, 50, 12), Qt::AlignLeft, QStringLiteral("jV(ω)"));
    p.setPen(QPen(Qt::red, 1));
    p.setBrush(Qt::red);
    p.drawEllipse(at(-1, 0), 2.5, 2.5);
    p.setBrush(Qt::NoBrush);

    const struct
    {
        double Gain;
        QColor Colour;
        QString Label;
        QPointF LabelAt;
    } curves[] = {{1.6, QColor(0, 110, 0), QStringLiteral("1"), at(0.85, -0.62)},
                  {3.0, QColor(0, 0, 190), QStringLiteral("2"), at(2.2, -1.35)}};
    for (const auto& curve : curves) {
        const std::vector<QPointF> points = Hodograph(curve.Gain);
        QPainterPath path(at(points.front().x(), points.front().y()));
        for (const QPointF& point : points)
            path.lineTo(at(point.x(), point.y()));
        p.setPen(QPen(curve.Colour, 1.3));
        p.drawPath(path);
        p.setFont(PictureFont(12, true));
        p.drawText(QRectF(curve.LabelAt - QPointF(6, 7), QSizeF(12, 14)), Qt::AlignCenter,
                   curve.Label);
    }
    p.setPen(Qt::black);
    p.setFont(PictureFont(9));
    for (double start : {1.6, 3.0})
        p.drawText(QRectF(at(start, 0) + QPointF(3, 2), QSizeF(30, 11)), Qt::AlignLeft,
                   QStringLiteral("ω=0"));
    p.drawLine(origin + QPointF(3, -3), origin + QPointF(16, -26));
    p.drawText(QRectF(origin + QPointF(17, -36), QSizeF(30, 11)), Qt::AlignLeft,
               QStringLiteral("ω=∞"));
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv); // fonts need it
    if (argc != 2) {
        std::fprintf(stderr, "usage: nirdal_make_pictures OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool written = SaveJpeg(Emblem(), folder + "/emblem.jpg") &&
                         SaveJpeg(InformationPicture(), folder + "/information.jpg");
    if (!written) {
        std::fprintf(stderr, "nirdal_make_pictures: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
