#pragma once

#include <QString>

// The folder the remote browser shows, kept inside the share's root folder. Paths are the peer's
// own, "/" or "\" style; the path helpers treat both.
class RemoteFolderPath final
{
public:
    RemoteFolderPath() = default;

    // A share rooted at root; the browser starts there.
    void setRoot(const QString &root);
    QString root() const { return m_root; }
    QString current() const { return m_current; }
    bool isAtRoot() const { return m_current == m_root; }

    // Opens a folder of the listing; refused (false) unless it lies below the root.
    bool enter(const QString &folder);
    // One folder up, never above the root; false at the root.
    bool up();

    // The current folder as the user reads it: "/" at the root, then the folder names below it
    // joined with " / ".
    QString displayText() const;

    // Whether path is the root or lies below it.
    bool contains(const QString &path) const;

private:
    QString m_root;
    QString m_current;
};
