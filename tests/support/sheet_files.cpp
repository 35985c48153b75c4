#include "support/sheet_files.h"

#include "platform/file_io.h"

#include <minizip/zip.h>

#include <QProcess>
#include <QStringList>

#include <stdexcept>

namespace testing_support {

namespace {

// A Perl single-quoted string.
std::string perlString(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\\' || c == '\'') out += '\\';
        out += c;
    }
    return out + "'";
}

} // namespace

platform::SheetCell textCell(std::string text) {
    platform::SheetCell cell;
    cell.kind = text.empty() ? platform::SheetCell::Kind::Empty : platform::SheetCell::Kind::Text;
    cell.text = std::move(text);
    return cell;
}

platform::SheetCell numberCell(double value) {
    platform::SheetCell cell;
    cell.kind = platform::SheetCell::Kind::Number;
    cell.number = value;
    cell.text = platform::numberText(value);
    return cell;
}

CellGrid textGrid(const std::vector<std::vector<std::string>>& texts) {
    CellGrid grid;
    for (const auto& row : texts) {
        grid.emplace_back();
        for (const auto& text : row) grid.back().push_back(textCell(text));
    }
    return grid;
}

std::vector<platform::SheetRow> sheetRows(const CellGrid& grid) {
    std::vector<platform::SheetRow> rows;
    for (size_t r = 0; r < grid.size(); ++r) {
        platform::SheetRow row;
        row.number = static_cast<int>(r) + 1;
        row.cells = grid[r];
        while (!row.cells.empty() && row.cells.back().kind == platform::SheetCell::Kind::Empty)
            row.cells.pop_back();
        if (!row.cells.empty()) rows.push_back(std::move(row));
    }
    return rows;
}

void writeXls(const std::string& path, const CellGrid& grid) {
    std::string script = "use strict; use utf8; use Spreadsheet::WriteExcel;\n"
                         "my $book = Spreadsheet::WriteExcel->new(" +
                         perlString(path) +
                         ") or die $!;\n"
                         "my $sheet = $book->add_worksheet('历史');\n";
    for (size_t r = 0; r < grid.size(); ++r) {
        for (size_t c = 0; c < grid[r].size(); ++c) {
            const auto& cell = grid[r][c];
            const std::string at = std::to_string(r) + ", " + std::to_string(c) + ", ";
            if (cell.kind == platform::SheetCell::Kind::Number)
                script += "$sheet->write_number(" + at + cell.text + ");\n";
            else if (cell.kind == platform::SheetCell::Kind::Text)
                script += "$sheet->write_string(" + at + perlString(cell.text) + ");\n";
        }
    }
    // A second sheet, which the import must not read.
    script += "$book->add_worksheet('其他')->write_string(0, 0, '2016090852 01 02 03 04 05');\n"
              "$book->close() or die $!;\n";
    const std::string scriptPath = path + ".pl";
    platform::writeFileAtomically(scriptPath, script);
    QProcess perl;
    perl.start(QStringLiteral("perl"), {QString::fromStdString(scriptPath)});
    if (!perl.waitForFinished(60000) || perl.exitStatus() != QProcess::NormalExit ||
        perl.exitCode() != 0)
        throw std::runtime_error("perl could not write " + path + ": " +
                                 perl.readAllStandardError().toStdString());
}

void writeZip(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& entries) {
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip) throw std::runtime_error("cannot create " + path);
    for (const auto& [name, bytes] : entries) {
        zip_fileinfo info{};
        if (zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                  Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0) != ZIP_OK ||
            zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) != ZIP_OK ||
            zipCloseFileInZip(zip) != ZIP_OK) {
            zipClose(zip, nullptr);
            throw std::runtime_error("cannot write " + name + " into " + path);
        }
    }
    zipClose(zip, nullptr);
}

std::vector<platform::SheetRow> readRows(const std::string& path) {
    std::vector<platform::SheetRow> rows;
    platform::readSheet(path, [&rows](const platform::SheetRow& row) {
        rows.push_back(row);
        return true;
    });
    return rows;
}

std::vector<std::string> texts(const platform::SheetRow& row) {
    std::vector<std::string> out;
    for (const auto& cell : row.cells) out.push_back(cell.text);
    return out;
}

} // namespace testing_support
