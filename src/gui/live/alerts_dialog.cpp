#include "gui/live/alerts_dialog.h"

#include "gui/live/notice_view.h"
#include "history/period.h"
#include "play/plays.h"
#include "workspace/live_service.h"
#include "workspace/notices.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace app::gui {

namespace {

constexpr int kShownSelections = 30;

// The kinds of the omission view, by their written and their spoken names.
const char* const kKinds[][2] = {{"number", "号码"}, {"zodiac", "生肖"}, {"head", "头数"},
                                 {"tail", "尾数"},   {"sum", "合数"},    {"segment", "段数"}};

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

} // namespace

AlertsDialog::AlertsDialog(LiveService& live, const Notices* notices, QWidget* parent)
    : QDialog(parent), live_(live), notices_(notices) {
    setObjectName(QStringLiteral("alertsDialog"));
    setWindowTitle(QStringLiteral("遗漏提醒"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("alertList"));
    ruleBox_ = new QLineEdit(this);
    ruleBox_->setObjectName(QStringLiteral("alertRuleBox"));
    ruleBox_->setPlaceholderText(
        QStringLiteral("或写成一行，例如 前一 01 遗漏>=23、任二 03,07 欲出几率>=2.5"));
    auto* addTyped = new QPushButton(QStringLiteral("添加"), this);
    addTyped->setObjectName(QStringLiteral("alertAdd"));
    auto* remove = new QPushButton(QStringLiteral("删除选定规则"), this);
    remove->setObjectName(QStringLiteral("alertRemove"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("alertProblem"));
    problem_->setWordWrap(true);
    auto* help = new QLabel(
        QStringLiteral(
            "遗漏：本次遗漏的期数；欲出几率：本次遗漏÷平均遗漏（都按全部历史号码计算）。"
            "选号不填为任意一注（或任意一个值）。每期新号码存入后，刚达到条件的选号提醒一"
            "次，并写明是第几期达到的。长龙提醒在下面的框中输入 streak:形态[:位置]>=N，"
            "形态 big、odd、prime、route012（可加位置 1～5）、sum5、span、dragon，例如 "
            "streak:big:1>=8。"),
        this);
    help->setWordWrap(true);
    auto* typedRow = new QHBoxLayout;
    typedRow->addWidget(ruleBox_, 1);
    typedRow->addWidget(addTyped);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(remove);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 2);
    layout->addLayout(buildChoice());
    layout->addLayout(typedRow);
    layout->addWidget(help);
    layout->addWidget(problem_);
    if (notices_) {
        layout->addWidget(new QLabel(QStringLiteral("已提醒（最新的在最上面）："), this));
        fired_ = new QListWidget(this);
        fired_->setObjectName(QStringLiteral("alertFiredList"));
        layout->addWidget(fired_, 1);
    }
    layout->addLayout(buttons);
    connect(addTyped, &QPushButton::clicked, this,
            [this] { add(ruleBox_->text().trimmed(), true); });
    connect(ruleBox_, &QLineEdit::returnPressed, this,
            [this] { add(ruleBox_->text().trimmed(), true); });
    connect(remove, &QPushButton::clicked, this, [this] {
        const int row = list_->currentRow();
        // The line that says there is no rule holds none.
        if (row < 0 || list_->item(row)->data(Qt::UserRole).isNull()) return;
        // The rule shown, wherever another window or command has moved it meanwhile.
        const std::string shown = list_->item(row)->data(Qt::UserRole).toString().toStdString();
        const Outcome removed = live_.removeRule(static_cast<size_t>(row), shown);
        problem_->setText(removed.ok ? QString() : text(removed.message));
        showRules();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(680, 520);
    showRules();
    showFired();
}

QLayout* AlertsDialog::buildChoice() {
    playBox_ = new QComboBox(this);
    playBox_->setObjectName(QStringLiteral("alertPlayBox"));
    for (const auto& p : play::plays())
        playBox_->addItem(text(p.name), QString::fromLatin1(p.code));
    for (const auto& kind : kKinds)
        playBox_->addItem(QString::fromUtf8(kind[1]), QString::fromLatin1(kind[0]));
    positionBox_ = new QComboBox(this);
    positionBox_->setObjectName(QStringLiteral("alertPositionBox"));
    positionBox_->addItem(QStringLiteral("任意位"), QStringLiteral("any"));
    for (int p = 1; p <= 5; ++p)
        positionBox_->addItem(QStringLiteral("第%1位").arg(p), QString::number(p));
    selectionBox_ = new QLineEdit(this);
    selectionBox_->setObjectName(QStringLiteral("alertSelectionBox"));
    selectionBox_->setPlaceholderText(QStringLiteral("任意"));
    conditionBox_ = new QComboBox(this);
    conditionBox_->setObjectName(QStringLiteral("alertConditionBox"));
    conditionBox_->addItem(QStringLiteral("遗漏 ≥"), QStringLiteral("current"));
    conditionBox_->addItem(QStringLiteral("欲出几率 ≥"), QStringLiteral("ratio"));
    thresholdBox_ = new QDoubleSpinBox(this);
    thresholdBox_->setObjectName(QStringLiteral("alertThresholdBox"));
    auto* addChosen = new QPushButton(QStringLiteral("添加选定规则"), this);
    addChosen->setObjectName(QStringLiteral("alertAddChosen"));
    auto* grid = new QGridLayout;
    const QString heads[] = {QStringLiteral("玩法"), QStringLiteral("位置"), QStringLiteral("选号"),
                             QStringLiteral("条件")};
    for (int c = 0; c < 4; ++c) grid->addWidget(new QLabel(heads[c], this), 0, c);
    grid->addWidget(playBox_, 1, 0);
    grid->addWidget(positionBox_, 1, 1);
    grid->addWidget(selectionBox_, 1, 2);
    auto* condition = new QHBoxLayout;
    condition->addWidget(conditionBox_);
    condition->addWidget(thresholdBox_);
    grid->addLayout(condition, 1, 3);
    grid->addWidget(addChosen, 1, 4);
    grid->setColumnStretch(2, 1);
    connect(playBox_, &QComboBox::currentIndexChanged, this, &AlertsDialog::onPlayChosen);
    connect(conditionBox_, &QComboBox::currentIndexChanged, this, &AlertsDialog::onConditionChosen);
    connect(addChosen, &QPushButton::clicked, this, [this] { add(chosenRule(), false); });
    onPlayChosen();
    onConditionChosen();
    return grid;
}

void AlertsDialog::onPlayChosen() {
    // A play's ticket has no position; a kind is watched at one position or at any.
    const bool kind = playBox_->currentIndex() >= static_cast<int>(play::plays().size());
    positionBox_->setEnabled(kind);
    selectionBox_->setPlaceholderText(kind ? QStringLiteral("任意，或一个值如 7")
                                           : QStringLiteral("任意，或一注如 03,07"));
}

void AlertsDialog::onConditionChosen() {
    if (conditionBox_->currentData().toString() == QLatin1String("ratio")) {
        thresholdBox_->setDecimals(1);
        thresholdBox_->setRange(0.1, 100);
        thresholdBox_->setValue(2.0);
    } else {
        thresholdBox_->setDecimals(0);
        thresholdBox_->setRange(1, 100000);
        thresholdBox_->setValue(20);
    }
}

QString AlertsDialog::chosenRule() const {
    QString what = playBox_->currentData().toString();
    if (positionBox_->isEnabled()) what += u'@' + positionBox_->currentData().toString();
    QString selection = selectionBox_->text().trimmed();
    selection.replace(QRegularExpression(QStringLiteral("[\\s，、]+")), QStringLiteral(","));
    if (selection.isEmpty()) selection = QStringLiteral("any");
    return QStringLiteral("%1 %2 %3>=%4")
        .arg(what, selection, conditionBox_->currentData().toString(),
             QString::number(thresholdBox_->value(), 'g', 6));
}

void AlertsDialog::add(const QString& rule, bool typed) {
    const Outcome added = live_.addRule(rule.toStdString());
    problem_->setText(added.ok ? QString() : text(added.message));
    if (!added.ok) return;
    if (typed) ruleBox_->clear();
    showRules();
}

void AlertsDialog::showRules() {
    list_->clear();
    // Every stored item in its order, one that cannot be read said so; each keeps its stored text
    // for the removal.
    const auto items = live_.ruleItems();
    for (const auto& item : items) {
        QString line;
        if (!item.rule) {
            line = QStringLiteral("（无法读取：%1，保留原样）%2")
                       .arg(text(item.error), text(item.text));
        } else {
            const auto met = live_.meetingNow(*item.rule);
            line = text(alertRuleWords(*item.rule)) + QStringLiteral("　现在：");
            if (met.empty()) line += QStringLiteral("无");
            for (size_t i = 0; i < met.size() && i < kShownSelections; ++i) {
                // A run: since which period, and how ordinary it is.
                if (item.rule->streak) {
                    line += QStringLiteral("%1（连开%2期，自第%3期起，一天中出现的概率%4） ")
                                .arg(text(met[i].selection))
                                .arg(met[i].current)
                                .arg(text(history::tenDigit(met[i].since)),
                                     text(runChanceText(met[i].chance)));
                    continue;
                }
                line += QStringLiteral("%1（遗漏%2期） ")
                            .arg(text(met[i].selection))
                            .arg(met[i].current);
            }
            if (met.size() > kShownSelections)
                line += QStringLiteral("……共%1注").arg(static_cast<qulonglong>(met.size()));
        }
        auto* shown = new QListWidgetItem(line.trimmed(), list_);
        shown->setData(Qt::UserRole, text(item.text));
    }
    if (items.empty()) list_->addItem(QStringLiteral("（还没有提醒规则）"));
}

void AlertsDialog::showFired() {
    if (!fired_) return;
    fired_->clear();
    const auto& all = notices_->all();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (it->kind == NoticeKind::Alert)
            fired_->addItem(QStringLiteral("%1  %2").arg(noticeTime(*it), text(it->text)));
    if (fired_->count() == 0) fired_->addItem(QStringLiteral("（本次运行还没有提醒）"));
}

} // namespace app::gui
