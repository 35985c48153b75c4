// The list of notices: unread counts through posts, reads and the list's limit, what listeners
// are told, and what a batch of notices comes to.

#include "workspace/notices.h"

#include <gtest/gtest.h>

namespace {

TEST(Notices, UnreadCountsThroughPostsReadsAndTheLimit) {
    app::Notices notices([] { return app::SystemTime{}; });
    std::vector<std::string> told;
    notices.listen([&](const app::Notice* posted) { told.push_back(posted ? posted->text : "-"); });
    EXPECT_EQ(notices.post(app::NoticeKind::Draw, "a", 25020901), 1u);
    notices.post(app::NoticeKind::Alert, "b");
    EXPECT_EQ(notices.unread(), 2u);
    notices.markAllRead();
    notices.markAllRead(); // nothing more to read: nobody is told
    EXPECT_EQ(told, (std::vector<std::string>{"a", "b", "-"}));
    // Past the limit the oldest go, read or not, and the count follows.
    for (size_t i = 0; i < app::Notices::kKept; ++i) notices.post(app::NoticeKind::Other, "c");
    EXPECT_EQ(notices.all().size(), app::Notices::kKept);
    EXPECT_EQ(notices.unread(), app::Notices::kKept);
    notices.post(app::NoticeKind::Other, "d");
    EXPECT_EQ(notices.unread(), app::Notices::kKept);
    EXPECT_EQ(notices.all().back().id, app::Notices::kKept + 3);
    EXPECT_EQ(notices.all().front().text, "c");
}

TEST(Notices, ABatchIsSummedUpByKind) {
    std::vector<app::Notice> batch;
    for (auto kind : {app::NoticeKind::Alert, app::NoticeKind::Draw, app::NoticeKind::Alert,
                      app::NoticeKind::Draw, app::NoticeKind::Alert, app::NoticeKind::Draw,
                      app::NoticeKind::Alert, app::NoticeKind::Ticket})
        batch.push_back({0, {}, kind, "", 0, false});
    EXPECT_EQ(app::noticeSummary(batch), "3期新号码，4条提醒，1条投注结算");
    EXPECT_EQ(app::noticeSummary({}), "");
}

} // namespace
