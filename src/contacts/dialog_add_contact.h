#pragma once

#include "contact_person.h"
#include "sheet_dialog.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// The add-contact form: name, e-mail, the contact's contact code and, optionally, a mobile
// number. Save stays off until the name, a valid e-mail address and a contact code are there;
// a saved contact is stored for the signed-in account and the form closes.
class DialogAddContact final : public SheetDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DialogAddContact)

public:
    explicit DialogAddContact(QWidget *parent = nullptr);
    ~DialogAddContact() override;

    // Empties the fields for the next contact.
    void clear();

    // What is wrong with the fields as they stand ("" when they can be saved). Unfinished fields
    // that the user has not typed into yet are not complained about.
    QString problem() const;

    // Stores the contact when the fields allow it; false (with the reason shown) otherwise.
    bool save();

signals:
    void contactAdded(const ContactPerson &contact);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *addField(QGridLayout *grid, int row, const QString &label, const QString &name);
    void refresh();

    QLineEdit *m_name = nullptr;
    QLineEdit *m_email = nullptr;
    QLineEdit *m_accessCode = nullptr;
    QLineEdit *m_mobile = nullptr;
    QLabel *m_problem = nullptr;
    QPushButton *m_save = nullptr;
    QString m_saveProblem;
};
