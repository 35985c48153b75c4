#include "gui/live/update_actions.h"

#include "gui/common/busy_cursor.h"
#include "gui/common/prompter.h"
#include "gui/window/main_window.h"
#include "history/page_address.h"

#include <QAction>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>

#include <memory>

namespace app::gui {

namespace {

const QString kTitle = QStringLiteral("读入历史");
const QString kQuestion = QStringLiteral(
    "确实要在线更新最新历史号码吗？更新可能要花费一段时间，网络不通或者您设置的开奖网站更新不及时"
    "都可能造成更新失败！");
const QString kDaysTitle = QStringLiteral("设置天数");
const QString kDaysPrompt =
    QStringLiteral("请输入更新需要保留的历史号码的天数（2~16中的任意自然数），如果超过天数将删除"
                   "最早的一天的历史号码（删除前会先问您）。\n"
                   "输入0（或“全部”）则保留全部历史号码，在线更新只添加、不删除。");
const QString kDaysWrongTitle = QStringLiteral("输入有误");
const QString kDaysWrong =
    QStringLiteral("请输入2到16中的自然数（保留的天数），或输入0保留全部历史号码。");
// The setting's value that keeps every draw.
constexpr int kKeepAll = 0;

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// The day being fetched in a modal dialog with a cancel button; the dialog takes the clicks
// while a page comes in, since the fetch runs a local event loop.
class DialogUpdateProgress : public UpdateProgress {
  public:
    explicit DialogUpdateProgress(QWidget* parent)
        : dialog_(QStringLiteral("正在连接开奖网站……"), QStringLiteral("取消"), 0, 1, parent) {
        dialog_.setWindowTitle(QStringLiteral("在线更新"));
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(0);
        dialog_.setAutoReset(false);
        dialog_.setAutoClose(false);
        dialog_.setValue(0);
    }
    void fetching(const std::string& day, size_t index, size_t count) override {
        dialog_.setMaximum(static_cast<int>(count));
        dialog_.setLabelText(QStringLiteral("正在读取 %1 的开奖号码（第%2天，共%3天）……")
                                 .arg(text(day))
                                 .arg(index + 1)
                                 .arg(count));
        dialog_.setValue(static_cast<int>(index));
    }
    bool cancelled() override { return dialog_.wasCanceled(); }

  private:
    QProgressDialog dialog_;
};

} // namespace

UpdateActions::UpdateActions(MainWindow& window, Workspace& workspace, Prompter& prompter)
    : QObject(&window), window_(window), workspace_(workspace), prompter_(prompter) {
    connect(window.findChild<QPushButton*>(QStringLiteral("Command21")), &QPushButton::clicked,
            this, &UpdateActions::onUpdateClicked);
    connect(window.findChild<QAction*>(QStringLiteral("mnuSetDay")), &QAction::triggered, this,
            &UpdateActions::onKeptDaysClicked);
    connect(window.findChild<QAction*>(QStringLiteral("mnuUpdateSite")), &QAction::triggered, this,
            &UpdateActions::onSiteClicked);
}

bool UpdateActions::ensureSite() {
    if (!workspace_.settings().updateSite.empty()) return true;
    return askSite();
}

void UpdateActions::onSiteClicked() {
    if (askSite())
        window_.statusBar()->showMessage(
            QStringLiteral("开奖网站的地址已改为 %1").arg(text(workspace_.settings().updateSite)),
            8000);
}

bool UpdateActions::askSite() {
    const int gameCode = static_cast<int>(workspace_.settings().game);
    const history::Date today = workspace_.today();
    // The address the update would fetch for today, as a check of what is typed.
    const auto preview = [gameCode, today](const QString& typed) {
        const std::string site = typed.trimmed().toStdString();
        if (site.empty()) return QString();
        if (auto problem = history::siteAddressProblem(site)) return text(*problem);
        return QStringLiteral("今天（%1）将读取的网页：\n%2")
            .arg(text(history::isoDay(today)),
                 text(history::dayPageAddress(site, gameCode, today)));
    };
    for (;;) {
        const auto entry = prompter_.askTextShowing(
            QStringLiteral("开奖网站"),
            QStringLiteral(
                "请输入开奖网站的地址，例如 http://127.0.0.1:8080\n"
                "或带占位符的完整网址，例如 http://127.0.0.1:8080/kj/{code}/{date}.html\n"
                "（{code}：彩种代码，{date}：YYYY-MM-DD，{yyyymmdd}、{yymmdd}：日期）"),
            text(workspace_.settings().updateSite), preview);
        if (!entry || entry->trimmed().isEmpty()) return false;
        const Outcome saved = workspace_.setSetting("UpdateSite", entry->trimmed().toStdString());
        window_.reportSettingsProblem();
        if (saved.ok) return true;
        prompter_.warn(QStringLiteral("开奖网站"), text(saved.message));
    }
}

void UpdateActions::onUpdateClicked() {
    UpdateService service(workspace_);
    // Only this update, asked for and confirmed, removes the draws older than the kept days.
    service.setPrunes(true);
    QString question = kQuestion;
    if (const size_t removed = service.drawsToRemove(); removed > 0)
        question += QStringLiteral("\n\n更新时将删除早于保留天数（%2天）的%1期历史号码"
                                   "（删除前会保存到历史号码文件夹）。如果要保留它们，请取消，"
                                   "在“历史号码更新检索天”中输入0（保留全部历史号码）后再更新。")
                        .arg(static_cast<qulonglong>(removed))
                        .arg(workspace_.settings().updateDays);
    if (!prompter_.confirm(kTitle, question)) return;
    if (!ensureSite()) return;
    UpdateResult result;
    {
        BusyCursor busy;
        DialogUpdateProgress progress(&window_);
        result = service.update(progress);
    }
    window_.refreshAfterHistoryChange();
    // Old draws removed: the results no longer describe this history.
    if (result.removed > 0) window_.markResultsStale();
    if (result.cancelled || result.complete()) {
        prompter_.inform(kTitle, text(result.outcome.message));
    } else if (result.siteUnreachable) {
        // No answer at all: the address may be wrong; offer to change it.
        if (prompter_.confirm(kTitle, text(result.outcome.message) +
                                          QStringLiteral("\n\n开奖网站 %1 没有回答，地址可能不对。"
                                                         "要修改开奖网站的地址吗？")
                                              .arg(text(workspace_.settings().updateSite))))
            onSiteClicked();
    } else {
        prompter_.warn(kTitle, text(result.outcome.message));
    }
    if (!result.differing.empty()) offerSiteDraws(result.differing);
}

void UpdateActions::offerSiteDraws(const std::vector<history::DifferingDraw>& differing) {
    const history::Game game = workspace_.settings().game;
    QString list;
    for (size_t i = 0; i < differing.size() && i < 20; ++i)
        list += text(UpdateService::differingText(differing[i], game)) + QLatin1Char('\n');
    if (differing.size() > 20)
        list +=
            QStringLiteral("……另有%1期。\n").arg(static_cast<qulonglong>(differing.size() - 20));
    const QString question =
        QStringLiteral("网站上有%1期的号码与历史号码中的不同：\n%2\n要把这些期改成网站上的号码吗？"
                       "（原来的号码会先保存到历史号码文件夹）")
            .arg(static_cast<qulonglong>(differing.size()))
            .arg(list);
    if (!prompter_.confirm(kTitle, question)) return;
    const Outcome taken = UpdateService(workspace_).takeSiteDraws(differing);
    window_.refreshAfterHistoryChange();
    if (!taken.ok) {
        prompter_.warn(kTitle, text(taken.message));
        return;
    }
    // The results were found with the old numbers.
    window_.markResultsStale();
    prompter_.inform(kTitle, text(taken.message));
}

void UpdateActions::onKeptDaysClicked() {
    for (;;) {
        const auto entry = prompter_.askText(kDaysTitle, kDaysPrompt,
                                             QString::number(workspace_.settings().updateDays));
        if (!entry || entry->trimmed().isEmpty()) return;
        const QString typed = entry->trimmed();
        bool whole = false;
        int days = typed.toInt(&whole);
        if (typed == QStringLiteral("全部") || typed == QStringLiteral("保留全部") ||
            typed == QStringLiteral("保留全部历史号码")) {
            whole = true;
            days = kKeepAll;
        }
        if (whole && (days == kKeepAll || (days >= 2 && days <= 16))) {
            workspace_.setSetting("IniSerchDay", std::to_string(days));
            window_.reportSettingsProblem();
            return;
        }
        prompter_.tell(kDaysWrongTitle, kDaysWrong);
    }
}

} // namespace app::gui
