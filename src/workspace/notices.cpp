#include "workspace/notices.h"

#include <array>

namespace app {

Notices::Notices(NowFunction now)
    : now_(now ? std::move(now) : [] { return std::chrono::system_clock::now(); }) {}

std::uint64_t Notices::post(NoticeKind kind, std::string text, int period) {
    Notice notice;
    notice.id = ++lastId_;
    notice.time = now_();
    notice.kind = kind;
    notice.text = std::move(text);
    notice.period = period;
    notices_.push_back(std::move(notice));
    ++unread_;
    while (notices_.size() > kKept) {
        if (!notices_.front().read) --unread_;
        notices_.pop_front();
    }
    tell(&notices_.back());
    return lastId_;
}

void Notices::markAllRead() {
    if (unread_ == 0) return;
    for (auto& notice : notices_) notice.read = true;
    unread_ = 0;
    tell(nullptr);
}

void Notices::tell(const Notice* posted) {
    // A listener may post in turn: the list of listeners is walked by index.
    for (size_t i = 0; i < listeners_.size(); ++i) listeners_[i](posted);
}

std::string noticeKindName(NoticeKind kind) {
    switch (kind) {
    case NoticeKind::Draw:
        return "新号码";
    case NoticeKind::Alert:
        return "遗漏提醒";
    case NoticeKind::UpdateProblem:
        return "更新失败";
    case NoticeKind::Ticket:
        return "投注结算";
    default:
        return "通知";
    }
}

std::string noticeSummary(const std::vector<Notice>& notices) {
    constexpr std::array kinds = {NoticeKind::Draw, NoticeKind::Alert, NoticeKind::UpdateProblem,
                                  NoticeKind::Ticket, NoticeKind::Other};
    // How each kind is counted: 3期新号码, 4条提醒, 1次更新失败, 2条投注结算, 5条通知.
    const char* units[] = {"期新号码", "条提醒", "次更新失败", "条投注结算", "条通知"};
    std::string text;
    for (size_t k = 0; k < kinds.size(); ++k) {
        size_t count = 0;
        for (const auto& notice : notices) count += notice.kind == kinds[k] ? 1 : 0;
        if (count == 0) continue;
        text += (text.empty() ? "" : "，") + std::to_string(count) + units[k];
    }
    return text;
}

} // namespace app
