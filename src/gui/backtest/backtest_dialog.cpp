#include "gui/backtest/backtest_dialog.h"

#include "gui/backtest/backtest_chart.h"
#include "gui/backtest/backtest_model.h"
#include "gui/common/background_work.h"
#include "gui/common/grid_style.h"
#include "gui/common/page_output.h"
#include "gui/common/prompter.h"
#include "gui/common/result_note.h"
#include "history/game_record.h"
#include "workspace/figure_caveat.h"
#include "workspace/workspace.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace app::gui {

namespace {

const QString kCaution =
    QStringLiteral("p值是随机开奖时命中期数不少于实际期数的概率。一次回测同时检验前1到前T位，"
                   "其中最小的p值本来就容易偶然偏小，所以结论看校正p值（Holm法）："
                   "校正p值不小于0.05即与随机无明显差别。") +
    QString::fromUtf8(kFigureCaveat);

QSpinBox* spinBox(const QString& name, int low, int high, int value) {
    auto* box = new QSpinBox;
    box->setObjectName(name);
    box->setRange(low, high);
    box->setValue(std::clamp(value, low, high));
    box->setAlignment(Qt::AlignRight);
    return box;
}

} // namespace

BacktestDialog::BacktestDialog(QWidget* parent, const Workspace& workspace,
                               BacktestService& service, Prompter& prompter,
                               BacktestSubject subject, const BacktestChoice& choice)
    : QDialog(parent), workspace_(workspace), service_(service), prompter_(prompter),
      subject_(std::move(subject)) {
    setObjectName(QStringLiteral("backtestDialog"));
    setWindowTitle(QStringLiteral("回测：检索设置在过去各期的表现"));
    buildLayout(choice);
    setRunning(false);
    // As large as a 1024x640 screen leaves room for.
    QSize size(820, 620);
    if (const QScreen* screen = parent ? parent->screen() : QApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() - QSize(40, 60));
    resize(size);
}

void BacktestDialog::buildLayout(const BacktestChoice& choice) {
    auto* layout = new QVBoxLayout(this);

    auto* searchFrame = new QGroupBox(QStringLiteral("回测的检索"));
    searchFrame->setObjectName(QStringLiteral("backtestSearchFrame"));
    auto* searchLayout = new QVBoxLayout(searchFrame);
    patternButton_ = new QRadioButton(subject_.patternText);
    patternButton_->setObjectName(QStringLiteral("backtestPattern"));
    combinationButton_ = new QRadioButton(subject_.combinationText);
    combinationButton_->setObjectName(QStringLiteral("backtestCombination"));
    (choice.type == search::SearchType::Combination ? combinationButton_ : patternButton_)
        ->setChecked(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(patternButton_);
    buttons->addWidget(combinationButton_);
    buttons->addStretch(1);
    searchLayout->addLayout(buttons);
    auto* rules = new QLabel(subject_.rulesText);
    rules->setObjectName(QStringLiteral("backtestRules"));
    rules->setWordWrap(true);
    searchLayout->addWidget(rules);
    layout->addWidget(searchFrame);

    stepsBox_ =
        spinBox(QStringLiteral("backtestSteps"), 1, kMaxBacktestSteps, choice.options.steps);
    stepsBox_->setToolTip(QStringLiteral("检验历史号码的最后几期：每期只用它之前的历史检索"));
    topBox_ = spinBox(QStringLiteral("backtestTop"), 1, kMaxBacktestTop, choice.options.top);
    topBox_->setToolTip(QStringLiteral("取结果列表的前几位：k = 1 到这个数，各算一行"));
    runButton_ = new QPushButton(QStringLiteral("开始回测(&R)"));
    runButton_->setObjectName(QStringLiteral("backtestRun"));
    runButton_->setDefault(true);
    auto* options = new QHBoxLayout;
    auto* stepsLabel = new QLabel(QStringLiteral("检验最后(&M)"));
    stepsLabel->setBuddy(stepsBox_);
    auto* topLabel = new QLabel(QStringLiteral("期，取结果前(&T)"));
    topLabel->setBuddy(topBox_);
    options->addWidget(stepsLabel);
    options->addWidget(stepsBox_);
    options->addWidget(topLabel);
    options->addWidget(topBox_);
    options->addWidget(new QLabel(QStringLiteral("位")));
    options->addStretch(1);
    options->addWidget(runButton_);
    layout->addLayout(options);

    progressBar_ = new QProgressBar;
    progressBar_->setObjectName(QStringLiteral("backtestProgress"));
    progressBar_->setFormat(QStringLiteral("%v / %m 期"));
    cancelButton_ = new QPushButton(QStringLiteral("取消"));
    cancelButton_->setObjectName(QStringLiteral("backtestCancel"));
    auto* progress = new QHBoxLayout;
    progress->addWidget(progressBar_, 1);
    progress->addWidget(cancelButton_);
    layout->addLayout(progress);

    summary_ = new QLabel(QStringLiteral("选好检索和期数后点击“开始回测”。"));
    summary_->setObjectName(QStringLiteral("backtestSummary"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary_);
    note_ = new ResultNote(QStringLiteral("backtestResultNote"));
    note_->setEmpty();
    layout->addWidget(note_);

    model_ = new BacktestModel(this);
    table_ = new QTableView;
    table_->setObjectName(QStringLiteral("backtestTable"));
    table_->setModel(model_);
    setupGrid(table_);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    setColumnTwips(table_, {700, 960, 960, 1100, 1200, 900, 900, 1900},
                   {QStringLiteral("前k位"), QStringLiteral("检验期数"), QStringLiteral("命中期数"),
                    QStringLiteral("100.000%"), QStringLiteral("随机命中率"),
                    QStringLiteral("0.0001234"), QStringLiteral("0.0001234"),
                    QStringLiteral("与随机无明显差别")});
    table_->horizontalHeader()->setStretchLastSection(true);

    kBox_ = new QComboBox;
    kBox_->setObjectName(QStringLiteral("backtestChartK"));
    kBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    chart_ = new BacktestChart;
    auto* chartPane = new QWidget;
    auto* chartLayout = new QVBoxLayout(chartPane);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    auto* kLine = new QHBoxLayout;
    auto* kLabel = new QLabel(QStringLiteral("图中显示(&K)"));
    kLabel->setBuddy(kBox_);
    kLine->addWidget(kLabel);
    kLine->addWidget(kBox_);
    kLine->addStretch(1);
    // The table and the chart as a picture, a PDF or on paper.
    auto output = std::make_shared<PageOutput>(this, prompter_, [this] {
        PageContent content;
        content.what = QStringLiteral("回测");
        content.span = QStringLiteral("检验最后%1期").arg(stepsBox_->value());
        content.views = {table_, chart_};
        return pageDocument(QString::fromStdString(history::gameName(workspace_.settings().game)),
                            content);
    });
    auto* save = new QPushButton(QStringLiteral("保存为图片或PDF…"));
    save->setObjectName(QStringLiteral("backtestSavePicture"));
    connect(save, &QPushButton::clicked, this, [output] { output->save(); });
    auto* print = new QPushButton(QStringLiteral("打印…"));
    print->setObjectName(QStringLiteral("backtestPrint"));
    connect(print, &QPushButton::clicked, this, [output] { output->print(); });
    kLine->addWidget(save);
    kLine->addWidget(print);
    chartLayout->addLayout(kLine);
    chartLayout->addWidget(chart_, 1);

    auto* split = new QSplitter(Qt::Vertical);
    split->setObjectName(QStringLiteral("backtestSplitter"));
    split->setChildrenCollapsible(false);
    split->addWidget(table_);
    split->addWidget(chartPane);
    split->setStretchFactor(1, 1);
    // The table shows its titles and three rows (the default top) without scrolling; more rows
    // take room from the chart.
    const auto tableHeight = [this](int rows) {
        return table_->horizontalHeader()->sizeHint().height() +
               rows * table_->verticalHeader()->defaultSectionSize() + 2 * table_->frameWidth();
    };
    table_->setMinimumHeight(tableHeight(3));
    split->setSizes({tableHeight(std::clamp(choice.options.top, 3, 6)), 400});
    layout->addWidget(split, 1);
    note_->addResult(summary_);
    note_->addResult(table_);
    note_->addResult(chart_);

    auto* caution = new QLabel(kCaution);
    caution->setObjectName(QStringLiteral("backtestCaution"));
    caution->setWordWrap(true);
    caution->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(caution);

    auto* closeBox = new QDialogButtonBox(QDialogButtonBox::Close);
    closeButton_ = closeBox->button(QDialogButtonBox::Close);
    closeButton_->setObjectName(QStringLiteral("backtestClose"));
    closeButton_->setText(QStringLiteral("关闭"));
    closeButton_->setAutoDefault(false);
    layout->addWidget(closeBox);

    connect(runButton_, &QPushButton::clicked, this, &BacktestDialog::run);
    // Settings other than those of the figures shown: the figures say so.
    const auto inputsChanged = [this] {
        const BacktestChoice now = this->choice();
        note_->setInputsDiffer(now.type != resultChoice_.type ||
                                   now.options.steps != resultChoice_.options.steps ||
                                   now.options.top != resultChoice_.options.top,
                               inputsChangedText());
    };
    connect(patternButton_, &QRadioButton::toggled, this, inputsChanged);
    connect(stepsBox_, &QSpinBox::valueChanged, this, inputsChanged);
    connect(topBox_, &QSpinBox::valueChanged, this, inputsChanged);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        if (work_) work_->cancel();
    });
    connect(closeBox, &QDialogButtonBox::rejected, this, &BacktestDialog::reject);
    connect(kBox_, &QComboBox::currentIndexChanged, this, [this](int index) { showK(index + 1); });
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) kBox_->setCurrentIndex(current.row());
            });
}

BacktestChoice BacktestDialog::choice() const {
    BacktestChoice choice;
    choice.type = combinationButton_->isChecked() ? search::SearchType::Combination
                                                  : search::SearchType::Pattern;
    choice.options.steps = stepsBox_->value();
    choice.options.top = topBox_->value();
    return choice;
}

void BacktestDialog::reject() {
    if (running_) {
        if (work_) work_->cancel();
        closeAfterRun_ = true;
        return;
    }
    QDialog::reject();
}

void BacktestDialog::setRunning(bool running) {
    running_ = running;
    for (QWidget* w : std::initializer_list<QWidget*>{patternButton_, combinationButton_, stepsBox_,
                                                      topBox_, runButton_, kBox_})
        w->setEnabled(!running);
    progressBar_->setVisible(running);
    cancelButton_->setVisible(running);
    cancelButton_->setEnabled(running);
    if (running) {
        progressBar_->setRange(0, 0); // busy until the run knows its periods
        cancelButton_->setFocus();
    }
}

void BacktestDialog::run() {
    if (running_) return;
    const BacktestChoice chosen = choice();
    closeAfterRun_ = false;
    showResult(nullptr);
    note_->setEmpty();
    summary_->setText(QStringLiteral("正在回测……"));
    setRunning(true);
    search::BacktestResult result;
    Outcome outcome;
    {
        // On a thread of its own: the dialog and the window stay alive meanwhile.
        BackgroundWork work(QStringLiteral("回测"));
        work_ = &work;
        work.run(
            [&](history::Progress& progress) {
                outcome =
                    service_.run(chosen.type, subject_.positions, chosen.options, progress, result);
            },
            [this](std::size_t done, std::size_t total) {
                if (total == 0) return; // busy until the run knows its periods
                progressBar_->setRange(0, static_cast<int>(total));
                progressBar_->setValue(static_cast<int>(std::min(done, total)));
            });
        work_ = nullptr;
    }
    setRunning(false);
    if (closeAfterRun_) {
        QDialog::reject();
        return;
    }
    if (result.cancelled) {
        summary_->setText(QStringLiteral("回测已取消，没有结果。"));
        chart_->showNote(QStringLiteral("回测已取消"));
        return;
    }
    if (!outcome.ok) {
        summary_->setText(QStringLiteral("回测没有进行。"));
        prompter_.warn(QStringLiteral("回测"), QString::fromStdString(outcome.message));
        return;
    }
    const QString tested = chosen.type == search::SearchType::Combination ? subject_.combinationText
                                                                          : subject_.patternText;
    const qint64 total = result.tested() + result.skipped;
    QString text = QStringLiteral("回测了%1：检验最后%2期，%3期计入，%4期检索无结果未计入。")
                       .arg(tested)
                       .arg(total)
                       .arg(result.tested())
                       .arg(result.skipped);
    if (total < chosen.options.steps)
        text += QStringLiteral("（历史号码只够检验%1期。）").arg(total);
    if (static_cast<int>(result.top.size()) < chosen.options.top)
        text += QStringLiteral("（结果类型只有%1个值，只算前%1位。）").arg(result.top.size());
    summary_->setText(text);
    resultChoice_ = chosen;
    resultGame_ = static_cast<int>(workspace_.settings().game);
    resultVersion_ = workspace_.history().version();
    note_->setCurrent(QStringLiteral("%1 %2").arg(gameText(workspace_), historyText(workspace_)));
    showResult(std::make_shared<const search::BacktestResult>(std::move(result)));
}

void BacktestDialog::historyChanged() {
    if (!note_->hasResult() || workspace_.history().version() == resultVersion_) return;
    note_->setStale(historyChangeReason(workspace_, resultGame_));
}

void BacktestDialog::showResult(std::shared_ptr<const search::BacktestResult> result) {
    const QSignalBlocker blocker(kBox_);
    kBox_->clear();
    model_->setResult(result);
    if (!result) {
        chart_->showNote(QStringLiteral("回测后在此显示累计命中期数与随机期望"));
        return;
    }
    for (const auto& f : result->top) kBox_->addItem(QStringLiteral("前%1位").arg(f.k));
    if (result->top.empty()) return;
    kBox_->setCurrentIndex(0);
    table_->selectRow(0);
    showK(1);
}

void BacktestDialog::showK(int k) {
    const search::BacktestResult* result = model_->result();
    if (!result || k < 1) return;
    chart_->showResult(*result, k);
    if (table_->currentIndex().row() != k - 1) table_->selectRow(k - 1);
}

} // namespace app::gui
