#include "gui/common/page_output.h"

#include "gui/common/busy_cursor.h"
#include "gui/common/dialog_progress.h"
#include "gui/common/prompter.h"
#include "platform/file_io.h"
#include "render/picture_file.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTableView>

namespace app::gui {

namespace {

const QString kSaveTitle = QStringLiteral("保存为图片或PDF");
const QString kPrintTitle = QStringLiteral("打印");
// The lines of a list of tickets put side by side on one row of the table.
constexpr int kLinesPerRow = 5;

// The table as the view paints it: its columns in their order and widths, its row height, and
// each cell through the view's delegate.
std::unique_ptr<render::TablePainter> tableOf(QTableView& view, const QFont& font) {
    auto table = std::make_unique<render::TablePainter>(*view.model(), font);
    std::vector<int> columns, widths;
    const QHeaderView* header = view.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (view.isColumnHidden(column) || view.columnWidth(column) <= 0) continue;
        columns.push_back(column);
        widths.push_back(view.columnWidth(column));
    }
    table->setColumns(std::move(columns), std::move(widths));
    table->setRowHeight(view.verticalHeader()->defaultSectionSize());
    QTableView* shown = &view;
    table->setCellPainter([shown](QPainter& painter, const QRect& rect, const QModelIndex& index) {
        QStyleOptionViewItem option;
        option.initFrom(shown);
        option.state = QStyle::State_Enabled;
        option.rect = rect;
        option.font = shown->font();
        option.fontMetrics = QFontMetrics(option.font);
        option.widget = shown;
        option.showDecorationSelected = false;
        option.palette.setColor(QPalette::Text, Qt::black);
        option.palette.setColor(QPalette::Base, Qt::white);
        painter.fillRect(rect, Qt::white);
        shown->itemDelegateForIndex(index)->paint(&painter, option, index);
        return true;
    });
    return table;
}

// The lines of a list, kLinesPerRow to a row.
std::unique_ptr<QAbstractItemModel> linesOf(const QPlainTextEdit& list) {
    const QStringList lines = list.toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const int rows = static_cast<int>((lines.size() + kLinesPerRow - 1) / kLinesPerRow);
    const int columns = std::min(kLinesPerRow, static_cast<int>(lines.size()));
    auto model = std::make_unique<QStandardItemModel>(rows, std::max(columns, 1));
    for (int c = 0; c < columns; ++c)
        model->setHeaderData(c, Qt::Horizontal, QStringLiteral("号码"));
    for (int i = 0; i < lines.size(); ++i) {
        auto* item = new QStandardItem(lines[i]);
        item->setTextAlignment(Qt::AlignCenter);
        model->setItem(i / kLinesPerRow, i % kLinesPerRow, item);
    }
    return model;
}

// The painting's rows told to a progress dialog (shown for long tables only).
render::PaintProgress progressOf(DialogProgress& progress) {
    return [&progress, told = false](std::size_t done, std::size_t total) mutable {
        if (!told) progress.setTotal(total);
        told = true;
        return progress.advance(done);
    };
}

// A file name from the title line: what is shown and its span, without the time it was made.
QString fileStem(QString title) {
    const qsizetype made = title.lastIndexOf(QLatin1Char(' '));
    const qsizetype day = made > 0 ? title.lastIndexOf(QLatin1Char(' '), made - 1) : -1;
    if (day > 0) title.truncate(day);
    title.replace(QRegularExpression(QStringLiteral("[\\s/\\\\:*?\"<>|]+")), QStringLiteral("-"));
    return title.isEmpty() ? QStringLiteral("图") : title;
}

} // namespace

std::unique_ptr<render::PageDocument> pageDocument(const QString& game,
                                                   const PageContent& content) {
    auto document = std::make_unique<render::PageDocument>(
        render::titleLine(game, content.what, content.span, QDateTime::currentDateTime()),
        QApplication::font());
    for (QWidget* view : content.views) {
        if (auto* table = qobject_cast<QTableView*>(view); table && table->model()) {
            auto painted = tableOf(*table, document->font());
            if (const auto bands = content.headingBands.find(view);
                bands != content.headingBands.end())
                painted->setHeadingBands(bands->second);
            document->addTable(std::move(painted));
        } else if (auto* chart = qobject_cast<QChartView*>(view);
                   chart && !chart->chart()->series().isEmpty()) {
            // Painted from its scene: vector in SVG and PDF.
            document->addDrawing(chart->size(), [chart](QPainter& painter, const QRectF& target) {
                chart->render(&painter, target, QRect(), Qt::KeepAspectRatio);
            });
        } else if (auto* list = qobject_cast<QPlainTextEdit*>(view)) {
            document->addTable(linesOf(*list));
        }
    }
    return document;
}

bool printDocument(QPrinter& printer, const render::PageDocument& document,
                   const render::PaintProgress& progress) {
    printer.setResolution(render::kPaperDpi);
    printer.setPageLayout(render::paperLayout(document));
    printer.setDocName(document.title());
    try {
        return document.paintPages(printer, progress);
    } catch (const render::PaintingStopped&) {
        printer.abort();
        return false;
    }
}

std::unique_ptr<render::PageDocument> PageOutput::document() {
    auto made = source_();
    if (!made || made->empty()) {
        prompter_.warn(kSaveTitle, QStringLiteral("这一页没有可以保存或打印的表格或图。"));
        return nullptr;
    }
    return made;
}

void PageOutput::save() {
    const auto made = document();
    if (!made) return;
    const QString path = prompter_.saveFile(
        kSaveTitle, QDir::home().filePath(fileStem(made->title()) + QStringLiteral(".png")),
        QStringLiteral("PNG图片 (*.png);;SVG图片 (*.svg);;PDF文件 (*.pdf)"));
    if (path.trimmed().isEmpty()) return;
    if (!render::pictureFormatOf(path.toStdString())) {
        prompter_.warn(kSaveTitle, QStringLiteral("文件名要以 .png、.svg 或 .pdf 结尾。"));
        return;
    }
    try {
        const BusyCursor busy;
        DialogProgress progress(parent_, QStringLiteral("正在生成文件……"));
        render::writePicture(*made, path.toStdString(), progressOf(progress));
    } catch (const render::PaintingStopped&) {
        return; // cancelled: nothing written
    } catch (const platform::FileError& e) {
        prompter_.warn(kSaveTitle,
                       QString::fromStdString(e.what()) + QStringLiteral("。文件没有保存。"));
        return;
    }
    prompter_.inform(kSaveTitle,
                     QStringLiteral("已保存到“%1”。").arg(QDir::toNativeSeparators(path)));
}

void PageOutput::print() {
    const auto made = document();
    if (!made) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(render::kPaperDpi);
    printer.setPageLayout(render::paperLayout(*made));
    QPrintDialog dialog(&printer, parent_);
    if (dialog.exec() != QDialog::Accepted) return;
    DialogProgress progress(parent_, QStringLiteral("正在打印……"));
    if (!printDocument(printer, *made, progressOf(progress)) &&
        printer.printerState() != QPrinter::Aborted)
        prompter_.warn(kPrintTitle, QStringLiteral("无法打印：打印机没有准备好。"));
}

void PageOutput::preview() {
    const auto made = document();
    if (!made) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(render::kPaperDpi);
    printer.setPageLayout(render::paperLayout(*made));
    QPrintPreviewDialog dialog(&printer, parent_);
    const render::PageDocument* shown = made.get();
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [shown](QPrinter* target) { printDocument(*target, *shown); });
    dialog.exec();
}

} // namespace app::gui
