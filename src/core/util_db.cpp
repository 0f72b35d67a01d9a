#include "util_db.h"

#include "console.h"

#include "util_system.h"

#include <QByteArray>
#include <QFile>

#include <sqlite3.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

sqlite3 *connection = nullptr;
bool tablesCreated = false;

// Run in this order at every start; each one is "if not exists", so an existing file is left as
// it is. The two localshare_ext indexes need names of their own: an index name is unique in the
// whole database, and reusing localshare's names would silently create nothing.
constexpr std::array<const char *, 15> schemaStatements = {
    "CREATE TABLE if not exists  [icons](  [key] VARCHAR2(512) NOT NULL UNIQUE,   [value] TEXT,   "
    "PRIMARY KEY([key] COLLATE[NOCASE]));  ",
    " CREATE INDEX if not exists[idx_icons_key] ON[icons] ([key] COLLATE [NOCASE]); ",
    "CREATE TABLE if not exists [items] (  [type] INT,   [path] VARCHAR2(300),   [ctime] DATETIME   );  ",
    " CREATE INDEX if not exists[idx_items_path] ON[items] ([type], [path] COLLATE [NOCASE]); ",
    "CREATE TABLE if not exists [localshare] (  [id_acc] BIGINT(20),  [tag] VARCHAR2(30),   "
    "[path] VARCHAR2(1024),   [password] VARCHAR2(30),   [isenabled] INT(1),   [isupload] INT(1),   "
    "[isdownload] INT(1),   [isdir] INT(1),   [ctime] DATETIME   );  ",
    " CREATE INDEX if not exists[idx_id_acc]  ON [localshare]([id_acc]); ",
    " CREATE INDEX if not exists[idx_tag]  ON [localshare]([tag]); ",
    "CREATE TABLE if not exists [localshare_ext] (  [id_acc] BIGINT(20),  [tag] VARCHAR2(30),   "
    "[key] VARCHAR2(50),   [value] VARCHAR2(200),   [ctime] DATETIME   );  ",
    " CREATE INDEX if not exists[idx_ext_id_acc]  ON [localshare_ext]([id_acc]); ",
    " CREATE INDEX if not exists[idx_ext_tag]  ON [localshare_ext]([tag]); ",
    "CREATE TABLE if not exists [localshare_log] (  [id_log] BIGINT(20),  [id_acc] BIGINT(20),  "
    "[username] VARCHAR2(30),   [operation] VARCHAR2(50),   [target] VARCHAR2(200),   [ctime] DATETIME   );  ",
    " CREATE INDEX if not exists[idx_id_log]  ON [localshare_log]([id_log]); ",
    " CREATE INDEX if not exists[idx_id_ctime]  ON [localshare_log]([ctime]); ",
    "CREATE TABLE if not exists [remotesharing] (  [id_acc] BIGINT(20),   [hostid] VARCHAR2(50),   "
    "[hostname] VARCHAR2(50),   [hosttag] VARCHAR2(50),   [password] VARCHAR2(50),   [aliasname] VARCHAR2(30)   );  ",
    "CREATE TABLE if not exists [contactperson] (  [id_acc] BIGINT(20),  [uuid_cp] VARCHAR2(50),   "
    "[cpname] VARCHAR2(50),   [cpmail] VARCHAR2(50),   [cpmobile] VARCHAR2(30),   [aliasname] VARCHAR2(30),   "
    "[accesscode] VARCHAR2(30)   );  ",
};

const QString notOpenError = QStringLiteral("database is not open");

QString lastError()
{
    return QString::fromUtf8(sqlite3_errmsg(connection));
}

// Finalises its statement however the caller leaves.
class Statement final
{
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(m_stmt); }
    Q_DISABLE_COPY_MOVE(Statement)

    // Prepares one statement and binds params; the error text when that fails.
    std::optional<QString> prepare(const QString &sql, const QVariantList &params);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return sqlite3_step(m_stmt); }
    QStringList row() const;
    bool hasColumns() const { return sqlite3_column_count(m_stmt) > 0; }
    bool firstColumnIsNull() const { return sqlite3_column_type(m_stmt, 0) == SQLITE_NULL; }

private:
    bool bind(int index, const QVariant &value);

    sqlite3_stmt *m_stmt = nullptr;
};

std::optional<QString> Statement::prepare(const QString &sql, const QVariantList &params)
{
    if (!connection)
        return notOpenError;
    const QByteArray text = sql.toUtf8();
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(connection, text.constData(), int(text.size()), &m_stmt, &tail) != SQLITE_OK)
        return lastError();
    if (!m_stmt)
        return QStringLiteral("no statement in the SQL text");
    // A second statement would otherwise be dropped without a word.
    if (!QByteArray(tail).trimmed().isEmpty())
        return QStringLiteral("more than one statement in the SQL text");
    if (sqlite3_bind_parameter_count(m_stmt) != params.size())
        return QStringLiteral("the statement takes %1 values, %2 given")
            .arg(sqlite3_bind_parameter_count(m_stmt))
            .arg(params.size());
    for (int i = 0; i < params.size(); ++i) {
        if (!bind(i + 1, params.at(i)))
            return lastError();
    }
    return std::nullopt;
}

bool Statement::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(m_stmt, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            // Above the signed range SQLite has no integer for it; keep the digits as text.
            if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max())) {
                const QByteArray digits = QByteArray::number(value.toULongLong());
                rc = sqlite3_bind_text(m_stmt, index, digits.constData(), int(digits.size()), SQLITE_TRANSIENT);
            } else {
                rc = sqlite3_bind_int64(m_stmt, index, qint64(value.toULongLong()));
            }
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob(m_stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    return rc == SQLITE_OK;
}

QStringList Statement::row() const
{
    QStringList columns;
    const int count = sqlite3_column_count(m_stmt);
    columns.reserve(count);
    for (int i = 0; i < count; ++i) {
        // Text of a NULL column is a null pointer, which reads as "".
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, i));
        columns.append(QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, i)));
    }
    return columns;
}

DbResult failure(const QString &error)
{
    DbResult result;
    result.error = error;
    return result;
}

DbResult run(const QString &sql, const QVariantList &params, bool keepRows)
{
    Statement statement;
    if (auto error = statement.prepare(sql, params))
        return failure(*error);
    DbResult result;
    for (;;) {
        const int rc = statement.step();
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            return failure(lastError());
        if (keepRows)
            result.rows.append(statement.row());
    }
    result.ok = true;
    return result;
}

// How a single-row read ended.
enum class FirstRow { Row, NoRow, Failed };

// Steps a query to its first row only; later rows are never read. value gets the first column
// when it is not NULL.
FirstRow readFirstRow(const QString &sql, const QVariantList &params, std::optional<QString> &value)
{
    value.reset();
    Statement statement;
    if (auto error = statement.prepare(sql, params)) {
        Console::printLine(*error);
        return FirstRow::Failed;
    }
    const int rc = statement.step();
    if (rc == SQLITE_DONE)
        return FirstRow::NoRow;
    if (rc != SQLITE_ROW) {
        Console::printLine(lastError());
        return FirstRow::Failed;
    }
    if (statement.hasColumns() && !statement.firstColumnIsNull())
        value = statement.row().constFirst();
    return FirstRow::Row;
}

// The database holds the remembered e-mail and password: only the user may reach it. The folder
// and the file are made private, and those that earlier versions left open to others are tightened
// at every start. SQLite gives its journal files the mode of the database file. Failures are
// printed; the start goes on.
void printModeError(const QString &what, const QString &path, int error)
{
    Console::printLine(QStringLiteral("Error: ") + what + QStringLiteral(" ") + path + QStringLiteral(": ")
                       + QString::fromLocal8Bit(std::strerror(error)));
}

void makePrivateFolder(const QString &dir)
{
    const QByteArray name = QFile::encodeName(dir);
    // Made with its final mode, so that it is never open to others, not even for a moment.
    (void)::mkdir(name.constData(), 0700);
    // Does nothing when the folder is there now; otherwise says why it cannot be made (a file in
    // its place, say), as every folder creation does. Opening the database then fails and says so.
    UtilSystem::createDirIfNotExist(dir);
    struct stat st;
    if (::stat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & 07777) != 0700
        && ::chmod(name.constData(), 0700) != 0)
        printModeError(QStringLiteral("cannot make private"), dir, errno);
}

void makePrivateFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    // Created with its final mode, so that it is never readable by others, not even for a moment.
    const int fd = ::open(name.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return; // SQLite says why when it cannot open it either
    struct stat st;
    // Something else in the file's place is SQLite's to refuse, not ours to change.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 07777) != 0600 && ::fchmod(fd, 0600) != 0)
        printModeError(QStringLiteral("cannot make private"), path, errno);
    ::close(fd);
}

} // namespace

void UtilDB::open()
{
    QString dir = UtilSystem::getDocumentPath(QStringLiteral("Fenmar"));
    UtilSystem::createDirIfNotExist(dir);
    dir = dir + "/" + "db";
    makePrivateFolder(dir);
    const QString path = dir + "/fenmar.dat";
    Console::printLine("Fenmar Local Cache @ " + path);
    openAt(path);
}

bool UtilDB::openAt(const QString &path)
{
    close();
    makePrivateFile(path);
    sqlite3 *handle = nullptr;
    const QByteArray name = path.toUtf8();
    if (sqlite3_open_v2(name.constData(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        Console::printLine(handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QStringLiteral("out of memory"));
        sqlite3_close(handle);
        return false;
    }
    connection = handle;
    createTables();
    return true;
}

void UtilDB::close()
{
    sqlite3_close_v2(connection);
    connection = nullptr;
    tablesCreated = false;
}

bool UtilDB::isOpen()
{
    return connection != nullptr;
}

void UtilDB::createTables()
{
    if (tablesCreated)
        return;
    if (!connection) {
        Console::printLine(QStringLiteral("Error DB"));
        return;
    }
    for (const char *sql : schemaStatements) {
        const DbResult result = exec(QString::fromUtf8(sql));
        if (!result) {
            Console::printLine(result.error);
            break;
        }
    }
    // No retry in the same run: a statement that failed once fails again.
    tablesCreated = true;
}

bool UtilDB::delIcon(const QString &key)
{
    if (!connection)
        return false;
    const DbResult result = exec(QStringLiteral("delete from icons where key=?"), {key});
    if (!result)
        Console::printLine(result.error);
    return result.ok;
}

bool UtilDB::setIcon(const QString &key, const QString &value)
{
    if (!connection)
        return false;
    // The delete only counts when the insert after it succeeds; otherwise the old row stays.
    return runInTransaction([&] {
        delIcon(key);
        const DbResult result = exec(QStringLiteral("insert into icons (key,value) values( ?, ? ) "), {key, value});
        if (!result)
            Console::printLine(result.error);
        return result.ok;
    });
}

QString UtilDB::getIcon(const QString &key)
{
    if (!connection)
        return {};
    std::optional<QString> value;
    readFirstRow(QStringLiteral("select value from icons where key=? "), {key}, value);
    return value.value_or(QString());
}

std::optional<QString> UtilDB::getValue(const QString &sql, const QVariantList &params)
{
    if (!connection)
        return std::nullopt;
    std::optional<QString> value;
    readFirstRow(sql, params, value);
    return value;
}

bool UtilDB::isExist(const QString &sql, const QVariantList &params)
{
    if (!connection)
        return false;
    std::optional<QString> unused;
    return readFirstRow(sql, params, unused) == FirstRow::Row;
}

DbResult UtilDB::query(const QString &sql, const QVariantList &params)
{
    return run(sql, params, true);
}

DbResult UtilDB::exec(const QString &sql, const QVariantList &params)
{
    return run(sql, params, false);
}

bool UtilDB::execPrinted(const QString &sql, const QVariantList &params)
{
    const DbResult result = exec(sql, params);
    if (!result)
        Console::printLine(result.error);
    return result.ok;
}

bool UtilDB::runInTransaction(const std::function<bool()> &work)
{
    if (!connection)
        return false;
    const DbResult begin = exec(QStringLiteral("SAVEPOINT fenmar_work"));
    if (!begin) {
        Console::printLine(begin.error);
        return false;
    }
    if (work()) {
        const DbResult commit = exec(QStringLiteral("RELEASE fenmar_work"));
        if (commit)
            return true;
        Console::printLine(commit.error);
    }
    // Undo, then end the savepoint so that the connection is back where it was.
    exec(QStringLiteral("ROLLBACK TO fenmar_work"));
    exec(QStringLiteral("RELEASE fenmar_work"));
    return false;
}
