#pragma once

#include "background_jobs.h"
#include "qel_json.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

#include <functional>

// The answer to "CallHttpDownload": IsSucc tells whether SaveAt now holds the whole file.
struct FetchResult
{
    bool IsSucc = false;
    QString Info;
    qint64 Size = 0;
    QEL_JSON_FIELDS(FetchResult, IsSucc, Info, Size)
};

// "CallHttpDownload": fetches an http(s) address of this machine, or a file: URL, into SaveAt.
// Nothing off this machine is reached. The file is written beside SaveAt under a temporary name
// and takes SaveAt's place (the caller names that exact file) only once it is complete, so a
// failed fetch leaves whatever was there before.
class FileFetcher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileFetcher)

public:
    explicit FileFetcher(QObject *parent = nullptr);
    ~FileFetcher() override;

    // done runs once, on this object's thread, unless this object is destroyed first.
    void fetch(const QString &url, const QString &saveAt, std::function<void(const FetchResult &)> done);

private:
    void fetchHttp(const QUrl &url, const QString &saveAt, std::function<void(const FetchResult &)> done);
    void copyLocal(const QString &path, const QString &saveAt, std::function<void(const FetchResult &)> done);

    QNetworkAccessManager m_network;
    BackgroundJobs m_jobs;
};
