#include "gui/trend/trend_view.h"

#include "gui/common/chart_setup.h"
#include "gui/common/grid_style.h"
#include "gui/common/result_note.h"
#include "gui/trend/trend_cell.h"
#include "gui/trend/trend_table.h"
#include "gui/window/window_state.h"
#include "history/period.h"
#include "search/tally.h"
#include "workspace/workspace.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace app::gui {

namespace {

// Item data of the kind chooser's entries: the kind, kShapeCode + the shape, or kChartCode + the
// chart.
constexpr int kShapeCode = 100;
constexpr int kChartCode = 200;

// The legend of a chart: how 冷温热 is told for the chance of its numbers (5/11 a period at any
// position, 1/11 at one), and what 欲出几率 is.
QString legendText(bool atOnePosition) {
    const QString chance = atOnePosition ? QStringLiteral("1/11") : QStringLiteral("5/11");
    return QString::fromStdString(
               search::heatRuleText(search::heatRule(atOnePosition ? 1.0 / 11 : 5.0 / 11))) +
           QStringLiteral("（先比近10期开出次数，一样多时当前遗漏小的更热）。"
                          "欲出几率 = 当前遗漏 ÷ 平均遗漏，是比值，不是机会：每个号码%1每期开出的"
                          "机会都是%2，遗漏多久都不变；理论次数：随机开奖平均会开出的次数")
               .arg(atOnePosition ? QStringLiteral("在每个位置") : QString(), chance);
}

} // namespace

// ---- the view ----

TrendView::TrendView(Workspace& workspace, QWidget* parent)
    : QWidget(parent), workspace_(workspace) {
    setObjectName(QStringLiteral("trendPage"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);

    kindBox_ = new QComboBox;
    kindBox_->setObjectName(QStringLiteral("trendKind"));
    // The charts of the numbers first, then one kind at a time, then the shapes.
    kindBox_->addItem(QStringLiteral("基本走势图"),
                      kChartCode + static_cast<int>(TrendChart::Basic));
    kindBox_->addItem(QStringLiteral("定位走势"),
                      kChartCode + static_cast<int>(TrendChart::Positions));
    kindBox_->insertSeparator(kindBox_->count());
    for (int kind = 0; kind < history::kKinds; ++kind)
        kindBox_->addItem(QString::fromStdString(history::kindCaptions()[kind]), kind);
    // The shapes of the whole draw, a group of their own under a heading that cannot be chosen.
    kindBox_->insertSeparator(kindBox_->count());
    kindBox_->addItem(QStringLiteral("— 形态 —"), -1);
    if (auto* items = qobject_cast<QStandardItemModel*>(kindBox_->model()))
        items->item(kindBox_->count() - 1)->setEnabled(false);
    for (int s = 0; s < search::kShapes; ++s)
        kindBox_->addItem(QString::fromUtf8(search::shapeCaption(search::Shape(s))),
                          kShapeCode + s);
    kindBox_->setToolTip(
        QStringLiteral("基本走势图、各位置的号码、号码的属性，或整期开奖号码的形态（和值、跨度、"
                       "奇偶比……）"));
    positionBox_ = new QComboBox;
    positionBox_->setObjectName(QStringLiteral("trendPosition"));
    positionBox_->addItem(QStringLiteral("任意位"));
    for (int p = 1; p <= 5; ++p) positionBox_->addItem(QStringLiteral("第%1位").arg(p));
    hideNumbers_ = new QCheckBox(QStringLiteral("隐藏遗漏数"));
    hideNumbers_->setObjectName(QStringLiteral("trendHideNumbers"));
    layered_ = new QCheckBox(QStringLiteral("遗漏分层"));
    layered_->setObjectName(QStringLiteral("trendLayers"));
    layered_->setToolTip(QStringLiteral("给每个值最后一次开出之后的格子加底色，冷门的值一目了然"));
    line_ = new QCheckBox(QStringLiteral("折线"));
    line_->setObjectName(QStringLiteral("trendLine"));
    line_->setToolTip(QStringLiteral("把相邻各期开出的格子连成折线（每期只开出一个值时）"));

    presetBox_ = new QComboBox;
    presetBox_->setObjectName(QStringLiteral("trendPreset"));
    presetBox_->addItems({QStringLiteral("近30期"), QStringLiteral("近50期"),
                          QStringLiteral("近100期"), QStringLiteral("近200期"),
                          QStringLiteral("今天"), QStringLiteral("昨天"), QStringLiteral("全部"),
                          QStringLiteral("自定")});
    // The recent draws a player reads, until the player chooses another span.
    presetBox_->setCurrentIndex(static_cast<int>(Preset::Last50));
    presetBox_->setToolTip(QStringLiteral("走势图的范围；改动起止期号即为自定"));

    const auto periodBox = [](const char* name) {
        auto* box = new QLineEdit;
        box->setObjectName(QLatin1String(name));
        box->setMaxLength(10);
        box->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,10}")), box));
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("2016090852")) +
                             16);
        return box;
    };
    fromBox_ = periodBox("trendFrom");
    toBox_ = periodBox("trendTo");
    fromBox_->setToolTip(QStringLiteral("走势图的起始期号（十位）"));
    toBox_->setToolTip(QStringLiteral("走势图的结束期号（十位）"));
    auto* clearMarks = new QPushButton(QStringLiteral("清除预选"));
    clearMarks->setObjectName(QStringLiteral("trendClearMarks"));
    clearMarks->setToolTip(QStringLiteral("清除预选行中标记的值"));

    // Two rows: what the table shows and over which span; then its tools, the note and the
    // legend of the charts.
    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("类型")));
    choices->addWidget(kindBox_);
    choices->addWidget(new QLabel(QStringLiteral("位置")));
    choices->addWidget(positionBox_);
    choices->addSpacing(12);
    choices->addWidget(presetBox_);
    choices->addWidget(new QLabel(QStringLiteral("从")));
    choices->addWidget(fromBox_);
    choices->addWidget(new QLabel(QStringLiteral("到")));
    choices->addWidget(toBox_);
    note_ = new QLabel;
    note_->setObjectName(QStringLiteral("trendNote"));
    // It names the game, the kind and the span: wrapped, it never widens the page.
    note_->setWordWrap(true);
    choices->addWidget(note_, 1);
    auto* tools = new QHBoxLayout;
    tools->addWidget(hideNumbers_);
    tools->addWidget(layered_);
    tools->addWidget(line_);
    tools->addWidget(clearMarks);
    legend_ = new QLabel(legendText(false));
    legend_->setObjectName(QStringLiteral("trendLegend"));
    legend_->setWordWrap(true);
    // The legend takes what the row has left, never its least width.
    legend_->setMinimumWidth(1);
    tools->addWidget(legend_, 100);
    marksLegend_ = new QLabel(trendMarksLegend());
    marksLegend_->setObjectName(QStringLiteral("trendMarksLegend"));
    marksLegend_->setTextFormat(Qt::RichText);
    tools->addWidget(marksLegend_);
    // Where the legend is hidden (one kind at a time) the tools keep their own width.
    tools->addStretch(1);
    layout->addLayout(choices, 0, 0);
    layout->addLayout(tools, 1, 0);

    model_ = new TrendModel(workspace_, this);
    table_ = new TrendTable;
    table_->setObjectName(QStringLiteral("trendView"));
    table_->setHorizontalHeader(new TrendHeader(table_));
    table_->setModel(model_);
    setupGrid(table_);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setItemDelegate(new TrendDelegate(table_));
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->horizontalHeader()->setMinimumSectionSize(8);
    table_->setToolTip(QStringLiteral("点击一列的号码或格子，右边的图显示它近100期的遗漏"));

    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);
    chart_ = new QChartView(chart);
    chart_->setObjectName(QStringLiteral("trendChart"));
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumSize(220, 140);
    chart_->viewport()->installEventFilter(this);

    // The table takes what the page gains; the chart keeps its width beside it.
    splitter_ = new QSplitter(Qt::Horizontal);
    splitter_->setObjectName(QStringLiteral("trendSplitter"));
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(table_);
    splitter_->addWidget(chart_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setSizes({1000, 320});
    layout->addWidget(splitter_, 2, 0);
    layout->setRowStretch(2, 1);

    connect(kindBox_, &QComboBox::currentIndexChanged, this, [this] {
        chartedValue_ = -1;
        const int code = kindBox_->currentData().toInt();
        positionBox_->setEnabled(code < kShapeCode);
        legend_->setVisible(code >= kChartCode);
        marksLegend_->setVisible(code == kChartCode + static_cast<int>(TrendChart::Basic));
        legend_->setText(legendText(code == kChartCode + static_cast<int>(TrendChart::Positions)));
        rebuild();
    });
    connect(positionBox_, &QComboBox::currentIndexChanged, this, [this] { rebuild(); });
    connect(hideNumbers_, &QCheckBox::toggled, model_, &TrendModel::setHideNumbers);
    connect(layered_, &QCheckBox::toggled, model_, &TrendModel::setLayered);
    connect(line_, &QCheckBox::toggled, table_, &TrendTable::setLine);
    connect(clearMarks, &QPushButton::clicked, model_, &TrendModel::clearMarks);
    connect(presetBox_, &QComboBox::activated, this, &TrendView::onPresetChosen);
    connect(fromBox_, &QLineEdit::editingFinished, this, &TrendView::onSpanEdited);
    connect(toBox_, &QLineEdit::editingFinished, this, &TrendView::onSpanEdited);
    const auto chartColumn = [this](int column) {
        if (const auto value = model_->valueOfColumn(column)) {
            openChart();
            showChart(value->first, static_cast<int>(value->second));
        }
    };
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this, chartColumn);
    connect(table_, &QTableView::clicked, this, [this, chartColumn](const QModelIndex& index) {
        if (index.column() < TrendModel::kLeadColumns) return;
        if (index.row() >= model_->firstMarkRow())
            model_->toggleMark(index);
        else
            chartColumn(index.column());
    });
    positionBox_->setEnabled(false); // the basic chart counts the numbers at any position
    historyChanged();
}

void TrendView::historyChanged() {
    const auto& rows = workspace_.rows();
    if (preset_ != Preset::Custom && !rows.empty()) {
        applyPreset(preset_);
    } else {
        const QString first = rows.empty()
                                  ? QString()
                                  : QString::fromStdString(history::tenDigit(rows.front().period));
        const QString newest = rows.empty()
                                   ? QString()
                                   : QString::fromStdString(history::tenDigit(rows.back().period));
        if (fromFollows_ || rows.empty()) fromBox_->setText(first);
        if (toFollows_ || rows.empty()) toBox_->setText(newest);
        if (rows.empty()) fromFollows_ = toFollows_ = true;
    }
    dirty_ = true;
    rebuild();
}

void TrendView::onSpanEdited() {
    const auto& rows = workspace_.rows();
    if (rows.empty()) return;
    const QString first = QString::fromStdString(history::tenDigit(rows.front().period));
    const QString newest = QString::fromStdString(history::tenDigit(rows.back().period));
    if (fromBox_->text().isEmpty()) fromBox_->setText(first);
    if (toBox_->text().isEmpty()) toBox_->setText(newest);
    const QString from = fromBox_->text(), to = toBox_->text();
    // Boxes that still say what the preset gave keep the preset; anything else is the user's own
    // span, whose ends follow the history only where they stand at its first or newest period.
    if (preset_ != Preset::Custom) {
        applyPreset(preset_);
        if (fromBox_->text() == from && toBox_->text() == to) {
            rebuild();
            return;
        }
        fromBox_->setText(from);
        toBox_->setText(to);
    }
    fromFollows_ = from == first;
    toFollows_ = to == newest;
    preset_ = fromFollows_ && toFollows_ ? Preset::All : Preset::Custom;
    presetBox_->setCurrentIndex(static_cast<int>(preset_));
    rebuild();
}

void TrendView::onPresetChosen() {
    preset_ = static_cast<Preset>(presetBox_->currentIndex());
    if (preset_ == Preset::Custom) return; // the boxes hold it already
    applyPreset(preset_);
    rebuild();
}

void TrendView::applyPreset(Preset preset) {
    const auto& rows = workspace_.rows();
    if (rows.empty() || preset == Preset::Custom) return;
    int start = rows.front().period, end = rows.back().period;
    switch (preset) {
    case Preset::Last30:
    case Preset::Last50:
    case Preset::Last100:
    case Preset::Last200: {
        static constexpr size_t kPeriods[] = {30, 50, 100, 200};
        const size_t wanted = kPeriods[static_cast<size_t>(preset)];
        start = rows[rows.size() > wanted ? rows.size() - wanted : 0].period;
        break;
    }
    case Preset::Today:
    case Preset::Yesterday: {
        auto day = std::chrono::sys_days(workspace_.today());
        if (preset == Preset::Yesterday) day -= std::chrono::days(1);
        const std::chrono::year_month_day date(day);
        const int stem = (static_cast<int>(date.year()) % 100) * 10000 +
                         static_cast<int>(static_cast<unsigned>(date.month())) * 100 +
                         static_cast<int>(static_cast<unsigned>(date.day()));
        start = stem * 100 + 1;
        // The day's last draw by the game's count, or a later one the history holds.
        end = stem * 100 + std::clamp(workspace_.drawsPerDay(), 1, 99);
        const auto after = std::upper_bound(
            rows.begin(), rows.end(), stem * 100 + 99,
            [](int period, const history::HistoryRow& row) { return period < row.period; });
        if (after != rows.begin() && (after - 1)->period / 100 == stem)
            end = std::max(end, (after - 1)->period);
        break;
    }
    default:
        break;
    }
    fromBox_->setText(QString::fromStdString(history::tenDigit(start)));
    toBox_->setText(QString::fromStdString(history::tenDigit(end)));
    fromFollows_ = preset == Preset::All;
    toFollows_ = preset != Preset::Today && preset != Preset::Yesterday;
}

void TrendView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // 今天 and 昨天 move on with the clock, even when no draw came meanwhile.
    if (preset_ == Preset::Today || preset_ == Preset::Yesterday) applyPreset(preset_);
    rebuild();
}

TrendSubject TrendView::chosenSubject() const {
    TrendSubject subject;
    const int code = kindBox_->currentData().toInt();
    if (code >= kChartCode) {
        subject.chart = static_cast<TrendChart>(code - kChartCode);
    } else if (code >= kShapeCode) {
        subject.shape = static_cast<search::Shape>(code - kShapeCode);
    } else {
        subject.kind = static_cast<history::Kind>(std::max(code, 0));
        subject.position = positionBox_->currentIndex();
    }
    subject.zodiacBase = workspace_.settings().zodiacBase;
    return subject;
}

void TrendView::rebuild() {
    // Nothing is computed for a hidden view; it catches up when shown.
    if (!isVisible()) {
        dirty_ = true;
        return;
    }
    const TrendSubject subject = chosenSubject();
    const auto& settings = workspace_.settings();
    Built wanted;
    wanted.version = workspace_.history().version();
    wanted.subject = subject;
    wanted.segmentBase = settings.segmentBase;
    search::OmissionRequest request;
    request.kind = subject.kind;
    request.position = subject.position;
    request.shape = subject.shape;
    request.zodiacBase = settings.zodiacBase;
    request.segmentBase = settings.segmentBase;
    // The charts count every omission from the whole history, as the results sites do.
    request.carryOver = subject.chart != TrendChart::Single;
    if (!workspace_.rows().empty()) {
        const auto start = history::lastEightAsNumber(fromBox_->text().toStdString());
        const auto end = history::lastEightAsNumber(toBox_->text().toStdString());
        if (fromBox_->text().size() != 10 || toBox_->text().size() != 10 || !start || !end) {
            // The table stays, greyed: it shows the span it was made for, not the boxes'.
            note_->setText(shownFor_.isEmpty()
                               ? QStringLiteral("请输入十位期号，例如2016090801")
                               : QStringLiteral("请输入十位期号，例如2016090801（下表仍是%1）")
                                     .arg(shownFor_));
            setGreyed(table_, true);
            return;
        }
        request.spanStart = wanted.start = *start;
        request.spanEnd = wanted.end = *end;
    }
    setGreyed(table_, false);
    if (!dirty_ && wanted == built_) {
        note_->setText(shownFor_);
        return;
    }
    dirty_ = false;
    built_ = wanted;

    if (!subject.shape) workspace_.ensureKinds({subject.kind});
    const QScrollBar* scroll = table_->verticalScrollBar();
    const bool atEnd = model_->rowCount() == 0 || scroll->value() >= scroll->maximum();
    const auto& rows = workspace_.rows();
    std::shared_ptr<const search::BasicTrend> basic;
    std::vector<std::shared_ptr<const search::OmissionTable>> tables;
    if (subject.chart == TrendChart::Basic) {
        basic = std::make_shared<const search::BasicTrend>(rows, request, workspace_.zodiac());
    } else if (subject.chart == TrendChart::Positions) {
        for (int p = 1; p <= history::kPositions; ++p) {
            request.position = p;
            tables.push_back(
                std::make_shared<const search::OmissionTable>(rows, request, workspace_.zodiac()));
        }
    } else {
        tables.push_back(
            std::make_shared<const search::OmissionTable>(rows, request, workspace_.zodiac()));
    }
    const size_t periods = basic ? basic->periods() : tables.front()->periods();
    table_->clearSpans();
    if (periods == 0 && !workspace_.rows().empty()) {
        // A span without a draw has nothing to count: no table of zeros, the note says so.
        model_->setTable(nullptr, subject);
        line_->setEnabled(false);
        shownFor_.clear();
        note_->setText(emptySpanText());
        showChart(0, -1);
        return;
    }
    if (basic)
        model_->setBasic(std::move(basic), subject);
    else if (subject.chart == TrendChart::Positions)
        model_->setPositions(std::move(tables), subject);
    else
        model_->setTable(std::move(tables.front()), subject);
    // Rows of one text over the columns after the first; the band of each position.
    for (const int row : {model_->testRow(), model_->sumRow(), model_->spanRow()})
        if (row >= 0 && model_->columnCount() > 2)
            table_->setSpan(row, 1, 1, model_->columnCount() - 1);
    if (model_->headingRowCount() > 1)
        for (int g = 0; g < model_->groupCount(); ++g)
            table_->setSpan(model_->headingRow() + 1, model_->groupFirstColumn(g), 1,
                            static_cast<int>(model_->groupTable(g)->values().size()));
    bool line = false;
    for (int g = 0; g < model_->groupCount(); ++g) line |= model_->groupTable(g)->singleValued();
    line_->setEnabled(line);
    shownFor_ = workspace_.rows().empty() ? QStringLiteral("没有历史号码")
                                          : QStringLiteral("%1 %2，%3至%4期，共 %5 期")
                                                .arg(gameText(workspace_), model_->subjectText(),
                                                     fromBox_->text(), toBox_->text())
                                                .arg(periods);
    note_->setText(shownFor_);
    fitColumns();
    foldChartToFit();
    if (atEnd) table_->scrollToBottom();
    showChart(chartedGroup_, chartedValue_);
}

QString TrendView::emptySpanText() const {
    const auto day = [this](int back) {
        const std::chrono::year_month_day date(std::chrono::sys_days(workspace_.today()) -
                                               std::chrono::days(back));
        return QStringLiteral("%1-%2-%3")
            .arg(static_cast<int>(date.year()))
            .arg(static_cast<unsigned>(date.month()), 2, 10, QLatin1Char('0'))
            .arg(static_cast<unsigned>(date.day()), 2, 10, QLatin1Char('0'));
    };
    if (preset_ == Preset::Today) return QStringLiteral("今天（%1）还没有开奖号码").arg(day(0));
    if (preset_ == Preset::Yesterday) return QStringLiteral("昨天（%1）没有开奖号码").arg(day(1));
    return QStringLiteral("%1至%2期之间没有开奖号码").arg(fromBox_->text(), toBox_->text());
}

void TrendView::fitColumns() {
    const QFontMetrics metrics(table_->font());
    const QFontMetrics header(table_->horizontalHeader()->font());
    const int pad = 12;
    const auto headerWidth = [&](int c) {
        int widest = 0;
        for (const QString& line :
             model_->headerData(c, Qt::Horizontal).toString().split(QLatin1Char('\n')))
            widest = std::max(widest, header.horizontalAdvance(line));
        return widest;
    };
    table_->setColumnWidth(0, std::max(metrics.horizontalAdvance(QStringLiteral("2016090852")),
                                       header.horizontalAdvance(QStringLiteral("近10期出现"))) +
                                  pad);
    table_->setColumnWidth(1, metrics.horizontalAdvance(QStringLiteral("03 07 01 11 05")) + pad);
    // The headers and the summary rows (counts of six digits over a long history) are shown
    // whole; every value column has the width of the widest.
    int widest = metrics.horizontalAdvance(QStringLiteral("888"));
    int label = 0;
    const int periods = model_->periods();
    const int summaryRows =
        model_->testRow() >= 0 ? TrendModel::kSummaryRows : model_->summaryRowCount();
    const int shapes = model_->firstShapeColumn();
    const int values = shapes >= 0 ? shapes : model_->columnCount();
    for (int c = TrendModel::kLeadColumns; c < values; ++c) {
        widest = std::max(widest, headerWidth(c));
        for (int r = 0; r < summaryRows; ++r)
            widest = std::max(
                widest, metrics.horizontalAdvance(model_->index(periods + r, c).data().toString()));
        // A label wider than its ball ("2:1:2") sits on a bar a little wider than the text.
        if (const auto value = model_->valueOfColumn(c))
            label = std::max(
                label, metrics.horizontalAdvance(model_->valueLabel(value->first, value->second)));
    }
    const int valueWidth =
        std::max({widest + 8, label + 12, table_->verticalHeader()->defaultSectionSize()});
    for (int c = TrendModel::kLeadColumns; c < values; ++c) table_->setColumnWidth(c, valueWidth);
    // The shape columns fit their caption and their widest value ("0:0:5").
    for (int c = std::max(shapes, 0); shapes >= 0 && c < model_->columnCount(); ++c)
        table_->setColumnWidth(
            c, std::max(headerWidth(c), metrics.horizontalAdvance(QStringLiteral("0:0:5"))) + pad);
}

void TrendView::scrollToNewest() {
    if (!isVisible() || model_->rowCount() == 0) return;
    table_->scrollToBottom();
}

} // namespace app::gui
