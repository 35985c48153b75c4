#pragma once
// Delimited text (.csv and the like) as sheet rows. The bytes are decoded as the text import
// decodes them (UTF-8, else GB18030; UTF-16 by its byte-order mark). The delimiter is the one of
// comma, tab and semicolon that most of the first lines hold outside quotes. Fields may be quoted
// with double quotes (a doubled quote inside stands for one) and then hold delimiters and line
// ends. Blanks around an unquoted field are dropped; every cell is text.

#include "platform/sheet_reader.h"

#include <string_view>

namespace platform {

// The delimiter of UTF-8 text, as described above (a comma when none of the three occurs).
char guessDelimiter(std::string_view utf8);

// Reads the bytes of a delimited text file. Row numbers are the lines the rows start on. Progress
// counts bytes; false when it asked to stop.
bool readDelimitedText(std::string_view bytes, const SheetRowSink& sink,
                       const SheetReadProgress& progress = {});

} // namespace platform
