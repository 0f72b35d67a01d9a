// Qt's own texts follow the locale: under Chinese the standard buttons and the folder panel are
// Chinese, as the rest of the interface is.

#include "file_dialog_panels.h"
#include "qt_translations.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>

#include <memory>

namespace {

bool isChinese(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return han.match(text).hasMatch();
}

QString cancelText()
{
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    return buttons.button(QDialogButtonBox::Cancel)->text();
}

TEST(QtTranslations, UnderChineseTheStandardButtonsAndTheFolderPanelAreChinese)
{
    {
        const std::unique_ptr<QTranslator> chinese = installQtTranslations(QLocale(QLocale::Chinese, QLocale::China));
        ASSERT_TRUE(chinese) << "Qt's Chinese translations are installed";
        EXPECT_TRUE(isChinese(cancelText())) << cancelText().toStdString();

        const std::unique_ptr<QFileDialog> panel(FileDialogPanels::createPanel(nullptr, QStringLiteral("Share"), true));
        QStringList texts;
        for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
            texts << panel->findChild<QLabel *>(QString::fromLatin1(name))->text();
        const auto *buttons = panel->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        texts << buttons->button(QDialogButtonBox::Cancel)->text();
        const auto *view = panel->findChild<QAbstractItemView *>(QStringLiteral("treeView"));
        texts << view->model()->headerData(0, Qt::Horizontal).toString();
        for (const QString &text : texts)
            EXPECT_TRUE(isChinese(text)) << text.toStdString();
    }
    EXPECT_EQ(cancelText().remove(u'&'), "Cancel") << "gone with the translator";

    const std::unique_ptr<QTranslator> english = installQtTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(cancelText().remove(u'&'), "Cancel");
}

} // namespace
