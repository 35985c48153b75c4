#pragma once
// The first worksheet of an .xls (BIFF) workbook as sheet rows, read with FreeXL. Numbers stay
// numbers; dates and times come as their text (YYYY-MM-DD, HH:MM:SS).

#include "platform/sheet_reader.h"

namespace platform {

// Progress counts rows; false when it asked to stop.
bool readXls(const std::string& path, const SheetRowSink& sink,
             const SheetReadProgress& progress = {});

} // namespace platform
