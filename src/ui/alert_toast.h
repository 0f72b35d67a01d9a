#pragma once

#include <QString>

// One toast as a value: its look and its title. A toast overlay shows it.
//   Notice: the text alone, in a box in the middle of its window.
//   Result: a green check mark (success) or a red cross (failure) above the text, in that box.
//   Banner: a yellow information mark and the text in a strip that pops up at the window's foot.
class AlertToast final
{
public:
    enum class Look { Notice, Result, Banner };

    AlertToast() = default;

    static AlertToast notice(const QString &title);
    static AlertToast result(bool isSuccess, const QString &title);
    static AlertToast banner(const QString &title);

    Look look() const { return m_look; }
    // Meaningful for Result only.
    bool isSuccess() const { return m_success; }
    QString title() const { return m_title; }

    bool operator==(const AlertToast &other) const = default;

private:
    AlertToast(Look look, bool isSuccess, const QString &title);

    // The main window starts with an empty green result toast.
    Look m_look = Look::Result;
    bool m_success = true;
    QString m_title;
};
