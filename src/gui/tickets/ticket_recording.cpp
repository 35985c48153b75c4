#include "gui/tickets/ticket_recording.h"

#include "gui/common/prompter.h"
#include "workspace/ticket_service.h"

#include <QWidget>

namespace app::gui {

bool recordTickets(Workspace& workspace, Prompter& prompter, const TicketsToRecord& what) {
    const QString title = QStringLiteral("记入我的投注");
    if (what.tickets.empty()) {
        prompter.warn(title, QStringLiteral("没有可以记入的号码。"));
        return false;
    }
    QString question = QStringLiteral("%1 %2注（%3）")
                           .arg(QString::fromUtf8(play::info(what.play).name))
                           .arg(what.tickets.size())
                           .arg(what.entered);
    if (!what.multipliers.empty())
        question += QStringLiteral("，追号%1期%2")
                        .arg(what.multipliers.size())
                        .arg(what.stopOnWin ? QStringLiteral("，中奖后停止") : QString());
    question += QStringLiteral("\n从第几期起？（十位期号）");
    const auto period =
        prompter.askText(title, question, QString::fromStdString(workspace.nextPeriodText()));
    if (!period) return false;
    TicketRequest request;
    request.play = what.play;
    request.tickets = what.tickets;
    request.entered = what.entered.toStdString();
    request.period = period->trimmed().toStdString();
    request.multipliers = what.multipliers;
    request.chase = what.multipliers.empty() ? 1 : static_cast<int>(what.multipliers.size());
    request.stopOnWin = what.stopOnWin && request.chase > 1;
    const Outcome outcome = TicketService(workspace).add(request);
    if (!outcome.ok) {
        prompter.warn(title, QString::fromStdString(outcome.message));
        return false;
    }
    prompter.inform(title, QString::fromStdString(outcome.message));
    return true;
}

} // namespace app::gui
