#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

// What one statement on the shared connection gave: every row with its columns read as text
// (a NULL column reads as ""), or why it failed. Nothing is printed here; the caller decides.
struct DbResult
{
    bool ok = false;
    QString error;
    QList<QStringList> rows;

    explicit operator bool() const { return ok; }
};

// The program's one SQLite database, Documents/Fenmar/db/fenmar.dat, and its key/value table
// "icons" that holds the settings. Other stores run their own statements through query() and
// exec(); values always travel as bound parameters, never inside the SQL text.
//
// Bound values (QVariantList): QString as TEXT, bool as 1/0, whole numbers as INTEGER, double as
// REAL, QByteArray as BLOB, a null or invalid QVariant as NULL; anything else as its text.
//
// Not locked: the GUI thread owns the connection (the SQLite library itself is built thread-safe).
class UtilDB final
{
public:
    UtilDB() = delete;

    // Settings keys of the key/value table, shared by every page that reads or writes them.
    static constexpr const char *keySaveAtDir = "SaveAtDir";
    static constexpr const char *keyMyReceivedFolder = "MyReceivedFolder";
    static constexpr const char *keyIsRememberMe = "isRememberMe";
    static constexpr const char *keyLoginEmail = "Login_Email";
    static constexpr const char *keyLoginPassword = "Login_Password";

    // Start-up: makes Documents/Fenmar/db, readable by the user alone (0700, also when an earlier
    // version made it open to others), prints where the file lives, opens it and creates every
    // missing table. A file that cannot be opened is printed; the program goes on without a
    // database and every operation below fails cleanly.
    static void open();

    // Opens (or creates) the database at path, replacing any open one, then creates the tables.
    // The file is the user's alone (0600, tightened when it was not). False, printed, when the
    // file cannot be opened. open() uses it; tests call it directly.
    static bool openAt(const QString &path);

    // Closes the connection and forgets that the tables were created, so that a test can start
    // again from nothing.
    static void close();

    static bool isOpen();

    // Runs the schema once per opened connection; later calls do nothing.
    static void createTables();

    static bool delIcon(const QString &key);
    // Replaces the row of key; the old value stays when writing the new one fails.
    static bool setIcon(const QString &key, const QString &value);
    // The stored value, or "" when there is none (or on a failure, which is printed).
    static QString getIcon(const QString &key);

    // First column of the first row; nothing when there is no row, the column is NULL, or the
    // query fails (printed).
    static std::optional<QString> getValue(const QString &sql, const QVariantList &params = {});
    // Whether the query yields at least one row; false on failure (printed).
    static bool isExist(const QString &sql, const QVariantList &params = {});

    // One statement, all its rows read. An SQL text holding more than one statement is refused.
    static DbResult query(const QString &sql, const QVariantList &params = {});
    // One statement run to its end, rows ignored.
    static DbResult exec(const QString &sql, const QVariantList &params = {});
    // exec() for stores that only need to know whether it ran; a failure is printed.
    static bool execPrinted(const QString &sql, const QVariantList &params = {});

    // Runs work inside a savepoint: kept when work returns true, rolled back otherwise. True
    // only when work succeeded and its changes were kept. Savepoints nest, so work may call
    // functions that use this themselves.
    static bool runInTransaction(const std::function<bool()> &work);
};
