#include "platform/xlsx_check.h"

#include "platform/file_io.h"

#include <minizip/unzip.h>

#include <QByteArray>
#include <QXmlStreamReader>

#include <functional>
#include <string_view>
#include <vector>

namespace platform {

namespace {

class Zip {
  public:
    explicit Zip(const std::string& path) : zip_(unzOpen64(path.c_str())) {}
    ~Zip() {
        if (zip_) unzClose(zip_);
    }
    Zip(const Zip&) = delete;
    Zip& operator=(const Zip&) = delete;
    unzFile handle() const { return zip_; }

  private:
    unzFile zip_;
};

// Counts the matches of tag in text that end past `from` (bytes before it were counted already).
std::size_t countTags(std::string_view text, std::string_view tag, std::size_t from) {
    std::size_t count = 0;
    for (auto at = text.find(tag); at != std::string_view::npos; at = text.find(tag, at + 1))
        if (at + tag.size() > from) ++count;
    return count;
}

// Reads the current entry to its end, handing its bytes on; throws when they are not whole.
template <class Consume>
void readEntryBytes(unzFile zip, const std::function<FileError(const std::string&)>& broken,
                    Consume consume) {
    if (unzOpenCurrentFile(zip) != UNZ_OK) throw broken("无法打开");
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const int read =
            unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()));
        if (read < 0) {
            unzCloseCurrentFile(zip);
            throw broken("无法解压");
        }
        if (read == 0) break;
        consume(std::string_view(buffer.data(), static_cast<std::size_t>(read)));
    }
    // Closing after the last byte checks the entry's CRC.
    if (unzCloseCurrentFile(zip) != UNZ_OK) throw broken("校验和不符");
}

// A small part: read through the XML reader to its end.
void checkXmlEntry(unzFile zip, const std::function<FileError(const std::string&)>& broken) {
    QXmlStreamReader xml;
    bool ended = false;
    readEntryBytes(zip, broken, [&](std::string_view bytes) {
        xml.addData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::EndDocument) ended = true;
        if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            throw broken("不是完整的XML（" + xml.errorString().toStdString() + "）");
    });
    if (!ended) throw broken("不完整");
}

// The worksheet, which holds nearly all of the bytes: its row and cell tags are counted and its
// end is looked for, without parsing it (a lost or cut piece loses tags or the end).
WorksheetCounts checkSheetEntry(unzFile zip,
                                const std::function<FileError(const std::string&)>& broken) {
    WorksheetCounts counts;
    std::string window;
    readEntryBytes(zip, broken, [&](std::string_view bytes) {
        const std::size_t carried = window.size();
        window.append(bytes);
        counts.rows += countTags(window, "<row ", carried);
        counts.cells += countTags(window, "<c ", carried);
        window.erase(0, window.size() > 16 ? window.size() - 16 : 0);
    });
    const auto end = window.find_last_not_of(" \r\n\t");
    if (end == std::string::npos ||
        !std::string_view(window).substr(0, end + 1).ends_with("</worksheet>"))
        throw broken("不完整");
    return counts;
}

} // namespace

WorksheetCounts checkWrittenWorkbook(const std::string& path) {
    Zip zip(path);
    if (!zip.handle()) throw FileError("写出的工作簿不是有效的zip文件");
    WorksheetCounts counts;
    bool sawSheet = false;
    for (int at = unzGoToFirstFile(zip.handle()); at == UNZ_OK;
         at = unzGoToNextFile(zip.handle())) {
        char name[512] = {};
        if (unzGetCurrentFileInfo64(zip.handle(), nullptr, name, sizeof name, nullptr, 0, nullptr,
                                    0) != UNZ_OK)
            throw FileError("写出的工作簿中有无法读取的部分");
        const std::string entry = name;
        const std::function<FileError(const std::string&)> broken = [&](const std::string& why) {
            return FileError("写出的工作簿中的" + entry + why);
        };
        if (entry == "xl/worksheets/sheet1.xml") {
            sawSheet = true;
            counts = checkSheetEntry(zip.handle(), broken);
        } else {
            checkXmlEntry(zip.handle(), broken);
        }
    }
    if (!sawSheet) throw FileError("写出的工作簿中没有工作表");
    return counts;
}

} // namespace platform
