#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Stands in for the browser and the file manager while it lives: every address the program asks
// the desktop to open with one of the schemes is recorded here instead.
class UrlCatcher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UrlCatcher)

public:
    explicit UrlCatcher(QStringList schemes = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file")});
    ~UrlCatcher() override;

    QList<QUrl> opened;

public slots:
    void open(const QUrl &url);

private:
    QStringList m_schemes;
};
