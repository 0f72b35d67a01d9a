#pragma once

#include "lenient_json.h"

#include <QString>
#include <QWidget>

#include <optional>

class QCheckBox;
class QLineEdit;
class QToolButton;

// A thin horizontal line between the parts of the settings page.
class SettingLineDivider final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingLineDivider)

public:
    SettingLineDivider(int width, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The settings page: the download folder, chosen with the open panel and opened in the file
// manager, and the login sheet's remember-me switch. Each change is saved at once; "Setting saved."
// confirms a save that worked. The folder field shows what is stored, empty until a folder is
// chosen here or a download stores its default. Each time the page is shown it reads the settings
// again and asks the service for the account's contact code.
class ViewSettings final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewSettings)

public:
    // The content's width, and the room around it inside its frame and again outside.
    static constexpr int frameWidth = 680;
    static constexpr int framePadding = 10;

    explicit ViewSettings(QWidget *parent = nullptr);
    ~ViewSettings() override;

    // The stored download folder ("" until one is stored).
    QString downloadSaveAt() const { return m_downloadSaveAt; }
    QString receiveSaveAt() const { return m_receiveSaveAt; }
    QString contactCode() const { return m_contactCode; }
    bool isRememberMe() const { return m_isRememberMe; }
    // The label prefix of the folder row: a white bullet and two blanks.
    static QString cfgPrefix();

    // Reads the settings into the page and asks for the contact code.
    void onAppear();
    void fetchContactCode();
    void onContactCodeReply(const std::optional<LenientJson> &answer);
    void chooseDownloadFolder();
    // The open panel's answer: the chosen paths joined with "|", or "" after a cancel.
    void saveDownloadFolder(const QString &path);
    void openDownloadFolder();
    // The user turned the switch on or off.
    void onRememberMeChanged(bool isRememberMe);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildFolderSection();
    QWidget *buildLoginSection();
    // Confirms a save, or says that it failed.
    static void reportSave(bool saved);

    QString m_downloadSaveAt;
    QString m_receiveSaveAt;
    QString m_contactCode;
    bool m_isRememberMe = false;

    QLineEdit *m_folderField = nullptr;
    QCheckBox *m_rememberMe = nullptr;
};
