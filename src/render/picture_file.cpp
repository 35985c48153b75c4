#include "render/picture_file.h"

#include "platform/file_io.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cctype>

namespace render {

namespace {

// The largest picture on one canvas, in logical pixels: a PNG (painted at twice this) stays
// within a few hundred megabytes of memory, an SVG within what viewers open. Longer tables go
// to PDF, whose pages have no such limit.
constexpr qint64 kMaxPngArea = 10'000'000;
constexpr int kMaxPngSide = 20'000;
constexpr int kMaxSvgSide = 200'000;
// A page's usable width across A4 upright, in logical pixels (190 mm at 96 per inch).
constexpr int kUprightWidth = 718;

std::string tooLarge(QSize size) {
    return "图片太大（" + std::to_string(size.width()) + "×" + std::to_string(size.height()) +
           "像素）：请缩短范围，或保存为PDF（分页，不限长度）";
}

std::string pngBytes(const PageDocument& document) {
    const QSize size = document.canvasSize();
    if (size.height() > kMaxPngSide || size.width() > kMaxPngSide ||
        qint64(size.width()) * size.height() > kMaxPngArea)
        throw platform::FileError(tooLarge(size));
    // Sharp on a screen of twice the density.
    QImage image(size * 2, QImage::Format_RGB32);
    if (image.isNull()) throw platform::FileError(tooLarge(size));
    image.setDevicePixelRatio(2);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        document.paintCanvas(painter);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) throw platform::FileError("无法生成PNG图片");
    QImage back;
    if (!back.loadFromData(bytes, "PNG") || back.size() != image.size())
        throw platform::FileError("生成的PNG图片不完整");
    return bytes.toStdString();
}

std::string svgBytes(const PageDocument& document) {
    const QSize size = document.canvasSize();
    if (size.height() > kMaxSvgSide || size.width() > kMaxSvgSide)
        throw platform::FileError(tooLarge(size));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(document.title());
    svg.setResolution(96);
    {
        QPainter painter;
        if (!painter.begin(&svg)) throw platform::FileError("无法生成SVG图片");
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        document.paintCanvas(painter);
        painter.end();
    }
    if (!bytes.contains("<svg") || !bytes.trimmed().endsWith("</svg>"))
        throw platform::FileError("生成的SVG图片不完整");
    return bytes.toStdString();
}

std::string pdfBytes(const PageDocument& document, const PaintProgress& progress) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(document.title());
        writer.setCreator(QStringLiteral("kelvora11s5"));
        writer.setPageLayout(paperLayout(document));
        // Fonts sized in points come out as on the screen (and the PDF stays vector).
        writer.setResolution(kPaperDpi);
        if (!document.paintPages(writer, progress)) throw platform::FileError("无法生成PDF文件");
    }
    if (!bytes.startsWith("%PDF-") || !bytes.contains("%%EOF"))
        throw platform::FileError("生成的PDF文件不完整");
    return bytes.toStdString();
}

} // namespace

std::optional<PictureFormat> pictureFormatOf(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return std::nullopt;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "png") return PictureFormat::Png;
    if (extension == "svg") return PictureFormat::Svg;
    if (extension == "pdf") return PictureFormat::Pdf;
    return std::nullopt;
}

QPageLayout paperLayout(const PageDocument& document) {
    const bool across = document.canvasSize().width() > kUprightWidth;
    return QPageLayout(QPageSize(QPageSize::A4),
                       across ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
}

std::string pictureBytes(const PageDocument& document, PictureFormat format,
                         const PaintProgress& progress) {
    switch (format) {
    case PictureFormat::Png:
        return pngBytes(document);
    case PictureFormat::Svg:
        return svgBytes(document);
    case PictureFormat::Pdf:
        break;
    }
    return pdfBytes(document, progress);
}

void writePicture(const PageDocument& document, const std::string& path,
                  const PaintProgress& progress) {
    const auto format = pictureFormatOf(path);
    if (!format) throw platform::FileError("“" + path + "”不是 .png、.svg 或 .pdf 文件");
    platform::writeFileAtomically(path, pictureBytes(document, *format, progress));
}

} // namespace render
