#include "gui/window/game_dialogs.h"

#include "history/game_catalog.h"
#include "workspace/game_service.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace app::gui {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// Everything a game answers to, for the search box: code, key, name and aliases.
QString searchedText(const history::GameInfo& game) {
    QString all = QString::number(game.code()) + u' ' + text(game.key) + u' ' + text(game.name);
    for (const auto& alias : game.aliases) all += u' ' + text(alias);
    return all;
}

QString aliasesText(const history::GameInfo& game) {
    QStringList aliases;
    for (const auto& alias : game.aliases) aliases << text(alias);
    return aliases.join(QStringLiteral("、"));
}

enum Column { Code, Name, Aliases, First, Every, Draws, Last, Followed, Columns };

} // namespace

GameListDialog::GameListDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMoreGames"));
    setWindowTitle(QStringLiteral("更多游戏"));
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("gameSearch"));
    search_->setPlaceholderText(QStringLiteral("输入名称、别名、简称或编号查找，例如 十一运夺金"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("gameList"));
    for (const auto& game : history::games()->all()) {
        QString caption = text(game.name);
        if (!game.aliases.empty()) caption += QStringLiteral("（%1）").arg(aliasesText(game));
        caption += QStringLiteral("  %1").arg(game.code());
        auto* item = new QListWidgetItem(caption, list_);
        item->setData(Qt::UserRole, game.code());
        item->setData(Qt::UserRole + 1, searchedText(game));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("切换"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    connect(search_, &QLineEdit::textChanged, this, &GameListDialog::filter);
    connect(list_, &QListWidget::itemActivated, this, [this] { choose(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { choose(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(420, 480);
}

void GameListDialog::filter(const QString& wanted) {
    const QString trimmed = wanted.trimmed();
    QListWidgetItem* first = nullptr;
    for (int i = 0; i < list_->count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        const bool shown =
            trimmed.isEmpty() ||
            item->data(Qt::UserRole + 1).toString().contains(trimmed, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && !first) first = item;
    }
    list_->setCurrentItem(first);
}

void GameListDialog::choose() {
    QListWidgetItem* item = list_->currentItem();
    if (!item || item->isHidden()) return;
    chosen_ = history::Game{item->data(Qt::UserRole).toInt()};
    accept();
}

GameTimesDialog::GameTimesDialog(Workspace& workspace, QWidget* parent)
    : QDialog(parent), workspace_(workspace) {
    setObjectName(QStringLiteral("frmGameTimes"));
    setWindowTitle(QStringLiteral("游戏与开奖时间"));
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("gameTable"));
    table_->setColumnCount(Columns);
    table_->setHorizontalHeaderLabels({QStringLiteral("编号"), QStringLiteral("名称"),
                                       QStringLiteral("别名"), QStringLiteral("第一期"),
                                       QStringLiteral("间隔（分钟）"), QStringLiteral("每天期数"),
                                       QStringLiteral("最后一期"), QStringLiteral("关注")});
    table_->verticalHeader()->hide();
    auto* explain = new QLabel(
        QStringLiteral("开奖时间为北京时间。每天1到99期，间隔1到120分钟，最后一期最晚在次日"
                       "06:00（午夜后开出的期属于前一天）。勾选“关注”的游戏列在游戏菜单里。"),
        this);
    explain->setWordWrap(true);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("gameTimesNote"));
    note_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Save)->setText(QStringLiteral("保存"));
    buttons->button(QDialogButtonBox::Save)->setObjectName(QStringLiteral("saveGames"));
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explain);
    layout->addWidget(table_);
    layout->addWidget(note_);
    layout->addWidget(buttons);
    connect(buttons->button(QDialogButtonBox::Save), &QPushButton::clicked, this,
            [this] { save(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    fill();
    resize(760, 560);
}

void GameTimesDialog::fill() {
    const auto catalog = history::games();
    const GameService service(workspace_);
    table_->setRowCount(static_cast<int>(catalog->all().size()));
    int row = 0;
    for (const auto& game : catalog->all()) {
        const auto& s = game.schedule;
        const auto fixed = [&](int column, const QString& value) {
            auto* item = new QTableWidgetItem(value);
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            table_->setItem(row, column, item);
        };
        fixed(Code, QString::number(game.code()));
        fixed(Name, text(game.name));
        fixed(Aliases, aliasesText(game));
        table_->setItem(row, First,
                        new QTableWidgetItem(text(history::clockTimeText(s.firstMinute))));
        table_->setItem(row, Every, new QTableWidgetItem(QString::number(s.everyMinutes)));
        table_->setItem(row, Draws, new QTableWidgetItem(QString::number(s.drawsPerDay)));
        fixed(Last, text(history::timeOfDayText(history::dueMinute(s, s.drawsPerDay))));
        auto* followed = new QTableWidgetItem;
        followed->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        followed->setCheckState(service.isFollowed(game.game) ? Qt::Checked : Qt::Unchecked);
        table_->setItem(row, Followed, followed);
        ++row;
    }
    table_->resizeColumnsToContents();
}

bool GameTimesDialog::save() {
    GameService service(workspace_);
    const auto catalog = history::games();
    QStringList problems, changed;
    std::vector<history::Game> followed;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const history::Game game{table_->item(row, Code)->text().toInt()};
        const auto* known = catalog->find(game);
        if (!known) continue;
        if (table_->item(row, Followed)->checkState() == Qt::Checked) followed.push_back(game);
        bool everyRead = false, drawsRead = false;
        const auto first =
            history::parseClockTime(table_->item(row, First)->text().trimmed().toStdString());
        history::DrawSchedule schedule = known->schedule;
        schedule.everyMinutes = table_->item(row, Every)->text().trimmed().toInt(&everyRead);
        schedule.drawsPerDay = table_->item(row, Draws)->text().trimmed().toInt(&drawsRead);
        if (!first || !everyRead || !drawsRead) {
            problems << QStringLiteral(
                            "%1：第一期要写成 HH:MM，间隔和每天期数要写整数，开奖时间没有改变。")
                            .arg(text(known->name));
            continue;
        }
        schedule.firstMinute = *first;
        if (schedule == known->schedule) continue;
        const Outcome saved = service.setSchedule(game, schedule);
        (saved.ok ? changed : problems) << text(saved.message);
    }
    // The games followed as the menu lists them: the ones kept in their order, the new ones after.
    std::vector<history::Game> ordered;
    for (auto game : service.followed())
        if (std::find(followed.begin(), followed.end(), game) != followed.end())
            ordered.push_back(game);
    for (auto game : followed)
        if (std::find(ordered.begin(), ordered.end(), game) == ordered.end())
            ordered.push_back(game);
    if (ordered != service.followed()) {
        if (ordered.empty())
            problems << QStringLiteral("至少要关注一个游戏，关注的游戏没有改变。");
        else if (const Outcome saved = service.setFollowed(ordered); !saved.ok)
            problems << text(saved.message);
        else
            changed << QStringLiteral("关注的游戏已保存。");
    }
    QStringList lines = problems + changed;
    if (lines.isEmpty()) lines << QStringLiteral("没有改动。");
    note_->setText(lines.join(u'\n'));
    fill();
    return problems.isEmpty();
}

QString GameTimesDialog::note() const {
    return note_->text();
}

} // namespace app::gui
