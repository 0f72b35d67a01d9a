#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QObject;

// Static helpers for paths, files, input checks, random codes, size and time texts, open panels
// and opening web addresses.
//
// Path texts may come from this machine or from a peer whose paths use backslashes and drive
// letters. The separator of a path is "/" when its first character is "/" and "\" otherwise (so a
// relative dir/f.txt is a backslash path whose "/" is an ordinary character). A backslash path
// whose text without its final separator is two characters long (a drive such as C:) keeps or
// gets its final backslash. The path-text functions never touch the disk.
//
// Everything except the panels and openURL is safe to call from any thread: the file operations
// run on workers that serve peers.
class UtilSystem final
{
public:
    UtilSystem() = delete;

    // ---- Paths and files -------------------------------------------------------------------

    // The user's Documents folder (made when missing) with name appended as one path component.
    static QString getDocumentPath(const QString &name);

    // Makes the folder and its missing parents unless a folder is already there;
    // prints "Error: " and the reason when that fails.
    static void createDirIfNotExist(const QString &path);

    // Names of the entries of a folder that are not hidden, in the order the file system gives.
    // kind 0: every entry, 1: folders only, anything else: files only. A non-empty filter keeps
    // the names that contain it, ignoring case. An empty list when path is no readable folder.
    static QStringList getFileList(const QString &path, std::uint8_t kind, const QString &filter);

    // The names whose lower-cased form contains the lower-cased filter, in order.
    static QStringList filterNames(const QStringList &names, const QString &filter);

    // base + sep + name. A given sep is left out when base already ends with its first character;
    // an empty sep is derived from base and always inserted (/a/ and b give /a//b).
    static QString pathJoin(const QString &base, const QString &name, const QString &sep = QString());

    // Removes one final separator; / stays /, C:\ stays C:\.
    static QString trimEndSeparator(const QString &path);

    // Adds the path's own separator unless it already ends with it; "" stays "", C: gives C:\.
    static QString appendEndSeparator(const QString &path);

    // The last component: /a/b/ gives b, C:\ and / give "".
    static QString getFileName(const QString &path);

    // The text after the last "." of the file name, case kept; "" when the name has no ".".
    static QString getFileExt(const QString &path);

    // /a/b/c gives /a/b, /a gives /, C:\dir gives C:\, a bare name gives "\".
    static QString getParentPath(const QString &path);

    // Maps path below fromRoot to the same place below toRoot, in toRoot's separator style.
    static QString convertPath(const QString &toRoot, const QString &fromRoot, const QString &path);

    // Size in bytes; 0 when it cannot be read.
    static qint64 getFileSize(const QString &path);

    // Creation time as local wall-clock time labelled UTC (creation + the current offset from
    // UTC). The current time when the item cannot be read (printed).
    static QDateTime getFileTime(const QString &path);

    // Something exists at path and it is not a folder.
    static bool isFile(const QString &path);

    // 2 a folder, 1 a file, 0 nothing (also for "").
    static int getPathType(const QString &path);

    // op "delete" removes every path of the "|"-joined list (folders with their contents),
    // printing "Failed to remove file." for each one that fails; other ops do nothing.
    static void fileOperation(const QString &op, const QString &paths);

    // Removes a file, link or folder with its contents; prints "Failed to remove file." and
    // returns false when that fails.
    static bool removeFile(const QString &path);

    // Moves the file from to to, replacing a file already at to. The old destination survives
    // a failed move. Returns false (and prints why) when from is no file or the move fails.
    static bool renameFile(const QString &from, const QString &to);

    // ---- Validation, random codes, size and time texts -------------------------------------

    // 1 to 30 ASCII letters or digits.
    static bool isValidTag(const QString &s);

    // name@domain.tld with a 2 to 63 letter top-level part; false for "".
    static bool isValidEmail(const QString &s);

    // min to max ASCII letters or digits; false when the bounds make no range.
    static bool isValidAlnum(const QString &s, int min, int max);

    // len + 1 characters from 0-9 and A-Z, drawn from the system's cryptographic source.
    static QString randomString(int len);

    // "0.00 bytes", "1024.00 bytes", "1.00 KB", "1.50 KB", "1024.00 KB", "1.00 MB" ...
    // always with "." as the decimal point.
    static QString formatFileSize(std::uint64_t bytes);

    // Short date and time in the user's locale of a file time as getFileTime gives it (a
    // wall-clock time written as UTC), shown as that wall-clock time. t is seconds since 1970,
    // or milliseconds when it has 13 digits or 14 characters.
    static QString formatTime(qint64 t);

    // ---- Panels and the browser (GUI thread only) ------------------------------------------

    // The open panel itself lives in the widget layer, which registers it at start-up.
    // A provider shows a panel titled title, with the resize handle, hidden files not shown,
    // several items selectable, folders only when chooseDir and files only otherwise, and gives
    // the chosen paths in the panel's order (an empty list when the user cancels).
    struct PanelProvider
    {
        std::function<void(const QString &title, bool chooseDir, QObject *asker,
                           std::function<void(const QStringList &chosen)> done)>
            showAsync;
        std::function<QStringList(const QString &title, bool chooseDir)> showModal;
    };
    // An empty provider (the default) answers every panel as cancelled.
    static void setPanelProvider(PanelProvider provider);

    // The title of the panels that choose a share's folder and the download folder, the same in
    // every language.
    static constexpr char choosePathTitle[] = "Choose one file or folder";

    // Shows the panel without blocking; completion later gets the chosen paths joined with "|",
    // or "" when cancelled. completion runs on the GUI thread. The window stays usable while the
    // panel is open, so the same asker (the page or sheet whose button opens it) may ask again:
    // its panel still open comes to the front instead, and only that panel answers.
    static void selectPathAsync(const QString &title, bool chooseDir,
                                std::function<void(const QString &paths)> completion, QObject *asker = nullptr);

    // Shows the panel modally; the chosen paths joined with "|", or "" when cancelled.
    static QString selectPath(const QString &title, bool chooseDir);

    // Opens a web address in the user's browser; a text that forms no URL is ignored.
    static void openURL(const QString &s);
};

// The last piece of s split on sep; s itself when sep is empty or absent, "" when s ends with sep.
QString lastComponent(const QString &sep, const QString &s);
