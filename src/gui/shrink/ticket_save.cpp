#include "gui/shrink/ticket_save.h"

#include "gui/common/prompter.h"
#include "platform/file_io.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>

namespace app::gui {

QComboBox* newTicketFormatBox(const QString& objectName) {
    auto* box = new QComboBox;
    box->setObjectName(objectName);
    box->setToolTip(QStringLiteral("保存时号码之间的分隔"));
    setTicketFormatsFor(*box, false);
    return box;
}

void setTicketFormatsFor(QComboBox& box, bool ordered) {
    const int was = box.currentData().isValid() ? box.currentData().toInt() : 0;
    const QSignalBlocker block(&box);
    box.clear();
    box.addItem(QStringLiteral("空格 01 02 03"), static_cast<int>(TicketFormat::Space));
    box.addItem(QStringLiteral("逗号 01,02,03"), static_cast<int>(TicketFormat::Comma));
    if (ordered) box.addItem(QStringLiteral("竖线 01|02|03"), static_cast<int>(TicketFormat::Pipe));
    const int at = box.findData(was);
    box.setCurrentIndex(at < 0 ? 0 : at);
}

TicketFormat ticketFormatOf(const QComboBox& box) {
    return static_cast<TicketFormat>(box.currentData().toInt());
}

void saveTickets(Prompter& prompter, play::Play play, const std::vector<std::uint32_t>& tickets,
                 const QString& defaultName, TicketFormat format) {
    const QString title = QStringLiteral("保存为文本");
    if (tickets.empty()) {
        prompter.warn(title, QStringLiteral("没有可保存的号码。"));
        return;
    }
    if (format == TicketFormat::Pipe && !play::info(play).ordered) format = TicketFormat::Space;
    const QString path = prompter.saveFile(title, QDir::home().filePath(defaultName),
                                           QStringLiteral("文本文件 (*.txt);;所有文件 (*)"));
    if (path.isEmpty()) return;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        prompter.warn(
            title,
            QStringLiteral("文件夹“%1”不存在，请另选位置。").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    try {
        platform::writeFileAtomically(path.toStdString(), ticketsText(play, tickets, format));
    } catch (const platform::FileError&) {
        prompter.warn(title, QStringLiteral("无法写入“%1”，请检查文件夹是否可写。")
                                 .arg(QDir::toNativeSeparators(path)));
        return;
    }
    prompter.inform(title, QStringLiteral("已保存%1注到“%2”。")
                               .arg(tickets.size())
                               .arg(QDir::toNativeSeparators(path)));
}

} // namespace app::gui
