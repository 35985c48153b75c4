#pragma once
// Decoding the bytes of a text file: UTF-8 (with or without a byte-order mark) when the bytes are
// valid UTF-8, else GB18030, the encoding Chinese Windows writes. A file that starts with a UTF-16
// byte-order mark (Notepad's "Unicode") is read as UTF-16. The result is a sequence of
// code points, so positions within a line count characters, not bytes.

#include <string>
#include <string_view>

namespace platform {

enum class TextEncoding { Utf8, Utf8WithBom, Utf16WithBom, Gb18030 };

struct DecodedText {
    std::u32string text; // without the byte-order mark
    TextEncoding encoding = TextEncoding::Utf8;
};

// True when bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Decodes as described above. Bytes GB18030 cannot map become U+FFFD.
DecodedText decodeText(std::string_view bytes);

// The encoding decodeText reads bytes in, without decoding them.
TextEncoding detectEncoding(std::string_view bytes);
// A part of bytes of that encoding (UTF-8 or GB18030, whole characters, no byte-order mark)
// decoded as decodeText decodes the whole.
std::u32string decodeAs(std::string_view part, TextEncoding encoding);

// Code points to UTF-8 (invalid code points become U+FFFD).
std::string toUtf8(std::u32string_view text);

} // namespace platform
