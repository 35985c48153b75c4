#include "support/workbook_reader.h"

#include <QProcess>
#include <QStringList>
#include <QXmlStreamReader>

#include <stdexcept>

namespace testing_support {

namespace {

std::string attribute(const QXmlStreamReader& xml, const char* name) {
    return xml.attributes().value(QLatin1String(name)).toString().toStdString();
}

// "BC12" -> (12, 55).
std::pair<int, int> cellPosition(const std::string& ref) {
    int column = 0;
    size_t i = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z'; ++i)
        column = column * 26 + (ref[i] - 'A' + 1);
    return {std::stoi(ref.substr(i)), column};
}

// The text of an <si> or <is> element: every <t> inside it.
std::string runText(QXmlStreamReader& xml) {
    const QString end = xml.name().toString();
    std::string text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("t"))
            text += xml.readElementText().toStdString();
        else if (xml.isEndElement() && xml.name() == end)
            break;
    }
    return text;
}

std::vector<std::string> sharedStrings(const std::string& path) {
    std::string bytes;
    try {
        bytes = zipEntry(path, "xl/sharedStrings.xml");
    } catch (const std::runtime_error&) {
        return {}; // inline strings only
    }
    std::vector<std::string> strings;
    QXmlStreamReader xml(QByteArray::fromStdString(bytes));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("si"))
            strings.push_back(runText(xml));
    }
    return strings;
}

// The number format of each cell style index.
std::vector<std::string> styleFormats(const std::string& path) {
    const std::map<int, std::string> builtIn = {
        {0, ""}, {1, "0"}, {2, "0.00"}, {9, "0%"}, {10, "0.00%"}};
    std::map<int, std::string> custom;
    std::vector<std::string> formats;
    QXmlStreamReader xml(QByteArray::fromStdString(zipEntry(path, "xl/styles.xml")));
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("numFmt"))
            custom[std::stoi(attribute(xml, "numFmtId"))] = attribute(xml, "formatCode");
        if (xml.name() == QLatin1String("cellXfs")) inCellXfs = xml.isStartElement();
        if (inCellXfs && xml.isStartElement() && xml.name() == QLatin1String("xf")) {
            const int id = std::stoi(attribute(xml, "numFmtId"));
            const auto c = custom.find(id);
            const auto b = builtIn.find(id);
            formats.push_back(c != custom.end()    ? c->second
                              : b != builtIn.end() ? b->second
                                                   : "#" + std::to_string(id));
        }
    }
    return formats;
}

} // namespace

std::string zipEntry(const std::string& zipPath, const std::string& entry) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), QString::fromStdString(zipPath),
                                          QString::fromStdString(entry)});
    if (!unzip.waitForFinished(60000) || unzip.exitStatus() != QProcess::NormalExit ||
        unzip.exitCode() != 0)
        throw std::runtime_error("cannot read " + entry + " of " + zipPath + ": " +
                                 unzip.readAllStandardError().toStdString());
    return unzip.readAllStandardOutput().toStdString();
}

WorkbookContent readWorkbook(const std::string& path) {
    WorkbookContent content;
    {
        QXmlStreamReader xml(QByteArray::fromStdString(zipEntry(path, "xl/workbook.xml")));
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("sheet"))
                content.sheetNames.push_back(attribute(xml, "name"));
        }
    }
    const auto strings = sharedStrings(path);
    const auto formats = styleFormats(path);
    QXmlStreamReader xml(QByteArray::fromStdString(zipEntry(path, "xl/worksheets/sheet1.xml")));
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("c")) continue;
        const auto position = cellPosition(attribute(xml, "r"));
        const std::string type = attribute(xml, "t");
        const std::string style = attribute(xml, "s");
        SheetCell cell;
        cell.number = type.empty() || type == "n";
        if (!style.empty()) cell.format = formats.at(std::stoul(style));
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == QLatin1String("c")) break;
            if (!xml.isStartElement()) continue;
            if (xml.name() == QLatin1String("is")) {
                cell.value = runText(xml);
            } else if (xml.name() == QLatin1String("v")) {
                const std::string v = xml.readElementText().toStdString();
                cell.value = type == "s" ? strings.at(std::stoul(v)) : v;
            }
        }
        content.cells[position] = cell;
    }
    if (xml.hasError())
        throw std::runtime_error("sheet1.xml of " + path + ": " + xml.errorString().toStdString());
    return content;
}

int WorkbookContent::rowCount() const {
    return cells.empty() ? 0 : cells.rbegin()->first.first;
}

std::vector<std::string> WorkbookContent::row(int r) const {
    std::vector<std::string> texts;
    for (auto it = cells.lower_bound({r, 0}); it != cells.end() && it->first.first == r; ++it) {
        texts.resize(static_cast<size_t>(it->first.second));
        texts.back() = it->second.value;
    }
    return texts;
}

const SheetCell& WorkbookContent::at(int r, int c) const {
    static const SheetCell empty;
    const auto it = cells.find({r, c});
    return it == cells.end() ? empty : it->second;
}

} // namespace testing_support
