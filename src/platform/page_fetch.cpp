#include "platform/page_fetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <memory>

namespace platform {

namespace {

constexpr const char* kNotAnAddress = "网址无效";

// How often cancelled() is asked while waiting.
constexpr std::chrono::milliseconds kCancelPoll{20};
// A page larger than this is no results page: the fetch stops instead of filling the memory.
constexpr qint64 kMaxPageBytes = 32 * 1024 * 1024;

std::string seconds(std::chrono::milliseconds timeout) {
    char text[32];
    if (timeout.count() % 1000 == 0)
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(timeout.count() / 1000));
    else
        std::snprintf(text, sizeof text, "%g", static_cast<double>(timeout.count()) / 1000.0);
    return text;
}

// The words the user reads; true in unreachable when no connection to the site was made at all
// (a wrong address is the likely cause).
std::string networkErrorText(QNetworkReply* reply, bool& unreachable) {
    unreachable = true;
    switch (reply->error()) {
    case QNetworkReply::ConnectionRefusedError:
        return "连接被拒绝";
    case QNetworkReply::HostNotFoundError:
        return "找不到网站的主机";
    case QNetworkReply::TimeoutError:
        return "连接超时";
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
        return "网络不通";
    case QNetworkReply::ProtocolUnknownError:
        return kNotAnAddress;
    default:
        break;
    }
    unreachable = false;
    if (reply->error() == QNetworkReply::RemoteHostClosedError) return "网站断开了连接";
    if (reply->error() == QNetworkReply::SslHandshakeFailedError) return "安全连接失败";
    if (reply->error() == QNetworkReply::TooManyRedirectsError) return "网址转向的次数太多";
    return "网络错误（代码" + std::to_string(static_cast<int>(reply->error())) + "）";
}

} // namespace

bool isFetchableAddress(const std::string& url) {
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    return address.isValid() && !address.host().isEmpty();
}

FetchedPage fetchPage(const std::string& url, std::chrono::milliseconds timeout,
                      const std::function<bool()>& cancelled) {
    FetchedPage page;
    if (cancelled && cancelled()) {
        page.cancelled = true;
        page.error = "已取消";
        return page;
    }
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!isFetchableAddress(url)) {
        page.error = kNotAnAddress;
        page.unreachable = true;
        return page;
    }

    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));

    QEventLoop loop;
    bool timedOut = false;
    bool tooLarge = false;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &loop,
                     [&](qint64 received, qint64) {
                         if (received > kMaxPageBytes && !tooLarge) {
                             tooLarge = true;
                             reply->abort();
                         }
                     });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QTimer poll;
    if (cancelled) {
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!page.cancelled && cancelled()) {
                page.cancelled = true;
                reply->abort();
            }
        });
        poll.start(kCancelPoll);
    }
    deadline.start(timeout);
    if (!reply->isFinished()) loop.exec();
    deadline.stop();
    poll.stop();

    page.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    page.contentType = reply->rawHeader("Content-Type").toStdString();
    if (page.cancelled) {
        page.error = "已取消";
    } else if (timedOut) {
        page.error = "等了" + seconds(timeout) + "秒网页还没有读完（超时）";
        page.unreachable = page.status == 0;
    } else if (tooLarge) {
        page.error = "网页太大，不是开奖网页";
    } else if (page.status != 0 && (page.status < 200 || page.status > 299)) {
        page.error = "网站回答错误 HTTP " + std::to_string(page.status);
    } else if (reply->error() != QNetworkReply::NoError) {
        page.error = networkErrorText(reply.get(), page.unreachable);
    } else if (page.status == 0) {
        page.error = "网站没有回答";
    } else {
        const QByteArray body = reply->readAll();
        page.body.assign(body.constData(), static_cast<size_t>(body.size()));
        page.ok = true;
    }
    return page;
}

} // namespace platform
