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

std::string networkErrorText(QNetworkReply* reply) {
    switch (reply->error()) {
    case QNetworkReply::ConnectionRefusedError:
        return "connection refused";
    case QNetworkReply::RemoteHostClosedError:
        return "the server closed the connection";
    case QNetworkReply::HostNotFoundError:
        return "host not found";
    case QNetworkReply::TimeoutError:
        return "the connection timed out";
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
        return "no network";
    case QNetworkReply::ProtocolUnknownError:
        return "not a web address";
    default:
        return reply->errorString().toStdString();
    }
}

} // namespace

FetchedPage fetchPage(const std::string& url, std::chrono::milliseconds timeout,
                      const std::function<bool()>& cancelled) {
    FetchedPage page;
    if (cancelled && cancelled()) {
        page.cancelled = true;
        page.error = "cancelled";
        return page;
    }
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!address.isValid() || address.host().isEmpty()) {
        page.error = "not a web address";
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
        page.error = "cancelled";
    } else if (timedOut) {
        page.error = "timed out after " + seconds(timeout) + " s";
    } else if (tooLarge) {
        page.error = "the page is too large";
    } else if (page.status != 0 && (page.status < 200 || page.status > 299)) {
        page.error = "HTTP " + std::to_string(page.status);
    } else if (reply->error() != QNetworkReply::NoError) {
        page.error = networkErrorText(reply.get());
    } else if (page.status == 0) {
        page.error = "no HTTP answer";
    } else {
        const QByteArray body = reply->readAll();
        page.body.assign(body.constData(), static_cast<size_t>(body.size()));
        page.ok = true;
    }
    return page;
}

} // namespace platform
