#pragma once
// What the tests read back from the pictures and PDFs the program writes.

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

#include <fstream>
#include <iterator>
#include <string>

namespace testing_support {

inline QByteArray fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
}

// The page objects of a PDF ("/Type /Page", not the "/Type /Pages" that holds them).
inline int pdfPageCount(const QByteArray& pdf) {
    return static_cast<int>(
        QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

// The PDF's title (its document information) holds text: the text as the writer stores it, in
// UTF-16 with a byte order mark.
inline bool pdfTitleHolds(const QByteArray& pdf, const QString& text) {
    QByteArray utf16;
    for (const QChar c : text) {
        utf16.append(static_cast<char>(c.unicode() >> 8));
        utf16.append(static_cast<char>(c.unicode() & 0xff));
    }
    const qsizetype title = pdf.indexOf("/Title");
    if (title < 0) return false;
    // The bytes the writer escapes in a string: a backslash before ( ) and \.
    QByteArray escaped;
    for (const char b : utf16) {
        if (b == '(' || b == ')' || b == '\\') escaped.append('\\');
        escaped.append(b);
    }
    return pdf.indexOf(escaped, title) >= 0;
}

} // namespace testing_support
