#pragma once
// The first worksheet of an .xlsx workbook as sheet rows. The zip is read with minizip (the zip
// library the sheet writer already brings; QuaZip carries its own changed copy of minizip under
// the same symbol names, and the two cannot live in one process) and the parts with Qt's
// streaming XML reader, so only the shared strings and one row are held at a time. Cells may be
// shared strings, inline strings, formula results or numbers; numbers stay numbers, styles (and so
// date formats) are not read.

#include "platform/sheet_reader.h"

namespace platform {

// Progress counts the worksheet's bytes; false when it asked to stop.
bool readXlsx(const std::string& path, const SheetRowSink& sink,
              const SheetReadProgress& progress = {});

} // namespace platform
