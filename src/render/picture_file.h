#pragma once
// Saves a page document as a picture (PNG at twice its size, or SVG) or as a PDF, chosen by the
// file's extension. The file is made in memory, checked, and only then written in place of any
// earlier one (atomically), so a failure leaves no half file.

#include "render/page_document.h"

#include <optional>
#include <string>

#include <QPageLayout>

namespace render {

enum class PictureFormat { Png, Svg, Pdf };

// The format of a file name by its extension (any case): .png, .svg, .pdf; nothing otherwise.
std::optional<PictureFormat> pictureFormatOf(const std::string& path);

// The bytes of the document in a format; throws platform::FileError saying why it cannot be made
// (a picture too large for one canvas).
std::string pictureBytes(const PageDocument& document, PictureFormat format,
                         const PaintProgress& progress = {});

// Writes the document to path in the format of its extension; throws platform::FileError saying
// why it was not written, or PaintingStopped (nothing is left behind then). The pages of a PDF
// are told to progress.
void writePicture(const PageDocument& document, const std::string& path,
                  const PaintProgress& progress = {});

// The resolution paper is painted at: that of the document's own units, so that fonts sized in
// points (the window's, a delegate's) measure on paper what they measure on the screen. Paper
// stays vector; this only sets the units of its coordinates.
inline constexpr int kPaperDpi = 96;

// Paper for the document: A4, upright or across as its width asks, with margins of 10 mm.
QPageLayout paperLayout(const PageDocument& document);

} // namespace render
