#include "gui/hall/hall_view.h"

#include "history/period.h"
#include "workspace/omission_alerts.h"

#include <QBrush>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace app::gui {

namespace {

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString countdown(long long seconds) {
    if (seconds < 0) seconds = 0;
    const long long hours = seconds / 3600;
    const QString rest = QStringLiteral("%1:%2").arg(twoDigits(int(seconds / 60 % 60)),
                                                     twoDigits(int(seconds % 60)));
    return hours > 0 ? QStringLiteral("%1:%2").arg(hours).arg(rest) : rest;
}

QString todayText(const HallRow& row) {
    QString shown = QStringLiteral("%1/%2").arg(row.storedToday).arg(row.dueToday);
    if (row.missingToday.empty()) return shown;
    QStringList missing;
    for (const int n : row.missingToday) missing << twoDigits(n);
    return shown + QStringLiteral(" 缺第%1期").arg(missing.join(QStringLiteral("、")));
}

QString streaksText(const HallRow& row) {
    QStringList runs;
    for (const auto& s : row.streaks)
        runs << QStringLiteral("%1 %2 连开%3期（%4）")
                    .arg(text(s.caption), text(s.value))
                    .arg(s.length)
                    .arg(text(runChanceText(s.chance)));
    return runs.join(QStringLiteral("；"));
}

} // namespace

void HallModel::setRows(std::vector<HallRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void HallModel::setRow(const HallRow& row) {
    for (size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r].game != row.game) continue;
        rows_[r] = row;
        emit dataChanged(index(int(r), 0), index(int(r), Columns - 1));
    }
}

void HallModel::retick(const HallService& service) {
    for (auto& row : rows_) service.retick(row);
    if (!rows_.empty()) emit dataChanged(index(0, Newest), index(rowCount() - 1, Update));
}

int HallModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int HallModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant HallModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* captions[Columns] = {"彩种",   "最新一期", "开奖号码", "今日已存/应开",
                                            "下一期", "自动更新", "长龙提醒"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < Columns)
        return QString::fromUtf8(captions[section]);
    return {};
}

QVariant HallModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const HallRow& row = rows_[size_t(index.row())];
    const bool ready = row.state == HallRow::State::Ready;
    if (role == Qt::ForegroundRole) {
        if (!ready && index.column() == Newest)
            return QBrush(row.state == HallRow::State::Unreadable ? Qt::red : Qt::darkGray);
        if (index.column() == Today && !row.missingToday.empty()) return QBrush(Qt::red);
        if (index.column() == Update && row.update.kind == HallUpdateState::Kind::Failed)
            return QBrush(Qt::red);
        if (index.column() == Streaks) return QBrush(QColor(0xB0, 0x30, 0x00));
        return {};
    }
    if (role == Qt::ToolTipRole) {
        if (!ready) return text(row.problem);
        if (index.column() == Update && !row.update.why.empty()) return text(row.update.why);
        if (index.column() == Clock) return text(row.clock.text);
        if (index.column() == Streaks) return streaksText(row);
        return {};
    }
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case Game:
        return text(row.name);
    case Newest:
        return ready ? text(history::gridPeriodText(row.newest, row.game)) : text(row.problem);
    case Numbers: {
        if (!ready) return {};
        QStringList numbers;
        for (const int n : row.numbers) numbers << twoDigits(n);
        return numbers.join(u' ');
    }
    case Today:
        return ready ? todayText(row) : QVariant();
    case Clock:
        return QStringLiteral("%1 还有 %2")
            .arg(twoDigits(row.clock.nextPeriod % 100), countdown(row.clock.secondsLeft));
    case Update: {
        QString shown = QString::fromUtf8(updateStateCaption(row.update.kind));
        if (row.update.kind == HallUpdateState::Kind::Failed && !row.update.why.empty())
            shown += QStringLiteral("：") + text(row.update.why);
        return shown;
    }
    case Streaks:
        return streaksText(row);
    default:
        return {};
    }
}

HallView::HallView(Workspace& workspace, QWidget* parent)
    : QWidget(parent), workspace_(workspace), service_(std::make_unique<HallService>(workspace)) {
    setObjectName(QStringLiteral("hallView"));
    model_ = new HallModel(this);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("hallTable"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    note_ = new QLabel(QStringLiteral("点一个彩种切换到它；长龙提醒在 历史管理 → 遗漏提醒 中设置，"
                                      "例如 streak:big:1>=8（第1位大小连开8期）。"),
                       this);
    note_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addWidget(note_);
    connect(table_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid() && size_t(index.row()) < model_->rows().size())
            emit gameChosen(model_->rows()[size_t(index.row())].game);
    });
    timer_ = new QTimer(this);
    timer_->setTimerType(Qt::CoarseTimer);
    connect(timer_, &QTimer::timeout, this, &HallView::refresh);
    timer_->start(1000);
    reload();
}

void HallView::setClock(NowFunction now) {
    service_ = std::make_unique<HallService>(workspace_, std::move(now));
    reload();
}

void HallView::setUpdateStates(std::function<HallUpdateState(history::Game)> stateOf) {
    stateOf_ = std::move(stateOf);
}

void HallView::reload() {
    stamps_.clear();
    std::vector<HallRow> rows;
    for (const history::Game game : followedGames(workspace_)) {
        stamps_[int(game)] = service_->fileStamp(game);
        rows.push_back(service_->row(game));
        if (stateOf_) rows.back().update = stateOf_(game);
    }
    model_->setRows(std::move(rows));
    table_->resizeColumnsToContents();
}

void HallView::refresh() {
    const auto followed = followedGames(workspace_);
    if (followed.size() != model_->rows().size()) return reload();
    for (const auto& before : std::vector<HallRow>(model_->rows())) {
        const std::string stamp = service_->fileStamp(before.game);
        HallRow row = before;
        if (stamp != stamps_[int(before.game)]) {
            stamps_[int(before.game)] = stamp;
            row = service_->row(before.game);
            tellNews(before, row);
        }
        if (stateOf_) row.update = stateOf_(row.game);
        model_->setRow(row);
    }
    model_->retick(*service_);
}

void HallView::tellNews(const HallRow& before, const HallRow& after) {
    // The window's own game is told by its notices and alerts already.
    if (after.game == workspace_.settings().game) return;
    if (before.newest > 0 && after.newest > before.newest) {
        QStringList numbers;
        for (const int n : after.numbers) numbers << twoDigits(n);
        emit notice(QStringLiteral("%1 第%2期：%3")
                        .arg(text(after.name),
                             text(history::gridPeriodText(after.newest, after.game)),
                             numbers.join(u' ')),
                    false, after.newest);
    }
    for (const auto& streak : newStreaks(before, after))
        emit notice(text(streakNotice(after, streak)), true, after.newest);
}

} // namespace app::gui
