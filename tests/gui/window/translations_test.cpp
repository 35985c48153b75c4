// Qt's own dialogs speak Chinese once the window's translation is installed.

#include "gui/window_fixture.h"

#include "gui/window/translations.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

TEST(QtTranslation, MessageBoxesInputBoxesAndTheFileDialogSpeakChinese) {
    testing_support::ensureApplication();
    ASSERT_TRUE(app::gui::installQtChineseTranslation())
        << "qtbase_zh_CN.qm is missing: install qt6-translations-l10n (scripts/install-deps.sh)";
    // A second call (another window) adds nothing and still reports the translation in place.
    EXPECT_TRUE(app::gui::installQtChineseTranslation());

    QMessageBox question;
    question.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(question.button(QMessageBox::Ok)->text(), "确定");
    EXPECT_EQ(question.button(QMessageBox::Cancel)->text(), "取消");

    QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::No);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Yes)->text(), "是(&Y)");

    QInputDialog input;
    EXPECT_EQ(input.cancelButtonText(), "取消");

    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(files.labelText(QFileDialog::FileType), "文件类型：");
}
