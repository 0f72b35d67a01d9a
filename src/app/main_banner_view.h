#pragma once

// The main window's banner: logo, product name and the selected page's title, and the badge of
// the signed-in account (name and member type). A click on the badge opens the service's web
// console, where the account's host name is managed.

#include <QStringList>
#include <QWidget>

class MainView;
class QLabel;

class Main_BannerView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Main_BannerView)

public:
    // titles: the four page titles in page order; the five labels: the member types' texts in
    // the order free user, standard, advanced, trial, anonymous.
    Main_BannerView(MainView &parent, const QStringList &titles, const QString &memberTypeFreeUser,
                    const QString &memberTypeStd, const QString &memberTypeAdv, const QString &memberTypeExp,
                    const QString &memberTypeAno, QWidget *parentWidget = nullptr);

    // The label of the process-wide account's member type; unknown types read as anonymous.
    QString memberTypeLabel() const;

    void openWebConsole();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();

    MainView &m_parent;
    QStringList m_subViewTitles;
    QString m_MemberType_FreeUser;
    QString m_memberType_Std;
    QString m_MemberType_Adv;
    QString m_MemberType_Exp;
    QString m_MemberType_Ano;

    QLabel *m_title = nullptr;
    QWidget *m_badge = nullptr;
    QLabel *m_accountName = nullptr;
    QLabel *m_memberType = nullptr;
};
