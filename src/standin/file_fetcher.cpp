#include "file_fetcher.h"

#include "checked_save.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkReply>
#include <QSaveFile>

#include <memory>

namespace {

constexpr qint64 maxBytes = qint64(4) * 1024 * 1024 * 1024;
constexpr int stallTimeoutMs = 30'000;

FetchResult failed(const QString &why)
{
    return FetchResult{false, why, 0};
}

bool onThisMachine(const QUrl &url)
{
    const QString host = url.host();
    return host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0 || QHostAddress(host).isLoopback();
}

} // namespace

FileFetcher::FileFetcher(QObject *parent) : QObject(parent) {}

FileFetcher::~FileFetcher()
{
    // Unfinished fetches end without a word: whoever would be told is going away too.
    for (QNetworkReply *reply : m_network.findChildren<QNetworkReply *>()) {
        reply->disconnect(this);
        reply->abort();
    }
}

void FileFetcher::fetch(const QString &urlText, const QString &saveAt, std::function<void(const FetchResult &)> done)
{
    const QFileInfo target(saveAt);
    if (!saveAt.startsWith(QLatin1Char('/')) || target.isDir() || !QFileInfo(target.absolutePath()).isDir()) {
        done(failed(QStringLiteral("SaveAt must name a file in an existing folder")));
        return;
    }
    const QUrl url(urlText, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && scheme == QStringLiteral("file")) {
        copyLocal(url.toLocalFile(), saveAt, std::move(done));
        return;
    }
    if (!url.isValid() || (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))) {
        done(failed(QStringLiteral("Only http, https and file addresses are fetched")));
        return;
    }
    if (!onThisMachine(url)) {
        done(failed(QStringLiteral("Only addresses on this computer are fetched")));
        return;
    }
    fetchHttp(url, saveAt, std::move(done));
}

void FileFetcher::fetchHttp(const QUrl &url, const QString &saveAt, std::function<void(const FetchResult &)> done)
{
    auto file = std::make_shared<QSaveFile>(saveAt);
    if (!file->open(QIODevice::WriteOnly)) {
        done(failed(QStringLiteral("Cannot write ") + saveAt));
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setTransferTimeout(stallTimeoutMs);
    QNetworkReply *reply = m_network.get(request);
    auto writeFailed = std::make_shared<bool>(false);
    connect(reply, &QNetworkReply::readyRead, this, [reply, file, writeFailed] {
        const QByteArray data = reply->readAll();
        if (*writeFailed)
            return;
        if (file->pos() + data.size() > maxBytes || !CheckedSave::write(*file, data)) {
            *writeFailed = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [reply, file, writeFailed, done = std::move(done)] {
        reply->deleteLater();
        if (!*writeFailed) {
            const QByteArray rest = reply->readAll();
            *writeFailed = file->pos() + rest.size() > maxBytes || !CheckedSave::write(*file, rest);
        }
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (*writeFailed) {
            file->cancelWriting();
            done(failed(QStringLiteral("Cannot write the file, or it is too large")));
        } else if (reply->error() != QNetworkReply::NoError || status < 200 || status > 299) {
            file->cancelWriting();
            done(failed(QStringLiteral("The download failed: ") + reply->errorString()));
        } else {
            const qint64 size = file->pos();
            QString error;
            done(CheckedSave::commit(*file, &error) ? FetchResult{true, QStringLiteral("OK"), size}
                                                    : failed(QStringLiteral("Cannot write the file: ") + error));
        }
    });
}

void FileFetcher::copyLocal(const QString &path, const QString &saveAt, std::function<void(const FetchResult &)> done)
{
    if (!QFileInfo(path).isFile()) {
        done(failed(QStringLiteral("Not a file: ") + path));
        return;
    }
    auto result = std::make_shared<FetchResult>();
    m_jobs.run(
        [path, saveAt, result](const std::atomic_bool &stop) {
            QFile in(path);
            QSaveFile out(saveAt);
            if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
                *result = failed(QStringLiteral("Cannot copy ") + path);
                return;
            }
            QByteArray block(1024 * 1024, Qt::Uninitialized);
            qint64 got = 0;
            while (!stop && (got = in.read(block.data(), block.size())) > 0) {
                if (!CheckedSave::write(out, block.constData(), got))
                    break;
            }
            if (stop || got != 0) {
                out.cancelWriting();
                *result = failed(QStringLiteral("Cannot copy ") + path);
                return;
            }
            const qint64 size = out.pos();
            QString error;
            *result = CheckedSave::commit(out, &error) ? FetchResult{true, QStringLiteral("OK"), size}
                                                       : failed(QStringLiteral("Cannot write the file: ") + error);
        },
        [result, done = std::move(done)] { done(*result); });
}
