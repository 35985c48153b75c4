#include "platform/xlsx_reader.h"

#include <minizip/unzip.h>

#include <QIODevice>
#include <QXmlStreamReader>

#include <algorithm>

namespace platform {

namespace {

// The shared strings a workbook may hold in all, in bytes: far above any history, far below what
// a damaged or hostile file could make us keep.
constexpr size_t kSharedStringBytesLimit = 256u << 20;

// The workbook's zip. Only one entry is open at a time.
class Archive {
  public:
    explicit Archive(const std::string& path) : zip_(unzOpen64(path.c_str())) {
        if (!zip_) throw SheetError("不是有效的xlsx工作簿（无法作为zip打开），文件可能已损坏");
    }
    ~Archive() { unzClose(zip_); }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // Makes entry the current one; false when the workbook does not hold it. Names compare
    // without case, as the programs that write workbooks do.
    bool locate(const QString& entry) {
        return unzLocateFile(zip_, entry.toUtf8().constData(), 2) == UNZ_OK;
    }
    unzFile handle() const { return zip_; }

  private:
    unzFile zip_;
};

// One entry of the zip, inflated as it is read, so that the XML reader pulls it in pieces.
class EntryDevice : public QIODevice {
  public:
    EntryDevice(Archive& archive, const QString& name) : archive_(archive), name_(name) {}
    ~EntryDevice() override { close(); }

    bool isSequential() const override { return true; }
    // Opens the entry; false when the workbook does not hold it.
    bool openEntry() {
        if (!archive_.locate(name_)) return false;
        if (unzOpenCurrentFile(archive_.handle()) != UNZ_OK)
            throw SheetError("无法读取xlsx工作簿中的" + name_.toStdString() + "，文件可能已损坏");
        entryOpen_ = true;
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(archive_.handle(), &info, nullptr, 0, nullptr, 0, nullptr, 0) ==
            UNZ_OK)
            size_ = static_cast<size_t>(info.uncompressed_size);
        return QIODevice::open(QIODevice::ReadOnly);
    }
    // The entry's bytes read so far and in all.
    size_t bytesRead() const { return done_; }
    size_t bytesInAll() const { return size_; }

    void close() override {
        if (entryOpen_) unzCloseCurrentFile(archive_.handle());
        entryOpen_ = false;
        QIODevice::close();
    }

  protected:
    qint64 readData(char* data, qint64 size) override {
        if (!entryOpen_ || size <= 0) return 0;
        const unsigned length = static_cast<unsigned>(std::min<qint64>(size, 1 << 20));
        // A part that unpacks to far more than any history (a zip bomb) is not read on.
        if (done_ >= kSheetPartLimit) {
            setErrorString(QStringLiteral("the part unpacks to more than the limit"));
            return -1;
        }
        const int read = unzReadCurrentFile(archive_.handle(), data, length);
        if (read > 0) done_ += static_cast<size_t>(read);
        return read < 0 ? -1 : read;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    Archive& archive_;
    QString name_;
    bool entryOpen_ = false;
    size_t done_ = 0;
    size_t size_ = 0;
};

void checkXml(const QXmlStreamReader& xml, const QString& entry) {
    if (xml.hasError())
        throw SheetError("xlsx工作簿中的" + entry.toStdString() + "有误（" +
                         xml.errorString().toStdString() + "），文件可能已损坏");
}

// The text of an <si> or <is> element: its <t> runs, without the phonetic runs (<rPh>).
std::string runText(QXmlStreamReader& xml) {
    std::string text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("rPh")) {
                xml.skipCurrentElement();
            } else if (xml.name() == QLatin1String("t")) {
                text += xml.readElementText().toStdString();
            } else {
                ++depth;
            }
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    return text;
}

// A part's path inside the zip from a relationship's target (relative to xl/).
QString partPath(QString target) {
    if (target.startsWith(QLatin1Char('/'))) return target.mid(1);
    while (target.startsWith(QLatin1String("./"))) target = target.mid(2);
    return QStringLiteral("xl/") + target;
}

struct Parts {
    QString sheet = QStringLiteral("xl/worksheets/sheet1.xml");
    QString sharedStrings = QStringLiteral("xl/sharedStrings.xml");
};

// The first worksheet in the workbook's tab order and the shared strings, by the workbook's
// relationships; the usual names when those cannot be read.
Parts findParts(Archive& archive) {
    Parts parts;
    QString firstSheetId;
    {
        const QString entry = QStringLiteral("xl/workbook.xml");
        EntryDevice file(archive, entry);
        if (!file.openEntry()) throw SheetError("不是xlsx工作簿（没有xl/workbook.xml）");
        QXmlStreamReader xml(&file);
        while (!xml.atEnd() && firstSheetId.isEmpty()) {
            xml.readNext();
            if (!xml.isStartElement() || xml.name() != QLatin1String("sheet")) continue;
            for (const auto& attribute : xml.attributes())
                if (attribute.name() == QLatin1String("id") && !attribute.namespaceUri().isEmpty())
                    firstSheetId = attribute.value().toString();
        }
        checkXml(xml, entry);
    }
    const QString entry = QStringLiteral("xl/_rels/workbook.xml.rels");
    EntryDevice file(archive, entry);
    if (!file.openEntry()) return parts;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("Relationship")) continue;
        const auto attributes = xml.attributes();
        const QString target = attributes.value(QLatin1String("Target")).toString();
        if (target.isEmpty()) continue;
        if (!firstSheetId.isEmpty() && attributes.value(QLatin1String("Id")) == firstSheetId)
            parts.sheet = partPath(target);
        if (attributes.value(QLatin1String("Type")).endsWith(QLatin1String("/sharedStrings")))
            parts.sharedStrings = partPath(target);
    }
    checkXml(xml, entry);
    return parts;
}

std::vector<std::string> readSharedStrings(Archive& archive, const QString& entry) {
    std::vector<std::string> strings;
    EntryDevice file(archive, entry);
    if (!file.openEntry()) return strings; // inline strings only
    QXmlStreamReader xml(&file);
    size_t bytes = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("si")) continue;
        strings.push_back(runText(xml));
        bytes += strings.back().size() + sizeof(std::string);
        if (bytes > kSharedStringBytesLimit)
            throw SheetError("xlsx工作簿中的文字太多（超过" +
                             std::to_string(kSharedStringBytesLimit >> 20) + "MB），无法读入");
    }
    checkXml(xml, entry);
    return strings;
}

// "BC12" -> 55 (column counted from 1); 0 without letters.
size_t columnOf(QStringView reference) {
    size_t column = 0;
    for (const QChar c : reference) {
        const char16_t u = c.unicode();
        if (u < u'A' || u > u'Z') break;
        column = column * 26 + (u - u'A' + 1);
        if (column > kSheetColumnLimit) return kSheetColumnLimit + 1;
    }
    return column;
}

SheetCell makeCell(const QString& type, const QString& value, bool hasValue,
                   const std::vector<std::string>& strings) {
    SheetCell cell;
    if (!hasValue) return cell;
    if (type == QLatin1String("s")) {
        bool ok = false;
        const unsigned long index = value.toULong(&ok);
        if (!ok || index >= strings.size()) return cell;
        cell.text = strings[index];
    } else if (type.isEmpty() || type == QLatin1String("n")) {
        bool ok = false;
        const double number = value.trimmed().toDouble(&ok);
        if (ok) {
            cell.kind = SheetCell::Kind::Number;
            cell.number = number;
            cell.text = numberText(number);
            return cell;
        }
        cell.text = value.toStdString();
    } else {
        cell.text = value.toStdString(); // inline strings, formula texts, booleans, errors, dates
    }
    if (!cell.text.empty()) cell.kind = SheetCell::Kind::Text;
    return cell;
}

bool readRows(Archive& archive, const QString& entry, const std::vector<std::string>& strings,
              const SheetRowSink& sink, const SheetReadProgress& progress) {
    EntryDevice file(archive, entry);
    if (!file.openEntry())
        throw SheetError("xlsx工作簿中没有第一个工作表（" + entry.toStdString() + "）");
    QXmlStreamReader xml(&file);
    SheetRow row;
    int previousRow = 0;
    size_t previousColumn = 0;
    size_t rows = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("row")) {
            auto& cells = row.cells;
            while (!cells.empty() && cells.back().kind == SheetCell::Kind::Empty) cells.pop_back();
            if (!cells.empty() && !sink(row)) return true;
            if (progress && ++rows % kSheetProgressRows == 0 &&
                !progress(file.bytesRead(), std::max(file.bytesInAll(), file.bytesRead())))
                return false;
            continue;
        }
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("row")) {
            bool ok = false;
            const int number = xml.attributes().value(QLatin1String("r")).toInt(&ok);
            row.number = ok && number > 0 ? number : previousRow + 1;
            previousRow = row.number;
            previousColumn = 0;
            row.cells.clear();
        } else if (xml.name() == QLatin1String("c")) {
            const auto attributes = xml.attributes();
            const QString type = attributes.value(QLatin1String("t")).toString();
            size_t column = columnOf(attributes.value(QLatin1String("r")));
            if (column == 0) column = previousColumn + 1;
            previousColumn = column;
            QString value;
            bool hasValue = false;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isEndElement() && xml.name() == QLatin1String("c")) break;
                if (!xml.isStartElement()) continue;
                if (xml.name() == QLatin1String("v")) {
                    value = xml.readElementText();
                    hasValue = true;
                } else if (xml.name() == QLatin1String("is")) {
                    value = QString::fromStdString(runText(xml));
                    hasValue = true;
                } else {
                    xml.skipCurrentElement(); // formulas and extensions
                }
            }
            if (column > kSheetColumnLimit) continue;
            if (row.cells.size() < column) row.cells.resize(column);
            row.cells[column - 1] = makeCell(type, value, hasValue, strings);
        }
    }
    checkXml(xml, entry);
    return true;
}

} // namespace

bool readXlsx(const std::string& path, const SheetRowSink& sink,
              const SheetReadProgress& progress) {
    Archive archive(path);
    const Parts parts = findParts(archive);
    const auto strings = readSharedStrings(archive, parts.sharedStrings);
    return readRows(archive, parts.sheet, strings, sink, progress);
}

} // namespace platform
