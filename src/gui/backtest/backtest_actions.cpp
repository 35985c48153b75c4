#include "gui/backtest/backtest_actions.h"

#include "gui/search/search_actions.h"
#include "gui/window/main_window.h"
#include "history/attributes.h"

#include <QPushButton>
#include <QStringList>

namespace app::gui {

namespace {

QString caption(history::Kind kind) {
    return QString::fromStdString(history::kindCaptions()[static_cast<size_t>(kind)]);
}

} // namespace

BacktestActions::BacktestActions(MainWindow& window, Workspace& workspace, Prompter& prompter,
                                 SearchActions& search)
    : QObject(&window), window_(window), workspace_(workspace), prompter_(prompter),
      search_(search), service_(workspace, search.service()) {
    if (auto* button = window.findChild<QPushButton*>(QStringLiteral("backtestButton")))
        connect(button, &QPushButton::clicked, this, &BacktestActions::onBacktestClicked);
}

BacktestSubject BacktestActions::subject() const {
    const Settings& s = workspace_.settings();
    BacktestSubject subject;
    subject.positions = search_.chosenPositions();
    QStringList positions;
    for (int p = 0; p < 5; ++p)
        if (subject.positions[p]) positions << QString::number(p + 1);
    subject.patternText =
        positions.isEmpty()
            ? QStringLiteral("检索（未选检索位）")
            : QStringLiteral("检索（第%1位）").arg(positions.join(QStringLiteral("、")));
    subject.combinationText = QStringLiteral("组合检索（组合位数%1）").arg(s.combinationSize);
    const bool typed = workspace_.targetSource() == TargetSource::Typed;
    subject.rulesText =
        QStringLiteral(
            "搜索类型：%1；结果类型：%2；%3；%4；目标：%5。每个检验期只用它之前的历史号码检索，"
            "检索起止期数为那段历史的全部。")
            .arg(caption(s.searchKind), caption(s.resultKind),
                 s.positionMode == search::PositionMode::Free ? QStringLiteral("自由位")
                                                              : QStringLiteral("固定位"),
                 s.periodMode == search::PeriodMode::Last
                     ? QStringLiteral("上期")
                     : QStringLiteral("前%1期").arg(s.backDistance),
                 typed ? QStringLiteral("手动输入号（每期相同）")
                       : QStringLiteral("自动历史位（随每期之前的历史而变）"));
    return subject;
}

void BacktestActions::onBacktestClicked() {
    window_.commitEditedBoxes();
    // A size typed into the box counts as it would for 组合检索.
    if (!search_.takeCombinationSize()) return;
    auto* dialog =
        new BacktestDialog(&window_, workspace_, service_, prompter_, subject(), choice_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    open_ = dialog;
    connect(dialog, &QDialog::finished, this, [this, dialog] { choice_ = dialog->choice(); });
    dialog->open();
}

void BacktestActions::historyChanged() {
    if (open_) open_->historyChanged();
}

} // namespace app::gui
