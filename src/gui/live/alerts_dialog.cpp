#include "gui/live/alerts_dialog.h"

#include "history/period.h"
#include "workspace/live_service.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace app::gui {

namespace {
constexpr int kShownSelections = 30;
}

AlertsDialog::AlertsDialog(LiveService& live, QWidget* parent) : QDialog(parent), live_(live) {
    setObjectName(QStringLiteral("alertsDialog"));
    setWindowTitle(QStringLiteral("遗漏提醒"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("alertList"));
    ruleBox_ = new QLineEdit(this);
    ruleBox_->setObjectName(QStringLiteral("alertRuleBox"));
    ruleBox_->setPlaceholderText(QStringLiteral("例如 q1 any current>=30 或 r2 03,07 ratio>=2.5"));
    auto* add = new QPushButton(QStringLiteral("添加"), this);
    add->setObjectName(QStringLiteral("alertAdd"));
    auto* remove = new QPushButton(QStringLiteral("删除选定规则"), this);
    remove->setObjectName(QStringLiteral("alertRemove"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    problem_ = new QLabel(this);
    problem_->setWordWrap(true);
    auto* help = new QLabel(
        QStringLiteral("规则：玩法（q1、r2…r8、q2d、q2g、q3d、q3g，或 number@1、tail@any 等）、"
                       "选号（一注、一个值或 any）、条件（current>=N：本次遗漏≥N；ratio>=r："
                       "本次遗漏÷平均遗漏≥r）。每期新号码存入后，刚达到条件的选号会提醒一次。"
                       "长龙提醒：streak:形态[:位置]>=N，形态 big、odd、prime、route012（可加位置 "
                       "1～5）、sum5、span、dragon，例如 streak:big:1>=8。"),
        this);
    help->setWordWrap(true);
    auto* row = new QHBoxLayout;
    row->addWidget(ruleBox_, 1);
    row->addWidget(add);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(remove);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(help);
    layout->addLayout(row);
    layout->addWidget(problem_);
    layout->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, &AlertsDialog::onAdd);
    connect(ruleBox_, &QLineEdit::returnPressed, this, &AlertsDialog::onAdd);
    connect(remove, &QPushButton::clicked, this, &AlertsDialog::onRemove);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(620, 420);
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
                       .arg(QString::fromStdString(item.error), QString::fromStdString(item.text));
        } else {
            const auto met = live_.meetingNow(*item.rule);
            line = QString::fromStdString(alertRuleLabel(*item.rule)) + QStringLiteral("　现在：");
            if (met.empty()) line += QStringLiteral("无");
            for (size_t i = 0; i < met.size() && i < kShownSelections; ++i) {
                line += QStringLiteral("%1（%2期） ")
                            .arg(QString::fromStdString(met[i].selection))
                            .arg(met[i].current);
                // A run: since which period, and how ordinary it is.
                if (item.rule->streak)
                    line += QStringLiteral("自第%1期起，一天中出现的概率%2 ")
                                .arg(QString::fromStdString(history::tenDigit(met[i].since)),
                                     QString::fromStdString(runChanceText(met[i].chance)));
            }
            if (met.size() > kShownSelections)
                line += QStringLiteral("……共%1注").arg(static_cast<qulonglong>(met.size()));
        }
        auto* shown = new QListWidgetItem(line.trimmed(), list_);
        shown->setData(Qt::UserRole, QString::fromStdString(item.text));
    }
    if (items.empty()) list_->addItem(QStringLiteral("（还没有提醒规则）"));
}

void AlertsDialog::onAdd() {
    const Outcome added = live_.addRule(ruleBox_->text().trimmed().toStdString());
    problem_->setText(added.ok ? QString() : QString::fromStdString(added.message));
    if (!added.ok) return;
    ruleBox_->clear();
    showRules();
}

void AlertsDialog::onRemove() {
    const int row = list_->currentRow();
    // The line that says there is no rule holds none.
    if (row < 0 || list_->item(row)->data(Qt::UserRole).isNull()) return;
    // The rule shown, wherever another window or command has moved it meanwhile.
    const std::string shown = list_->item(row)->data(Qt::UserRole).toString().toStdString();
    const Outcome removed = live_.removeRule(static_cast<size_t>(row), shown);
    problem_->setText(removed.ok ? QString() : QString::fromStdString(removed.message));
    showRules();
}

} // namespace app::gui
