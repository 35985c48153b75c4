#pragma once
// The menu 图片与打印: the page shown saved as a picture or a PDF, printed, or previewed on
// paper. What each page puts there (its tables over their whole span and its charts, the title
// naming the game, what is shown and the span) is gathered here from the page's views, found by
// their names.

#include "gui/common/page_output.h"

#include <QObject>

namespace app {
class Workspace;
}

namespace app::gui {

class MainWindow;

class PagePictures : public QObject {
    Q_OBJECT
  public:
    PagePictures(MainWindow& window, const Workspace& workspace, Prompter& prompter);

    // What the page shown puts on pictures and paper.
    PageContent content() const;
    std::unique_ptr<render::PageDocument> document() const;

  private:
    QWidget* view(const char* name) const;
    // The span of the whole history, for the pages that show all of it.
    QString historySpan() const;

    MainWindow& window_;
    const Workspace& workspace_;
    PageOutput output_;
};

} // namespace app::gui
