// Building the main window: menus, the history column, the search panel and the result grids.

#include "gui/common/grid_style.h"
#include "gui/history/history_model.h"
#include "gui/window/main_window.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <type_traits>

namespace app::gui {

namespace {

const QString kGridTip = QStringLiteral("鼠标双击列表可以将列表导出到EXCEL");
const QString kEmptyHistoryHint =
    QStringLiteral("历史号码为空：请在右上方“在下面输入”后的期号框输入第一期的十位期号"
                   "（如 2016090801），再在其后的五个框输入五个号码；或点击“读取历史号文本(W)”"
                   "导入历史号码文件。");
const QString kStaleResultsHint = QStringLiteral("以下检索结果属于更改前的历史号码，请重新检索");

template <class W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QString indexed(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

QAction* addItem(QMenu* menu, const QString& name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QMenu* addSubmenu(QMenu* parent, const QString& name, const QString& caption) {
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(name);
    return menu;
}

// A group of check items of which the window keeps exactly one checked (from the settings).
template <size_t N>
void addChoiceItems(QMenu* menu, std::array<QAction*, N>& items, const char* name,
                    const std::array<const char*, N>& captions) {
    auto* group = new QActionGroup(menu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (size_t i = 0; i < N; ++i) {
        items[i] = addItem(menu, indexed(name, int(i)), QString::fromUtf8(captions[i]));
        items[i]->setCheckable(true);
        group->addAction(items[i]);
    }
}

// A box as wide as the text it holds plus its frame.
void fitWidth(QLineEdit* box, const QString& sample) {
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(sample) + 14);
}

QLineEdit* maskedBox(const QString& name, const QString& mask, const QString& sample) {
    auto* box = named(new QLineEdit, name);
    box->setInputMask(mask);
    box->setAlignment(Qt::AlignCenter);
    fitWidth(box, sample);
    return box;
}

// The frames of the search panel sit close together, so that the whole panel fits a window on a
// 1024x640 screen.
template <class L> L* tight(L* layout) {
    layout->setContentsMargins(6, 2, 6, 2);
    if constexpr (std::is_same_v<L, QGridLayout>)
        layout->setVerticalSpacing(2);
    else if constexpr (std::is_same_v<L, QVBoxLayout>)
        layout->setSpacing(2);
    return layout;
}

QPushButton* button(const QString& name, const QString& caption) {
    return named(new QPushButton(caption), name);
}

} // namespace

void MainWindow::buildMenus() {
    historyMenu_ = named(menuBar()->addMenu(QStringLiteral("历史管理")), QStringLiteral("mnuLsgl"));
    exportHistoryItem_ =
        addItem(historyMenu_, QStringLiteral("mnuDcls"), QStringLiteral("导出历史号码(&O)"));
    deleteNewestItem_ =
        addItem(historyMenu_, QStringLiteral("mnuErase"), QStringLiteral("删除最后历史(&E)"));
    clearHistoryItem_ =
        addItem(historyMenu_, QStringLiteral("mnuClear"), QStringLiteral("清空历史号码(&C)"));
    cutBackItem_ =
        addItem(historyMenu_, QStringLiteral("mnuDlzd"), QStringLiteral("删除到选定期(&D)"));
    deleteLastItem_ = addItem(historyMenu_, QStringLiteral("mnuEszhzd"),
                              QStringLiteral("删除最后指定数量期历史(&N)"));
    addItem(historyMenu_, QStringLiteral("mnuRepair"), QStringLiteral("修复损坏的历史号码(&R)"));

    settingsMenu_ = named(menuBar()->addMenu(QStringLiteral("设置")), QStringLiteral("mnuSetup"));
    addChoiceItems<2>(addSubmenu(settingsMenu_, QStringLiteral("mnuSxCssetup"),
                                 QStringLiteral("生肖参数设置(&S)")),
                      zodiacBaseItems_, "mnuSxcs", {"生肖参数0~11", "生肖参数1~12"});
    addChoiceItems<2>(
        addSubmenu(settingsMenu_, QStringLiteral("mnuDssetup"), QStringLiteral("段数参数设置(&A)")),
        segmentBaseItems_, "mnuDscs", {"段数参数0~2", "段数参数1~3"});
    settingsMenu_->addSeparator();
    addChoiceItems<2>(addSubmenu(settingsMenu_, QStringLiteral("mnuSxqzSetup"),
                                 QStringLiteral("生肖取值设置(&Z)")),
                      zodiacOrderItems_, "mnuSxsetup",
                      {"生肖数字按顺序取值", "生肖数字按年龄取值"});
    settingsMenu_->addSeparator();
    gameMenu_ =
        addSubmenu(settingsMenu_, QStringLiteral("mnuCaizhong"), QStringLiteral("彩种选择"));
    rebuildGameMenu();
    connect(addItem(settingsMenu_, QStringLiteral("mnuGameTimes"),
                    QStringLiteral("游戏与开奖时间(&G)")),
            &QAction::triggered, this, &MainWindow::onGameTimesClicked);
    settingsMenu_->addSeparator();
    updateDaysItem_ = addItem(settingsMenu_, QStringLiteral("mnuSetDay"),
                              QStringLiteral("历史号码更新检索天(&Y)"));
    addItem(settingsMenu_, QStringLiteral("mnuUpdateSite"), QStringLiteral("更新网址设置(&W)"));
    homePageItem_ = addItem(settingsMenu_, QStringLiteral("mnuFrontPage"),
                            QStringLiteral("软件介绍服务主页(&P)"));
    descriptionItem_ =
        addItem(settingsMenu_, QStringLiteral("mnuDescrb"), QStringLiteral("软件介绍说明页面(&R)"));
    demoDownloadItem_ = addItem(settingsMenu_, QStringLiteral("numYanshiDown"),
                                QStringLiteral("软件演示说明录像下载(&D)"));
}

void MainWindow::buildCentral() {
    buildPages(buildSearchPage());
}

QWidget* MainWindow::buildSearchPage() {
    // The search panel keeps the width of its controls; when the window is too low for it, it
    // scrolls rather than cutting off its lower part.
    QWidget* panel = buildSearchColumn();
    searchScroll_ = named(new QScrollArea, QStringLiteral("searchPanelScroll"));
    searchScroll_->setFrameShape(QFrame::NoFrame);
    searchScroll_->setWidgetResizable(true);
    searchScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    searchScroll_->setWidget(panel);
    const int panelWidth =
        panel->minimumSizeHint().width() + searchScroll_->verticalScrollBar()->sizeHint().width();
    searchScroll_->setMinimumWidth(panelWidth);

    columnSplitter_ = named(new QSplitter(Qt::Horizontal), QStringLiteral("columnSplitter"));
    columnSplitter_->setChildrenCollapsible(false);
    columnSplitter_->addWidget(buildHistoryColumn());
    columnSplitter_->addWidget(searchScroll_);
    columnSplitter_->addWidget(buildResultColumn());
    // The history shows all its columns and the panel its controls; the results column takes
    // what is left and everything a larger window gains. The splitter handles move the borders.
    columnSplitter_->setStretchFactor(2, 1);
    columnSplitter_->setSizes({widthForAllColumns(historyGrid_), panelWidth, 1});
    return columnSplitter_;
}

QWidget* MainWindow::buildHistoryColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    emptyHistoryHint_ = named(new QLabel(kEmptyHistoryHint), QStringLiteral("emptyHistoryHint"));
    emptyHistoryHint_->setWordWrap(true);
    emptyHistoryHint_->setTextFormat(Qt::PlainText);
    emptyHistoryHint_->setFrameShape(QFrame::StyledPanel);
    emptyHistoryHint_->setMargin(4);
    layout->addWidget(emptyHistoryHint_);

    historyGrid_ = named(new QTableView, QStringLiteral("MSFlexGrid1"));
    historyGrid_->setToolTip(kGridTip);
    historyGrid_->setModel(historyModel_);
    setupGrid(historyGrid_);
    historyGrid_->setContextMenuPolicy(Qt::CustomContextMenu);
    keepLastRowInView(historyGrid_);
    setColumnTwips(historyGrid_, {1200, 640, 640, 640, 640, 640}, {QStringLiteral("2016090852")});
    // Narrowed by its splitter handle, the grid keeps the period and two numbers and scrolls
    // sideways.
    historyGrid_->setMinimumWidth(widthForAllColumns(historyGrid_) -
                                  3 * historyGrid_->columnWidth(1));
    layout->addWidget(historyGrid_, 1);
    return column;
}

QWidget* MainWindow::buildSearchColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildOptionFrames());
    layout->addWidget(buildTargetTabs());
    layout->addWidget(buildSpanAndCombination());
    layout->addWidget(buildButtons());
    layout->addStretch(1);
    return column;
}

QWidget* MainWindow::buildEntryLine() {
    // One line beside the page tabs, so that a new draw can be typed on every page.
    auto* line = named(new QWidget, QStringLiteral("entryLine"));
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);

    // The sentence reads 在下面输入 [next period id] 期历史号码: with the id in Text1.
    entryLabel_ = named(new QLabel(QStringLiteral("在下面输入")), QStringLiteral("Label12"));
    nextPeriodBox_ = named(new QLineEdit, QStringLiteral("Text1"));
    nextPeriodBox_->setMaxLength(10);
    nextPeriodBox_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,10}")), nextPeriodBox_));
    nextPeriodBox_->setPlaceholderText(QStringLiteral("如2016090801"));
    fitWidth(nextPeriodBox_, QStringLiteral("2016090801__"));
    entryLabel_->setBuddy(nextPeriodBox_);
    layout->addWidget(entryLabel_);
    layout->addWidget(nextPeriodBox_);
    layout->addWidget(new QLabel(QStringLiteral("期历史号码:")));
    for (int i = 0; i < 5; ++i) {
        entryBoxes_[i] =
            maskedBox(indexed("MaskEdBox1", i + 1), QStringLiteral("00;_"), QStringLiteral("000"));
        entryBoxes_[i]->setMaxLength(2);
        entryBoxes_[i]->setToolTip(QStringLiteral("在此补充输入最新历史号码"));
        layout->addWidget(entryBoxes_[i]);
    }
    return line;
}

QGroupBox* MainWindow::buildKindFrame(const char* name, const QString& title,
                                      std::array<QRadioButton*, 6>& buttons, const char* prefix) {
    static const char* const captions[6] = {"号码", "生肖", "头数", "尾数", "合数", "段数"};
    auto* frame = named(new QGroupBox(title), QLatin1String(name));
    auto* layout = tight(new QGridLayout(frame));
    for (int i = 0; i < 6; ++i) {
        buttons[i] = named(new QRadioButton(QString::fromUtf8(captions[i])), indexed(prefix, i));
        layout->addWidget(buttons[i], i / 3, i % 3);
    }
    return frame;
}

QWidget* MainWindow::buildOptionFrames() {
    auto* panel = new QWidget;
    auto* layout = new QGridLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(buildKindFrame("searchTypeFrame", QStringLiteral("搜索类型选择"),
                                    searchKindButtons_, "Option3"));
    kinds->addWidget(buildKindFrame("resultTypeFrame", QStringLiteral("结果类型选择"),
                                    resultKindButtons_, "Option4"));
    layout->addLayout(kinds, 0, 0);

    auto* positionFrame =
        named(new QGroupBox(QStringLiteral("检索位选择")), QStringLiteral("positionModeFrame"));
    auto* positionLayout = tight(new QVBoxLayout(positionFrame));
    modeButtons_[0] =
        named(new QRadioButton(QStringLiteral("固定位")), QStringLiteral("Option1_0"));
    modeButtons_[1] =
        named(new QRadioButton(QStringLiteral("自由位")), QStringLiteral("Option1_1"));
    positionLayout->addWidget(modeButtons_[0]);
    positionLayout->addWidget(modeButtons_[1]);

    auto* periodFrame =
        named(new QGroupBox(QStringLiteral("检索期选择")), QStringLiteral("periodModeFrame"));
    auto* periodLayout = tight(new QGridLayout(periodFrame));
    modeButtons_[2] =
        named(new QRadioButton(QStringLiteral("前    期")), QStringLiteral("Option1_2"));
    modeButtons_[3] = named(new QRadioButton(QStringLiteral("上期")), QStringLiteral("Option1_3"));
    backDistanceBox_ =
        maskedBox(QStringLiteral("MaskEdBox2"), QStringLiteral("0;_"), QStringLiteral("00"));
    backDistanceBox_->setToolTip(QStringLiteral("前期的间隔期数（一位数字）"));
    periodLayout->addWidget(modeButtons_[2], 0, 0);
    periodLayout->addWidget(backDistanceBox_, 0, 1);
    periodLayout->addWidget(modeButtons_[3], 1, 0);
    periodLayout->setColumnStretch(2, 1);

    auto* orderFrame =
        named(new QGroupBox(QStringLiteral("号码序选择")), QStringLiteral("numberOrderFrame"));
    auto* orderLayout = tight(new QVBoxLayout(orderFrame));
    drawOrderButton_ =
        named(new QRadioButton(QStringLiteral("顺序码")), QStringLiteral("Option2_5"));
    landingOrderButton_ =
        named(new QRadioButton(QStringLiteral("落地码")), QStringLiteral("Option2_4"));
    orderLayout->addWidget(drawOrderButton_);
    orderLayout->addWidget(landingOrderButton_);

    auto* modes = new QHBoxLayout;
    modes->addWidget(positionFrame);
    modes->addWidget(periodFrame);
    modes->addWidget(orderFrame);
    layout->addLayout(modes, 1, 0);
    return panel;
}

QWidget* MainWindow::buildTargetTabs() {
    targetTabs_ = named(new QTabWidget, QStringLiteral("TabStrip1"));
    const QString tabCaptions[2] = {QStringLiteral("自动历史位"), QStringLiteral("手动输入号")};
    std::array<QCheckBox*, 5>* checks[2] = {&referencePositionChecks_, &typedPositionChecks_};
    std::array<QLineEdit*, 5>* texts[2] = {&referenceTargetBoxes_, &typedTargetBoxes_};
    const char* checkNames[2] = {"Check1", "Check11"};
    const char* textNames[2] = {"Text2", "Text22"};
    for (int tab = 0; tab < 2; ++tab) {
        auto* frame = named(new QGroupBox, indexed("Frame2", tab));
        auto* layout = tight(new QGridLayout(frame));
        for (int k = 0; k < 5; ++k) {
            auto* check = named(new QCheckBox(QStringLiteral("第%1位").arg(k + 1)),
                                indexed(checkNames[tab], k + 1));
            auto* text = named(new QLineEdit, indexed(textNames[tab], k + 1));
            text->setAlignment(Qt::AlignCenter);
            fitWidth(text, QStringLiteral("-000"));
            (*checks[tab])[k] = check;
            (*texts[tab])[k] = text;
            layout->addWidget(check, 0, k);
            layout->addWidget(text, 1, k, Qt::AlignHCenter);
        }
        targetTabs_->addTab(frame, tabCaptions[tab]);
    }
    // The first tab shows what the reference draw holds; only the typed boxes take input, and
    // those only digits and the minus sign.
    for (QLineEdit* text : referenceTargetBoxes_) text->setReadOnly(true);
    for (QLineEdit* text : typedTargetBoxes_) {
        text->setMaxLength(4);
        text->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-0-9]*")), text));
    }
    return targetTabs_;
}

QWidget* MainWindow::buildSpanAndCombination() {
    auto* panel = new QWidget;
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* spanFrame =
        named(new QGroupBox(QStringLiteral("检索起止期数")), QStringLiteral("spanFrame"));
    auto* spanLayout = tight(new QHBoxLayout(spanFrame));
    for (int i = 0; i < 2; ++i) {
        spanBoxes_[i] = named(new QLineEdit, indexed("Text3", i));
        spanBoxes_[i]->setMaxLength(10);
        spanBoxes_[i]->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,10}")), spanBoxes_[i]));
        fitWidth(spanBoxes_[i], QStringLiteral("20160908520"));
    }
    spanLayout->addWidget(spanBoxes_[0]);
    spanLayout->addWidget(new QLabel(QStringLiteral("至")));
    spanLayout->addWidget(spanBoxes_[1]);

    auto* comboFrame =
        named(new QGroupBox(QStringLiteral("组合组位检索")), QStringLiteral("combinationFrame"));
    auto* comboLayout = tight(new QHBoxLayout(comboFrame));
    combinationSizeLabel_ = named(new QLabel(QStringLiteral("组合位数")), QStringLiteral("Label1"));
    combinationSizeBox_ = named(new QComboBox, QStringLiteral("Combo1"));
    combinationSizeBox_->setEditable(true);
    combinationSizeBox_->addItems(
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    combinationSizeLabel_->setBuddy(combinationSizeBox_);
    comboLayout->addWidget(combinationSizeLabel_);
    comboLayout->addWidget(combinationSizeBox_);

    layout->addWidget(spanFrame);
    layout->addWidget(comboFrame);
    return panel;
}

QWidget* MainWindow::buildButtons() {
    auto* panel = new QWidget;
    auto* layout = new QGridLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    searchButton_ = button(QStringLiteral("Command1"), QStringLiteral("检索(&S)"));
    combinationSearchButton_ = button(QStringLiteral("Command2"), QStringLiteral("组合检索(&G)"));
    backtestButton_ = button(QStringLiteral("backtestButton"), QStringLiteral("回测(&B)"));
    backtestButton_->setToolTip(QStringLiteral("检验当前的检索设置在过去各期是否比随机命中得多"));
    importButton_ = button(QStringLiteral("cmdRdLst"), QStringLiteral("读取历史号文本(&W)"));
    importButton_->setToolTip(
        QStringLiteral("从历史号码文本文件中读取历史号中最后一期之后的新的历史号码"));
    onlineUpdateButton_ = button(QStringLiteral("Command21"), QStringLiteral("历史号在线更新(&O)"));
    onlineUpdateButton_->setToolTip(QStringLiteral("从您设置的开奖网站更新历史号码"));
    deleteNewestButton_ = button(QStringLiteral("Command3"), QStringLiteral("删除最后历史(&D)"));
    exportTextButton_ =
        button(QStringLiteral("Command4"), QStringLiteral("历史号码导出文本文件(&X)"));
    settingsButton_ = button(QStringLiteral("Command9"), QStringLiteral("软件设置(&T)"));
    // The back-test goes with the two searches it tests.
    auto* searches = new QHBoxLayout;
    searches->addWidget(searchButton_, 2);
    searches->addWidget(combinationSearchButton_, 2);
    searches->addWidget(backtestButton_, 1);
    layout->addLayout(searches, 0, 0, 1, 2);
    layout->addWidget(importButton_, 1, 0);
    layout->addWidget(onlineUpdateButton_, 1, 1);
    layout->addWidget(deleteNewestButton_, 2, 0);
    layout->addWidget(exportTextButton_, 2, 1);
    layout->addWidget(settingsButton_, 3, 0);
    return panel;
}

QWidget* MainWindow::buildResultColumn() {
    resultColumn_ = named(new QWidget, QStringLiteral("resultColumn"));
    auto* layout = new QVBoxLayout(resultColumn_);
    layout->setContentsMargins(0, 0, 0, 0);

    staleResultsHint_ = named(new QLabel(kStaleResultsHint), QStringLiteral("staleResultsHint"));
    staleResultsHint_->setWordWrap(true);
    staleResultsHint_->setTextFormat(Qt::PlainText);
    staleResultsHint_->setFrameShape(QFrame::StyledPanel);
    staleResultsHint_->setMargin(4);
    staleResultsHint_->setAutoFillBackground(true);
    staleResultsHint_->setBackgroundRole(QPalette::ToolTipBase);
    staleResultsHint_->setForegroundRole(QPalette::ToolTipText);
    staleResultsHint_->hide();
    layout->addWidget(staleResultsHint_);

    // Until the first search the result grids show their column titles only.
    hitGrid_ = named(new QTableView, QStringLiteral("MSFlexGrid2"));
    hitGrid_->setToolTip(kGridTip);
    auto* hits = new QStandardItemModel(0, 7, hitGrid_);
    hits->setHorizontalHeaderLabels({QStringLiteral("期号"), QStringLiteral("第1码"),
                                     QStringLiteral("第2码"), QStringLiteral("第3码"),
                                     QStringLiteral("第4码"), QStringLiteral("第5码"),
                                     QStringLiteral("上期开奖")});
    hitGrid_->setModel(hits);
    setupGrid(hitGrid_);
    setColumnTwips(hitGrid_, {1280, 800, 800, 800, 800, 800, 2800}, {QStringLiteral("2016090852")});

    resultGrid_ = named(new QTableView, QStringLiteral("MSFlexGrid3"));
    auto* tally = new QStandardItemModel(0, 4, resultGrid_);
    tally->setHorizontalHeaderLabels({QStringLiteral("序号"), QStringLiteral("结果"),
                                      QStringLiteral("出现次数"), QStringLiteral("百分比")});
    resultGrid_->setModel(tally);
    setupGrid(resultGrid_);
    setColumnTwips(resultGrid_, {480, 680, 800, 880},
                   {QStringLiteral("12"), QStringLiteral("11"), QStringLiteral("1000"),
                    QStringLiteral("100.000%")});
    // The tally always shows its four columns.
    resultGrid_->setMinimumWidth(widthForAllColumns(resultGrid_));

    tallyChartHost_ = named(new QWidget, QStringLiteral("tallyChartHost"));
    auto* chartLayout = new QVBoxLayout(tallyChartHost_);
    chartLayout->setContentsMargins(0, 0, 0, 0);

    // One above the other until the window is shown and the column's width known.
    tallySplitter_ = named(new QSplitter(Qt::Vertical), QStringLiteral("tallySplitter"));
    tallySplitter_->setChildrenCollapsible(false);
    tallySplitter_->addWidget(resultGrid_);
    tallySplitter_->addWidget(tallyChartHost_);
    tallySplitter_->setStretchFactor(1, 1);
    tallySplitter_->installEventFilter(this);

    resultSplitter_ = named(new QSplitter(Qt::Vertical), QStringLiteral("resultSplitter"));
    resultSplitter_->setChildrenCollapsible(false);
    resultSplitter_->addWidget(hitGrid_);
    resultSplitter_->addWidget(tallySplitter_);
    resultSplitter_->setStretchFactor(0, 1);
    resultSplitter_->setStretchFactor(1, 1);
    resultSplitter_->setSizes({3, 2});
    layout->addWidget(resultSplitter_, 1);
    return resultColumn_;
}

void MainWindow::fitTallyToWidth() {
    // Beside the result grid the chart needs this much room for its labels; in a narrower
    // column it goes below the grid, over the column's whole width.
    constexpr int kChartWidth = 360;
    const int gridWidth = widthForAllColumns(resultGrid_);
    const int width = tallySplitter_->width();
    const Qt::Orientation orientation =
        width >= gridWidth + tallySplitter_->handleWidth() + kChartWidth ? Qt::Horizontal
                                                                         : Qt::Vertical;
    if (orientation == tallySplitter_->orientation() && tallyFitted_) return;
    tallyFitted_ = true;
    tallySplitter_->setOrientation(orientation);
    // Side by side, the two would keep a narrowing window from reaching the width where they go
    // one above the other: the splitter asks only for the width they need one above the other.
    tallySplitter_->setMinimumWidth(
        orientation == Qt::Vertical
            ? 0
            : std::max(resultGrid_->minimumWidth(), tallyChartHost_->minimumSizeHint().width()));
    // The hit grid keeps three fifths of the column's height above the two side by side, a
    // third above the two one above the other.
    const int columnHeight = resultSplitter_->height();
    if (orientation == Qt::Horizontal) {
        resultSplitter_->setSizes({columnHeight * 3 / 5, columnHeight * 2 / 5});
        tallySplitter_->setSizes({gridWidth, width - gridWidth});
    } else {
        resultSplitter_->setSizes({columnHeight / 3, columnHeight * 2 / 3});
        tallySplitter_->setSizes({columnHeight / 3, columnHeight / 3});
    }
}

} // namespace app::gui
