// The history management controls of the window: the text import with its questions, dialog and
// progress, and the deletions from the button and the 历史管理 menu.

#include "gui/window_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>

using testing_support::WindowFixture;
namespace fs = std::filesystem;

namespace {

const QString kImportQuestion =
    QStringLiteral("确实要读入最新历史号码吗？点击'确认'读入,点击'取消'放弃该操作。确要读入请保证安"
                   "装目录下存在历史号码的文本文件文件。读取时可能要花费一段时间,请耐心等候！");

// A history ending at the turn of a day: 16090884, then 16090901..03.
void typeDayTurn(WindowFixture& f) {
    f.store.type("2016090884", {{"01", "02", "03", "04", "05"},
                                {"06", "07", "08", "09", "10"},
                                {"11", "01", "02", "03", "04"},
                                {"05", "06", "07", "08", "09"}});
}

int gridRows(WindowFixture& f) {
    return f.find<QTableView>("MSFlexGrid1")->model()->rowCount();
}

QString writeFile(WindowFixture& f, const std::string& name, const std::string& text) {
    const std::string path = f.store.dir.file(name);
    std::ofstream(path, std::ios::binary) << text;
    return QString::fromStdString(path);
}

void click(WindowFixture& f, const char* button) {
    QTest::mouseClick(f.find<QPushButton>(QLatin1String(button)), Qt::LeftButton);
}

} // namespace

TEST(HistoryImport, AsksOpensTheHistoryFolderAndShowsWhatWasRead) {
    WindowFixture f;
    typeDayTurn(f);
    f.open();

    // Cancel in the question: no dialog, nothing changes.
    f.prompter.confirmations = {false};
    click(f, "cmdRdLst");
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.shown[0].title, "读入历史");
    // The question says how much will be replaced.
    EXPECT_EQ(f.prompter.shown[0].text,
              kImportQuestion + "\n\n现有的4期历史号码将被替换（替换前会备份到历史号码文件夹）。");
    EXPECT_EQ(gridRows(f), 4);

    f.prompter.shown.clear();
    f.prompter.confirmations = {true};
    f.prompter.files = {writeFile(f, "DRAWS.TXT",
                                  "16100150 01 02 03 04 05\r\n06 07 08 09 10\r\n"
                                  "16100152 01 02 03\r\n")};
    click(f, "cmdRdLst");
    ASSERT_EQ(f.prompter.shown.size(), 3u);
    const auto& dialog = f.prompter.shown[1];
    EXPECT_EQ(dialog.kind, "open");
    EXPECT_EQ(fs::path(dialog.title.toStdString()), fs::path(f.store.dataDir()) / "历史号码");
    EXPECT_TRUE(dialog.text.startsWith("历史号码文件 (*.txt *.csv *.xls *.xlsx)"))
        << dialog.text.toStdString();
    EXPECT_TRUE(fs::exists(fs::path(f.store.dataDir()) / "历史号码" / "示例-模拟数据.txt"));
    const auto& result = f.prompter.shown[2];
    EXPECT_EQ(result.kind, "inform");
    EXPECT_TRUE(result.text.contains("已读入2期")) << result.text.toStdString();
    EXPECT_TRUE(result.text.contains("第3行")) << result.text.toStdString();
    EXPECT_EQ(gridRows(f), 2);
    // Draw 51 is past today's 42 a day: the next is the next day's first.
    EXPECT_EQ(f.find<QLineEdit>("Text1")->text(), "2016100201");

    // A file whose name does not end in txt is not read; the user is told so.
    f.prompter.shown.clear();
    f.prompter.confirmations = {true};
    f.prompter.files = {writeFile(f, "draws.text", "16100150 01 02 03 04 05\r\n")};
    click(f, "cmdRdLst");
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_EQ(gridRows(f), 2);
}

TEST(HistoryImport, CancellingTheProgressDialogKeepsTheHistory) {
    WindowFixture f;
    typeDayTurn(f);
    f.open();
    std::string text;
    for (int i = 0; i < 30000; ++i) text += std::to_string(17010101 + i) + " 01 02 03 04 05\n";
    f.prompter.confirmations = {true};
    f.prompter.files = {writeFile(f, "long.txt", text)};
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        if (auto* progress = f.window->findChild<QProgressDialog*>()) {
            sawDialog = true;
            progress->cancel();
        }
    });
    click(f, "cmdRdLst");
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(gridRows(f), 4);
    EXPECT_EQ(f.workspace().rows().back().period, 16090903);
    ASSERT_FALSE(f.prompter.texts("inform").empty());
    EXPECT_TRUE(f.prompter.texts("inform").back().contains("已取消"));
}

TEST(HistoryMaintenance, DeleteNewestFromTheButtonAndTheMenu) {
    WindowFixture f;
    typeDayTurn(f);
    f.open();
    click(f, "Command3");
    EXPECT_EQ(gridRows(f), 3);
    EXPECT_EQ(f.find<QLineEdit>("Text1")->text(), "2016090903");
    EXPECT_TRUE(f.find<QLineEdit>("MaskEdBox1_1")->hasFocus());
    f.find<QAction>("mnuErase")->trigger();
    EXPECT_EQ(gridRows(f), 2);
    EXPECT_TRUE(f.prompter.shown.empty());
}

TEST(HistoryMaintenance, ClearAsksFirst) {
    WindowFixture f;
    typeDayTurn(f);
    f.open();
    f.prompter.confirmations = {false, true};
    f.find<QAction>("mnuClear")->trigger();
    EXPECT_EQ(gridRows(f), 4);
    f.find<QAction>("mnuClear")->trigger();
    EXPECT_EQ(gridRows(f), 0);
    ASSERT_EQ(f.prompter.shown.size(), 2u);
    EXPECT_EQ(f.prompter.shown[0].title, "确认清空");
    EXPECT_EQ(f.prompter.shown[0].text, "确定要清空所有的历史号码吗？");
}

TEST(HistoryMaintenance, InputBoxesForCuttingBack) {
    WindowFixture f;
    typeDayTurn(f);
    f.open();
    // Cancel and an empty entry change nothing and say nothing.
    f.prompter.answers = {std::nullopt, QString(), QStringLiteral("3"), QStringLiteral("3")};
    f.prompter.confirmations = {false, true};
    auto* lastN = f.find<QAction>("mnuEszhzd");
    lastN->trigger();
    lastN->trigger();
    EXPECT_EQ(gridRows(f), 4);
    // Asked first, naming what goes; declining changes nothing.
    lastN->trigger();
    EXPECT_EQ(gridRows(f), 4);
    EXPECT_EQ(f.prompter.shown.back().text,
              "将删除3期历史号码（2016090901至2016090903），确定吗？");
    lastN->trigger();
    EXPECT_EQ(gridRows(f), 1);
    EXPECT_EQ(f.find<QLineEdit>("Text1")->text(), "2016090901");
    EXPECT_TRUE(f.prompter.warnings().empty());
    EXPECT_EQ(f.prompter.shown[0].title, "删除期数");
    EXPECT_EQ(f.prompter.shown[0].text,
              "请输入需要删除最后多少期历史号码（例如输入3，那么就将删除最后的3期历史号码）");

    // A period that is not ten digits is refused with a warning.
    f.prompter.shown.clear();
    f.prompter.answers = {QStringLiteral("16090884")};
    f.find<QAction>("mnuDlzd")->trigger();
    ASSERT_EQ(f.prompter.shown.size(), 2u);
    EXPECT_EQ(f.prompter.shown[0].title, "删除期数");
    EXPECT_EQ(f.prompter.shown[0].text, "请输入需要删除到的期数，例如‘2016090852’");
    EXPECT_EQ(f.prompter.shown[1].kind, "warn");
    EXPECT_EQ(gridRows(f), 1);

    // More than the history holds is told and asked like a clear.
    f.prompter.shown.clear();
    f.prompter.answers = {QStringLiteral("99999")};
    f.prompter.confirmations = {false};
    lastN->trigger();
    ASSERT_EQ(f.prompter.shown.size(), 2u);
    EXPECT_EQ(f.prompter.shown[1].title, "确认清空");
    EXPECT_TRUE(f.prompter.shown[1].text.startsWith(QStringLiteral("历史号码只有1期")));
    EXPECT_EQ(gridRows(f), 1);
}
