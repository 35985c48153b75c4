#include "gui/shrink/cover_panel.h"

#include "gui/common/background_work.h"
#include "gui/common/result_note.h"
#include "gui/shrink/ticket_save.h"
#include "gui/tickets/ticket_recording.h"
#include "workspace/workspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace app::gui {

CoverPanel::CoverPanel(Workspace& workspace, Prompter& prompter,
                       std::function<QString(ShrinkRequest&)> conditions, QWidget* parent)
    : QGroupBox(QStringLiteral("旋转矩阵（从号码池中选少量号码，保证中几个时至少中一注）"), parent),
      workspace_(workspace), prompter_(prompter), conditions_(std::move(conditions)) {
    setObjectName(QStringLiteral("coverPanel"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("玩法")));
    playBox_ = new QComboBox;
    playBox_->setObjectName(QStringLiteral("coverPlay"));
    for (int p = static_cast<int>(play::Play::Any2); p <= static_cast<int>(play::Play::Any8); ++p)
        playBox_->addItem(QString::fromUtf8(play::info(play::Play(p)).name), p);
    playBox_->setCurrentIndex(1); // 任三
    top->addWidget(playBox_);
    top->addWidget(new QLabel(QStringLiteral("中")));
    m_ = new QSpinBox;
    m_->setObjectName(QStringLiteral("coverM"));
    top->addWidget(m_);
    top->addWidget(new QLabel(QStringLiteral("保中")));
    auto* run = new QPushButton(QStringLiteral("生成旋转矩阵"));
    run->setObjectName(QStringLiteral("coverBuild"));
    top->addWidget(run);
    top->addStretch(1);
    layout->addLayout(top);
    withConditions_ = new QCheckBox(QStringLiteral("套用上面的缩水条件"));
    withConditions_->setObjectName(QStringLiteral("coverWithConditions"));
    layout->addWidget(withConditions_);

    // The pool in two rows (01..06, 07..11): whole in the narrow column of a small screen.
    auto* pad = new QGridLayout;
    pad->addWidget(new QLabel(QStringLiteral("号码池")), 0, 0);
    for (int n = 1; n <= 11; ++n) {
        auto* button = new QPushButton(QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')));
        button->setObjectName(QStringLiteral("coverPool%1").arg(n));
        button->setCheckable(true);
        button->setChecked(n <= 8);
        button->setStyleSheet(
            QStringLiteral("QPushButton:checked{background:#2060c0;color:white}"));
        button->setToolTip(QStringLiteral("点一下放入号码池，再点取消"));
        button->setFixedWidth(34);
        pool_[static_cast<size_t>(n - 1)] = button;
        pad->addWidget(button, (n - 1) / 6, 1 + (n - 1) % 6);
    }
    pad->setColumnStretch(7, 1);
    layout->addLayout(pad);

    note_ = new ResultNote(QStringLiteral("coverResultNote"));
    layout->addWidget(note_);
    counts_ = new QLabel;
    counts_->setObjectName(QStringLiteral("coverCounts"));
    counts_->setWordWrap(true);
    layout->addWidget(counts_);
    list_ = new QPlainTextEdit;
    list_->setObjectName(QStringLiteral("coverTickets"));
    list_->setReadOnly(true);
    list_->setMinimumHeight(100);
    layout->addWidget(list_);
    note_->addResult(counts_);
    note_->addResult(list_);
    auto* buttons = new QHBoxLayout;
    auto* copy = new QPushButton(QStringLiteral("复制号码"));
    copy->setObjectName(QStringLiteral("coverCopy"));
    auto* save = new QPushButton(QStringLiteral("保存为文本…"));
    save->setObjectName(QStringLiteral("coverSave"));
    buttons->addWidget(copy);
    auto* format = newTicketFormatBox(QStringLiteral("coverFormat"));
    buttons->addWidget(format);
    buttons->addWidget(save);
    auto* record = new QPushButton(QStringLiteral("记入我的投注"));
    record->setObjectName(QStringLiteral("coverRecord"));
    buttons->addWidget(record);
    connect(record, &QPushButton::clicked, this, [this] {
        TicketsToRecord what;
        what.play = play_;
        for (const std::uint32_t i : tickets_) what.tickets.push_back(play::selectionsOf(play_)[i]);
        what.entered = QStringLiteral("旋转矩阵%1注").arg(tickets_.size());
        recordTickets(workspace_, prompter_, what);
    });
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(playBox_, &QComboBox::currentIndexChanged, this, &CoverPanel::onPlayChanged);
    connect(m_, &QSpinBox::valueChanged, this, &CoverPanel::inputsChanged);
    connect(withConditions_, &QCheckBox::toggled, this, &CoverPanel::inputsChanged);
    for (QPushButton* button : pool_)
        connect(button, &QPushButton::toggled, this, &CoverPanel::inputsChanged);
    connect(run, &QPushButton::clicked, this, &CoverPanel::build);
    connect(copy, &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(list_->toPlainText());
        counts_->setText(counts_->text() + QStringLiteral("　已复制%1注").arg(tickets_.size()));
    });
    connect(save, &QPushButton::clicked, this, [this, format] {
        saveTickets(prompter_, play_, tickets_, QStringLiteral("旋转矩阵.txt"),
                    ticketFormatOf(*format));
    });
    onPlayChanged();
}

CoverPanel::Inputs CoverPanel::inputs() const {
    Inputs now;
    now.play = playBox_->currentData().toInt();
    now.m = m_->value();
    for (int n = 0; n < 11; ++n)
        if (pool_[static_cast<size_t>(n)]->isChecked()) now.pool |= 1u << n;
    now.withConditions = withConditions_->isChecked();
    return now;
}

void CoverPanel::onPlayChanged() {
    const auto p = static_cast<play::Play>(playBox_->currentData().toInt());
    const int k = play::info(p).size;
    // 任二..任四 guarantee 中k..中5; 任五..任八 only 中5.
    m_->setRange(k < 5 ? k : 5, 5);
    m_->setValue(5);
    inputsChanged();
}

void CoverPanel::inputsChanged() {
    note_->setInputsDiffer(inputs() != shownFor_, inputsChangedText());
}

void CoverPanel::historyChanged() {
    if (!note_->hasResult() || !shownFor_.withConditions ||
        workspace_.history().version() == shownVersion_)
        return;
    note_->setStale(historyChangeReason(workspace_, shownGame_));
}

void CoverPanel::build() {
    ShrinkRequest r;
    if (withConditions_->isChecked()) {
        if (const QString bad = conditions_(r); !bad.isEmpty()) {
            tickets_.clear();
            list_->clear();
            note_->setEmpty();
            counts_->setText(
                QStringLiteral("<span style='color:#b00000'>%1</span>").arg(bad.toHtmlEscaped()));
            return;
        }
    }
    r.play = static_cast<play::Play>(playBox_->currentData().toInt());
    r.cover = play::CoverRequest{};
    for (int n = 0; n < 11; ++n)
        if (pool_[static_cast<size_t>(n)]->isChecked())
            r.cover->pool |= static_cast<search::NumberSet>(1u << n);
    r.cover->m = m_->value();
    ShrinkService service(workspace_);
    ShrinkResult result;
    Outcome outcome;
    // The search has a budget of its own (about a second); cancelled, its result is not shown.
    if (!runWithProgress(this, QStringLiteral("计算旋转矩阵"), QStringLiteral("正在计算旋转矩阵…"),
                         [&](history::Progress& progress) {
                             progress.setTotal(0);
                             outcome = service.run(r, progress, result);
                         }))
        return;
    tickets_.clear();
    list_->clear();
    note_->setEmpty();
    if (!outcome.ok) {
        counts_->setText(QStringLiteral("<span style='color:#b00000'>%1</span>")
                             .arg(QString::fromStdString(outcome.message).toHtmlEscaped()));
        return;
    }
    play_ = r.play;
    tickets_ = result.coverTickets;
    const play::CoverResult& c = *result.cover;
    QString text = QStringLiteral("%1 中%2保中：<b>%3</b> 注（全部复式 %4 注，至少需要 %5 注）")
                       .arg(QString::fromUtf8(play::info(r.play).name))
                       .arg(r.cover->m)
                       .arg(tickets_.size())
                       .arg(c.full)
                       .arg(c.bound);
    if (c.wholeBet) text += QStringLiteral("；任五中5保5只能买全部复式");
    if (c.uncovered > 0)
        text += QStringLiteral("；<span style='color:#b00000'>套用条件后有%1种组合不再保证</span>")
                    .arg(c.uncovered);
    counts_->setText(text);
    shownFor_ = inputs();
    shownGame_ = static_cast<int>(workspace_.settings().game);
    shownVersion_ = workspace_.history().version();
    QString pool;
    for (int n = 0; n < 11; ++n)
        if (shownFor_.pool & (1u << n))
            pool += QStringLiteral(" %1").arg(n + 1, 2, 10, QLatin1Char('0'));
    note_->setCurrent(shownFor_.withConditions
                          ? QStringLiteral("号码池%1，套用缩水条件，%2 %3")
                                .arg(pool, gameText(workspace_), historyText(workspace_))
                          : QStringLiteral("号码池%1").arg(pool));
    const play::SelectionSet& selections = play::selectionsOf(r.play);
    QStringList lines;
    for (const auto s : tickets_)
        lines << QString::fromStdString(play::selectionText(selections[s]));
    list_->setPlainText(lines.join(QLatin1Char('\n')));
}

} // namespace app::gui
