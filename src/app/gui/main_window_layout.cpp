// Building the main window: menus, the history column, the search panel and the result grids.

#include "app/gui/grid_style.h"
#include "app/gui/history_model.h"
#include "app/gui/main_window.h"

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
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace app::gui {

namespace {

const QString kGridTip = QStringLiteral("鼠标双击列表可以将列表导出到EXCEL");
const QString kEmptyHistoryHint =
    QStringLiteral("历史号码为空：请在右边“在下面输入”后的期号框输入第一期的十位期号"
                   "（如 2016090801），再在其下的五个框输入五个号码；或点击“读取历史号文本(W)”"
                   "导入历史号码文件。");

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

QPushButton* button(const QString& name, const QString& caption) {
    return named(new QPushButton(caption), name);
}

} // namespace

void MainWindow::buildMenus() {
    mnuLsgl_ = named(menuBar()->addMenu(QStringLiteral("历史管理")), QStringLiteral("mnuLsgl"));
    mnuDcls_ = addItem(mnuLsgl_, QStringLiteral("mnuDcls"), QStringLiteral("导出历史号码(&O)"));
    mnuErase_ = addItem(mnuLsgl_, QStringLiteral("mnuErase"), QStringLiteral("删除最后历史(&E)"));
    mnuClear_ = addItem(mnuLsgl_, QStringLiteral("mnuClear"), QStringLiteral("清空历史号码(&C)"));
    mnuDlzd_ = addItem(mnuLsgl_, QStringLiteral("mnuDlzd"), QStringLiteral("删除到选定期(&D)"));
    mnuEszhzd_ = addItem(mnuLsgl_, QStringLiteral("mnuEszhzd"),
                         QStringLiteral("删除最后指定数量期历史(&E)"));

    mnuSetup_ = named(menuBar()->addMenu(QStringLiteral("设置")), QStringLiteral("mnuSetup"));
    addChoiceItems<2>(
        addSubmenu(mnuSetup_, QStringLiteral("mnuSxCssetup"), QStringLiteral("生肖参数设置(&S)")),
        mnuSxcs_, "mnuSxcs", {"生肖参数0~11", "生肖参数1~12"});
    addChoiceItems<2>(
        addSubmenu(mnuSetup_, QStringLiteral("mnuDssetup"), QStringLiteral("段数参数设置(&A)")),
        mnuDscs_, "mnuDscs", {"段数参数0~2", "段数参数1~3"});
    mnuSetup_->addSeparator();
    addChoiceItems<2>(
        addSubmenu(mnuSetup_, QStringLiteral("mnuSxqzSetup"), QStringLiteral("生肖取值设置(&Z)")),
        mnuSxsetup_, "mnuSxsetup", {"生肖数字按顺序取值", "生肖数字按年龄取值"});
    mnuSetup_->addSeparator();
    addChoiceItems<4>(
        addSubmenu(mnuSetup_, QStringLiteral("mnuCaizhong"), QStringLiteral("彩种选择")), mnu11S5_,
        "mnu11S5", {"江西11选5", "广东11选5", "上海11选5", "黑龙江11选5"});
    mnuSetup_->addSeparator();
    mnuSetDay_ =
        addItem(mnuSetup_, QStringLiteral("mnuSetDay"), QStringLiteral("历史号码更新检索天(&Y)"));
    mnuFrontPage_ =
        addItem(mnuSetup_, QStringLiteral("mnuFrontPage"), QStringLiteral("软件介绍服务主页(&P)"));
    mnuDescrb_ =
        addItem(mnuSetup_, QStringLiteral("mnuDescrb"), QStringLiteral("软件介绍说明页面(&R)"));
    numYanshiDown_ = addItem(mnuSetup_, QStringLiteral("numYanshiDown"),
                             QStringLiteral("软件演示说明录像下载(&D)"));
}

void MainWindow::buildCentral() {
    auto* central = new QWidget;
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(6, 6, 6, 6);
    columns->addWidget(buildHistoryColumn());
    columns->addWidget(buildSearchColumn());
    columns->addWidget(buildResultColumn(), 1);
    setCentralWidget(central);
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

    MSFlexGrid1_ = named(new QTableView, QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1_->setToolTip(kGridTip);
    MSFlexGrid1_->setModel(historyModel_);
    setupGrid(MSFlexGrid1_);
    MSFlexGrid1_->setContextMenuPolicy(Qt::CustomContextMenu);
    setColumnTwips(MSFlexGrid1_, {1200, 640, 640, 640, 640, 640}, {QStringLiteral("2016090852")});
    int width =
        2 * MSFlexGrid1_->frameWidth() + MSFlexGrid1_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < historyModel_->columnCount(); ++c) width += MSFlexGrid1_->columnWidth(c);
    MSFlexGrid1_->setFixedWidth(width);
    emptyHistoryHint_->setFixedWidth(width);
    layout->addWidget(MSFlexGrid1_, 1);
    return column;
}

QWidget* MainWindow::buildSearchColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildEntryLine());
    layout->addWidget(buildOptionFrames());
    layout->addWidget(buildTargetTabs());
    layout->addWidget(buildSpanAndCombination());
    layout->addWidget(buildButtons());
    layout->addStretch(1);
    return column;
}

QWidget* MainWindow::buildEntryLine() {
    auto* line = new QWidget;
    auto* layout = new QGridLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);

    // The sentence reads 在下面输入 [next period id] 期历史号码: with the id in Text1.
    Label12_ = named(new QLabel(QStringLiteral("在下面输入")), QStringLiteral("Label12"));
    Text1_ = named(new QLineEdit, QStringLiteral("Text1"));
    Text1_->setMaxLength(10);
    Text1_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), Text1_));
    Text1_->setPlaceholderText(QStringLiteral("如2016090801"));
    fitWidth(Text1_, QStringLiteral("2016090801__"));
    Label12_->setBuddy(Text1_);
    auto* sentence = new QHBoxLayout;
    sentence->addWidget(Label12_);
    sentence->addWidget(Text1_);
    sentence->addWidget(new QLabel(QStringLiteral("期历史号码:")));
    sentence->addStretch(1);
    layout->addLayout(sentence, 0, 0);

    auto* boxes = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        MaskEdBox1_[i] =
            maskedBox(indexed("MaskEdBox1", i + 1), QStringLiteral("00;_"), QStringLiteral("000"));
        MaskEdBox1_[i]->setMaxLength(2);
        MaskEdBox1_[i]->setToolTip(QStringLiteral("在此补充输入最新历史号码"));
        boxes->addWidget(MaskEdBox1_[i]);
    }
    boxes->addStretch(1);
    layout->addLayout(boxes, 1, 0);
    return line;
}

QGroupBox* MainWindow::buildKindFrame(const char* name, const QString& title,
                                      std::array<QRadioButton*, 6>& buttons, const char* prefix) {
    static const char* const captions[6] = {"号码", "生肖", "头数", "尾数", "合数", "段数"};
    auto* frame = named(new QGroupBox(title), QLatin1String(name));
    auto* layout = new QGridLayout(frame);
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
    kinds->addWidget(
        buildKindFrame("searchTypeFrame", QStringLiteral("搜索类型选择"), Option3_, "Option3"));
    kinds->addWidget(
        buildKindFrame("resultTypeFrame", QStringLiteral("结果类型选择"), Option4_, "Option4"));
    layout->addLayout(kinds, 0, 0);

    auto* positionFrame =
        named(new QGroupBox(QStringLiteral("检索位选择")), QStringLiteral("positionModeFrame"));
    auto* positionLayout = new QVBoxLayout(positionFrame);
    Option1_[0] = named(new QRadioButton(QStringLiteral("固定位")), QStringLiteral("Option1_0"));
    Option1_[1] = named(new QRadioButton(QStringLiteral("自由位")), QStringLiteral("Option1_1"));
    positionLayout->addWidget(Option1_[0]);
    positionLayout->addWidget(Option1_[1]);

    auto* periodFrame =
        named(new QGroupBox(QStringLiteral("检索期选择")), QStringLiteral("periodModeFrame"));
    auto* periodLayout = new QGridLayout(periodFrame);
    Option1_[2] = named(new QRadioButton(QStringLiteral("前    期")), QStringLiteral("Option1_2"));
    Option1_[3] = named(new QRadioButton(QStringLiteral("上期")), QStringLiteral("Option1_3"));
    MaskEdBox2_ =
        maskedBox(QStringLiteral("MaskEdBox2"), QStringLiteral("0;_"), QStringLiteral("00"));
    MaskEdBox2_->setToolTip(QStringLiteral("前期的间隔期数（一位数字）"));
    periodLayout->addWidget(Option1_[2], 0, 0);
    periodLayout->addWidget(MaskEdBox2_, 0, 1);
    periodLayout->addWidget(Option1_[3], 1, 0);
    periodLayout->setColumnStretch(2, 1);

    auto* orderFrame =
        named(new QGroupBox(QStringLiteral("号码序选择")), QStringLiteral("numberOrderFrame"));
    auto* orderLayout = new QVBoxLayout(orderFrame);
    Option2_5_ = named(new QRadioButton(QStringLiteral("顺序码")), QStringLiteral("Option2_5"));
    Option2_4_ = named(new QRadioButton(QStringLiteral("落地码")), QStringLiteral("Option2_4"));
    orderLayout->addWidget(Option2_5_);
    orderLayout->addWidget(Option2_4_);

    auto* modes = new QHBoxLayout;
    modes->addWidget(positionFrame);
    modes->addWidget(periodFrame);
    modes->addWidget(orderFrame);
    layout->addLayout(modes, 1, 0);
    return panel;
}

QWidget* MainWindow::buildTargetTabs() {
    TabStrip1_ = named(new QTabWidget, QStringLiteral("TabStrip1"));
    const QString tabCaptions[2] = {QStringLiteral("自动历史位"), QStringLiteral("手动输入号")};
    std::array<QCheckBox*, 5>* checks[2] = {&Check1_, &Check11_};
    std::array<QLineEdit*, 5>* texts[2] = {&Text2_, &Text22_};
    const char* checkNames[2] = {"Check1", "Check11"};
    const char* textNames[2] = {"Text2", "Text22"};
    for (int tab = 0; tab < 2; ++tab) {
        auto* frame = named(new QGroupBox, indexed("Frame2", tab));
        auto* layout = new QGridLayout(frame);
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
        TabStrip1_->addTab(frame, tabCaptions[tab]);
    }
    // The first tab shows what the reference draw holds; only the typed boxes take input, and
    // those only digits and the minus sign.
    for (QLineEdit* text : Text2_) text->setReadOnly(true);
    for (QLineEdit* text : Text22_) {
        text->setMaxLength(4);
        text->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-0-9]*")), text));
    }
    return TabStrip1_;
}

QWidget* MainWindow::buildSpanAndCombination() {
    auto* panel = new QWidget;
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* spanFrame =
        named(new QGroupBox(QStringLiteral("检索起止期数")), QStringLiteral("spanFrame"));
    auto* spanLayout = new QHBoxLayout(spanFrame);
    for (int i = 0; i < 2; ++i) {
        Text3_[i] = named(new QLineEdit, indexed("Text3", i));
        Text3_[i]->setMaxLength(10);
        Text3_[i]->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,10}")), Text3_[i]));
        fitWidth(Text3_[i], QStringLiteral("20160908520"));
    }
    spanLayout->addWidget(Text3_[0]);
    spanLayout->addWidget(new QLabel(QStringLiteral("至")));
    spanLayout->addWidget(Text3_[1]);

    auto* comboFrame =
        named(new QGroupBox(QStringLiteral("组合组位检索")), QStringLiteral("combinationFrame"));
    auto* comboLayout = new QHBoxLayout(comboFrame);
    Label1_ = named(new QLabel(QStringLiteral("组合位数")), QStringLiteral("Label1"));
    Combo1_ = named(new QComboBox, QStringLiteral("Combo1"));
    Combo1_->setEditable(true);
    Combo1_->addItems(
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    Label1_->setBuddy(Combo1_);
    comboLayout->addWidget(Label1_);
    comboLayout->addWidget(Combo1_);

    layout->addWidget(spanFrame);
    layout->addWidget(comboFrame);
    return panel;
}

QWidget* MainWindow::buildButtons() {
    auto* panel = new QWidget;
    auto* layout = new QGridLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    Command1_ = button(QStringLiteral("Command1"), QStringLiteral("检索(&S)"));
    Command2_ = button(QStringLiteral("Command2"), QStringLiteral("组合检索(&G)"));
    cmdRdLst_ = button(QStringLiteral("cmdRdLst"), QStringLiteral("读取历史号文本(&W)"));
    cmdRdLst_->setToolTip(
        QStringLiteral("从历史号码文本文件中读取历史号中最后一期之后的新的历史号码"));
    Command21_ = button(QStringLiteral("Command21"), QStringLiteral("历史号在线更新(&O)"));
    Command21_->setToolTip(QStringLiteral("从官方服务器更新历史号码"));
    Command3_ = button(QStringLiteral("Command3"), QStringLiteral("删除最后历史(&D)"));
    Command4_ = button(QStringLiteral("Command4"), QStringLiteral("历史号码导出文本文件(&O)"));
    Command9_ = button(QStringLiteral("Command9"), QStringLiteral("软件设置(&T)"));
    layout->addWidget(Command1_, 0, 0);
    layout->addWidget(Command2_, 0, 1);
    layout->addWidget(cmdRdLst_, 1, 0);
    layout->addWidget(Command21_, 1, 1);
    layout->addWidget(Command3_, 2, 0);
    layout->addWidget(Command4_, 2, 1);
    layout->addWidget(Command9_, 3, 0);
    return panel;
}

QWidget* MainWindow::buildResultColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    // Until the first search the result grids show their column titles only.
    MSFlexGrid2_ = named(new QTableView, QStringLiteral("MSFlexGrid2"));
    MSFlexGrid2_->setToolTip(kGridTip);
    auto* hits = new QStandardItemModel(0, 7, MSFlexGrid2_);
    hits->setHorizontalHeaderLabels({QStringLiteral("期号"), QStringLiteral("第1码"),
                                     QStringLiteral("第2码"), QStringLiteral("第3码"),
                                     QStringLiteral("第4码"), QStringLiteral("第5码"),
                                     QStringLiteral("上期开奖")});
    MSFlexGrid2_->setModel(hits);
    setupGrid(MSFlexGrid2_);
    setColumnTwips(MSFlexGrid2_, {1280, 800, 800, 800, 800, 800, 2800},
                   {QStringLiteral("2016090852")});
    layout->addWidget(MSFlexGrid2_, 3);

    auto* lower = new QHBoxLayout;
    MSFlexGrid3_ = named(new QTableView, QStringLiteral("MSFlexGrid3"));
    auto* tally = new QStandardItemModel(0, 4, MSFlexGrid3_);
    tally->setHorizontalHeaderLabels({QStringLiteral("序号"), QStringLiteral("结果"),
                                      QStringLiteral("出现次数"), QStringLiteral("百分比")});
    MSFlexGrid3_->setModel(tally);
    setupGrid(MSFlexGrid3_);
    setColumnTwips(MSFlexGrid3_, {480, 680, 800, 880},
                   {QStringLiteral("12"), QStringLiteral("11"), QStringLiteral("1000"),
                    QStringLiteral("100.000%")});
    int width =
        2 * MSFlexGrid3_->frameWidth() + MSFlexGrid3_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < tally->columnCount(); ++c) width += MSFlexGrid3_->columnWidth(c);
    MSFlexGrid3_->setFixedWidth(width);
    lower->addWidget(MSFlexGrid3_);

    tallyChartHost_ = named(new QWidget, QStringLiteral("tallyChartHost"));
    auto* chartLayout = new QVBoxLayout(tallyChartHost_);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    lower->addWidget(tallyChartHost_, 1);
    layout->addLayout(lower, 2);
    return column;
}

} // namespace app::gui
