#pragma once
// The online update in the window: 历史号在线更新(&O) with its question, a progress dialog that
// shows the day being fetched and can cancel, and the result (with the offer to take the site's
// numbers for a stored draw it gives otherwise); and 历史号码更新检索天(&Y), the days the update
// keeps (or all of them); 更新网址设置(&W), the results site's address, also offered when the site
// could not be reached.

#include "workspace/update_service.h"

#include <QObject>

namespace app::gui {

class MainWindow;
class Prompter;

class UpdateActions : public QObject {
    Q_OBJECT
  public:
    UpdateActions(MainWindow& window, Workspace& workspace, Prompter& prompter);

  private:
    void onUpdateClicked();
    // Offers to take the site's numbers for stored draws it gives otherwise.
    void offerSiteDraws(const std::vector<history::DifferingDraw>& differing);
    void onKeptDaysClicked();
    // The results site's address; asked once when none is set. False when the user gave none.
    bool ensureSite();
    void onSiteClicked();
    // Asks for the site's address, showing the current one, until a web address or nothing is
    // entered; true when one was saved.
    bool askSite();

    MainWindow& window_;
    Workspace& workspace_;
    Prompter& prompter_;
};

} // namespace app::gui
