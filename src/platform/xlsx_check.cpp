#include "platform/xlsx_check.h"

#include "platform/file_io.h"

#include <minizip/unzip.h>

#include <QByteArray>
#include <QXmlStreamReader>

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

// Reads the current entry through the XML reader; counts rows and cells when asked to.
void readEntry(unzFile zip, const std::string& name, const std::string& path,
               WorksheetCounts* counts) {
    const auto broken = [&](const std::string& why) {
        return FileError("the workbook " + path + " came out damaged: " + name + " " + why);
    };
    if (unzOpenCurrentFile(zip) != UNZ_OK) throw broken("cannot be opened");
    QXmlStreamReader xml;
    std::vector<char> buffer(1 << 16);
    bool ended = false;
    for (;;) {
        const int read =
            unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()));
        if (read < 0) {
            unzCloseCurrentFile(zip);
            throw broken("cannot be unpacked");
        }
        if (read > 0) xml.addData(QByteArray(buffer.data(), read));
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndDocument) ended = true;
            if (counts && token == QXmlStreamReader::StartElement) {
                if (xml.name() == QLatin1String("row"))
                    ++counts->rows;
                else if (xml.name() == QLatin1String("c"))
                    ++counts->cells;
            }
        }
        if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
            unzCloseCurrentFile(zip);
            throw broken("is not well-formed XML (" + xml.errorString().toStdString() + ")");
        }
        if (read == 0) break;
    }
    // Closing after the last byte checks the entry's CRC.
    if (unzCloseCurrentFile(zip) != UNZ_OK) throw broken("fails its checksum");
    if (!ended) throw broken("ends before its XML does");
}

} // namespace

WorksheetCounts checkWrittenWorkbook(const std::string& path) {
    Zip zip(path);
    if (!zip.handle()) throw FileError("the workbook " + path + " came out damaged: not a zip");
    WorksheetCounts counts;
    bool sawSheet = false;
    for (int at = unzGoToFirstFile(zip.handle()); at == UNZ_OK;
         at = unzGoToNextFile(zip.handle())) {
        char name[512] = {};
        if (unzGetCurrentFileInfo64(zip.handle(), nullptr, name, sizeof name, nullptr, 0, nullptr,
                                    0) != UNZ_OK)
            throw FileError("the workbook " + path + " came out damaged: an unreadable entry");
        const bool sheet = std::string(name) == "xl/worksheets/sheet1.xml";
        sawSheet = sawSheet || sheet;
        readEntry(zip.handle(), name, path, sheet ? &counts : nullptr);
    }
    if (!sawSheet)
        throw FileError("the workbook " + path + " came out damaged: it holds no worksheet");
    return counts;
}

} // namespace platform
