#pragma once
// The notices of the program open all day: one list that every notice goes to (a new draw, an
// omission alert, a failed update, a settled ticket), each with its time, kind and text, read or
// not yet read. The window shows the newest in its status bar, the count of unread ones on a
// button that opens the list, and passes them on to the desktop's notifications; whoever has
// something to tell posts it here and nowhere else. Used from one thread (the window's).

#include "workspace/draw_clock.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace app {

enum class NoticeKind {
    Draw,          // a new draw stored (typed, imported, fetched, another process's)
    Alert,         // an omission alert crossed
    UpdateProblem, // the automatic update failed or gave up
    Ticket,        // a recorded ticket settled by a draw
    Other,
};

struct Notice {
    std::uint64_t id = 0; // from 1 on, in the order posted
    SystemTime time;
    NoticeKind kind = NoticeKind::Other;
    std::string text;
    int period = 0; // the draw it is about (stored form), 0 when none
    bool read = false;
};

class Notices {
  public:
    // The newest kKept notices are kept.
    static constexpr size_t kKept = 1000;

    explicit Notices(NowFunction now = {});

    // Adds a notice, unread, and tells every listener; returns its id.
    std::uint64_t post(NoticeKind kind, std::string text, int period = 0);

    // Oldest first.
    const std::deque<Notice>& all() const { return notices_; }
    size_t unread() const { return unread_; }
    void markAllRead();

    // Called after each post with the notice, and after a change of what is read with nothing.
    using Listener = std::function<void(const Notice* posted)>;
    void listen(Listener listener) { listeners_.push_back(std::move(listener)); }

  private:
    void tell(const Notice* posted);

    NowFunction now_;
    std::deque<Notice> notices_;
    size_t unread_ = 0;
    std::uint64_t lastId_ = 0;
    std::vector<Listener> listeners_;
};

// "新号码", "遗漏提醒", "更新失败", "投注结算", "通知".
std::string noticeKindName(NoticeKind kind);

// What several notices come to, by kind in the order above: "3期新号码，4条提醒".
std::string noticeSummary(const std::vector<Notice>& notices);

} // namespace app
