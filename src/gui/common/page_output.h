#pragma once
// Pictures and paper of what a page shows: its tables (every row of their models, not only those
// on screen, painted as the views paint them: their column widths, their delegates) and its
// charts, under a title line, saved as PNG, SVG or PDF or printed with the desktop's print
// dialog and a preview.

#include "render/page_document.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QPrinter;
class QWidget;

namespace app::gui {

class Prompter;

// What a page puts on pictures and paper: what it shows, over which span, and the views
// (QTableView, QChartView, QPlainTextEdit) in the order they are painted.
struct PageContent {
    QString what;
    QString span;
    std::vector<QWidget*> views;
    // Titles over groups of a table's columns, by the table's view.
    std::map<const QWidget*, std::vector<render::HeadingBand>> headingBands;
};

// The document of a page's views under the title line (with the game and today's date).
std::unique_ptr<render::PageDocument> pageDocument(const QString& game, const PageContent& content);

// Sets the printer's paper for the document and paints every page on it; false when the printer
// could not be painted on or the painting was stopped through progress (the print run is then
// aborted).
bool printDocument(QPrinter& printer, const render::PageDocument& document,
                   const render::PaintProgress& progress = {});

// The three things a page offers: saving as a picture or PDF (the file asked for through the
// prompter), printing and the print preview.
class PageOutput {
  public:
    using Source = std::function<std::unique_ptr<render::PageDocument>()>;
    PageOutput(QWidget* parent, Prompter& prompter, Source source)
        : parent_(parent), prompter_(prompter), source_(std::move(source)) {}

    void save();
    void print();
    void preview();

  private:
    std::unique_ptr<render::PageDocument> document();

    QWidget* parent_;
    Prompter& prompter_;
    Source source_;
};

} // namespace app::gui
