#pragma once
// Reads a workbook just written back through, part by part, to make sure the file is whole: the
// writer library does not report a failed write to its own temporary files, so a disk that fills
// up or a write error midway would otherwise leave a workbook with rows missing or broken XML.

#include <cstddef>
#include <string>

namespace platform {

// What the first worksheet holds: the rows that have a cell, and the cells.
struct WorksheetCounts {
    std::size_t rows = 0;
    std::size_t cells = 0;
};

// Reads every part of the workbook at path to its end, checking each part's checksum: the small
// parts through the XML reader, the worksheet xl/worksheets/sheet1.xml (nearly all the bytes) by
// counting its row and cell tags and finding its end tag. Throws FileError saying what is wrong
// (in words for the user, without the path).
WorksheetCounts checkWrittenWorkbook(const std::string& path);

} // namespace platform
