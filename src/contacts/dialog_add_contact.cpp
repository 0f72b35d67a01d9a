#include "dialog_add_contact.h"

#include "contact_store.h"
#include "contact_widgets.h"
#include "localization.h"
#include "theme.h"
#include "util_system.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

// The contact code column holds up to 30 characters.
constexpr int accessCodeMax = 30;

} // namespace

DialogAddContact::DialogAddContact(QWidget *parent) : SheetDialog(parent)
{
    setObjectName(QStringLiteral("dialogAddContact"));
    setFixedWidth(440);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    addTitleRow(layout);
    titleLabel()->setText(localizedString(QStringLiteral("Contact_AddTitle")));

    auto *grid = new QGridLayout;
    grid->setContentsMargins(24, 16, 24, 4);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    m_name = addField(grid, 0, localizedString(QStringLiteral("Contact_Name")), QStringLiteral("nameField"));
    m_email = addField(grid, 1, localizedString(QStringLiteral("Contact_Email")), QStringLiteral("emailField"));
    m_accessCode =
        addField(grid, 2, localizedString(QStringLiteral("Contact_AccessCode")), QStringLiteral("accessCodeField"));
    m_accessCode->setMaxLength(accessCodeMax);
    m_mobile = addField(grid, 3, localizedString(QStringLiteral("Contact_Mobile")), QStringLiteral("mobileField"));
    m_email->setPlaceholderText(QStringLiteral("name@example.com"));
    m_accessCode->setPlaceholderText(localizedString(QStringLiteral("Contact_AccessCodeHint")));
    layout->addLayout(grid);

    m_problem = ContactWidgets::plainLabel(this, QStringLiteral("problemLabel"));
    m_problem->setWordWrap(true);
    m_problem->setFont(Theme::font(12));
    ContactWidgets::setTextColor(m_problem, QStringLiteral("btnRed"));
    m_problem->setContentsMargins(24, 0, 24, 0);
    m_problem->setMinimumHeight(m_problem->fontMetrics().height() * 2);
    m_problem->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_problem);

    auto *buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    buttons->setContentsMargins(24, 4, 24, 16);
    m_save = buttons->addButton(localizedString(QStringLiteral("Contact_Save")), QDialogButtonBox::AcceptRole);
    m_save->setObjectName(QStringLiteral("saveButton"));
    m_save->setMinimumWidth(80);
    auto *cancel = buttons->addButton(localizedString(LocalizedStringKey("Cancel").stringKey()), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    cancel->setMinimumWidth(80);
    m_save->setDefault(true);
    layout->addWidget(buttons);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_save, &QPushButton::clicked, this, &DialogAddContact::save);
    for (QLineEdit *field : {m_name, m_email, m_accessCode, m_mobile}) {
        connect(field, &QLineEdit::textEdited, this, [this] {
            m_saveProblem.clear();
            refresh();
        });
    }
    refresh();
}

DialogAddContact::~DialogAddContact() = default;

QLineEdit *DialogAddContact::addField(QGridLayout *grid, int row, const QString &label, const QString &name)
{
    QLabel *title = ContactWidgets::plainLabel(this, name + QStringLiteral("Label"), label);
    auto *field = new QLineEdit(this);
    field->setObjectName(name);
    field->setMinimumWidth(260);
    field->setClearButtonEnabled(true);
    title->setBuddy(field);
    grid->addWidget(title, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(field, row, 1);
    return field;
}

void DialogAddContact::clear()
{
    for (QLineEdit *field : {m_name, m_email, m_accessCode, m_mobile})
        field->clear();
    m_saveProblem.clear();
    refresh();
}

QString DialogAddContact::problem() const
{
    const QString email = m_email->text().trimmed();
    const QString code = m_accessCode->text().trimmed();
    if (!email.isEmpty() && !UtilSystem::isValidEmail(email))
        return localizedString(QStringLiteral("Contact_InvalidEmail"));
    if (!code.isEmpty() && !UtilSystem::isValidAlnum(code, 1, accessCodeMax))
        return localizedString(QStringLiteral("Contact_InvalidCode"));
    return m_saveProblem;
}

void DialogAddContact::refresh()
{
    m_problem->setText(problem());
    const bool complete = !m_name->text().trimmed().isEmpty() && !m_email->text().trimmed().isEmpty()
                          && !m_accessCode->text().trimmed().isEmpty();
    m_save->setEnabled(complete && problem().isEmpty());
}

bool DialogAddContact::save()
{
    refresh();
    if (!m_save->isEnabled())
        return false;
    if (ContactPerson_HasEmail(m_email->text())) {
        m_saveProblem = localizedString(QStringLiteral("Contact_ExistsEmail"));
        refresh();
        return false;
    }
    ContactPerson contact;
    contact.name = m_name->text();
    contact.email = m_email->text();
    contact.accessCode = m_accessCode->text();
    contact.mobile = m_mobile->text();
    if (!ContactPerson_Add(contact)) {
        m_saveProblem = localizedString(QStringLiteral("Contact_SaveFailed"));
        refresh();
        return false;
    }
    emit contactAdded(contact);
    accept();
    return true;
}

void DialogAddContact::showEvent(QShowEvent *event)
{
    SheetDialog::showEvent(event);
    m_name->setFocus();
}
