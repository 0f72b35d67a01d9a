// Speed and memory of what peers ask about this client's files: paged folder lists and thumbnail
// batches, each printed next to its floor. Makes its own data in a temporary folder.
//
//   file_list_bench            runs everything
//   file_list_bench --thumbs-child LIST   (internal) runs one thumbnail batch, prints its figures

#include "file_item.h"
#include "folder_listing_cache.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int jpegCount = 200;
constexpr int pngCount = 50;
constexpr int rounds = 7;

void say(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QString verdict(bool met)
{
    return met ? QStringLiteral("goal met") : QStringLiteral("GOAL MISSED");
}

// ---- Folder lists ----------------------------------------------------------------------------

// A folder like a large photo or download folder: mostly files of many kinds and sizes, one
// entry in twenty a sub-folder, one in a thousand a link to a sub-folder (whose kind every later
// page looks at again). Sizes are made by truncation, so nothing is written.
void makeFolder(const QString &dir, int entries)
{
    QDir().mkpath(dir);
    std::mt19937_64 random(entries);
    const char *kinds[] = {"jpg", "png", "txt", "pdf", "docx", "mp4", "zip", "HEIC"};
    const QByteArray base = QFile::encodeName(dir) + '/';
    QByteArray linkTarget;
    for (int i = 0; i < entries; ++i) {
        const quint64 r = random();
        if (i % 20 == 0) {
            const QByteArray name = base + QByteArray("Folder ") + QByteArray::number(r % 1000000000, 36);
            mkdir(name.constData(), 0755);
            linkTarget = name;
            continue;
        }
        if (i % 1000 == 1) {
            const QByteArray name = base + QByteArray("Shortcut ") + QByteArray::number(r, 36);
            if (symlink(linkTarget.constData(), name.constData()) != 0)
                std::perror("symlink");
            continue;
        }
        const QByteArray name = base + (i % 3 ? "IMG_" : "report-") + QByteArray::number(r, 36) + '.'
                                + kinds[(r >> 8) % 8];
        const int fd = open(name.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0) {
            if (ftruncate(fd, off_t((r >> 16) % (8 << 20))) != 0)
                std::perror("ftruncate");
            close(fd);
        }
    }
}

// What no listing can beat: read the names, look at each entry once, sort the names.
size_t floorListing(const QString &dir)
{
    DIR *folder = opendir(QFile::encodeName(dir).constData());
    if (!folder)
        return 0;
    std::vector<std::string> names;
    long long bytes = 0;
    while (const dirent *d = readdir(folder)) {
        if (d->d_name[0] == '.')
            continue;
        struct stat st;
        if (fstatat(dirfd(folder), d->d_name, &st, 0) == 0)
            bytes += st.st_size;
        names.emplace_back(d->d_name);
    }
    closedir(folder);
    std::sort(names.begin(), names.end());
    return names.size() + (bytes < 0 ? 1 : 0);
}

struct PageFigures
{
    qint64 count = 0;
    qint64 items = 0;
};

qint64 countRequest(const QString &dir)
{
    qint64 count = 0;
    FileItem::buildFileList(dir, {}, QStringLiteral("0,1"), 1, 50, 1, true, true,
                            [&](const FileListResult &r) { count = r.index.toLongLong(); });
    return count;
}

qint64 pageRequest(const QString &dir, qint64 pageIndex, const QString &orderBy = QStringLiteral("0,1"))
{
    qint64 items = 0;
    FileItem::buildFileList(dir, {}, orderBy, pageIndex, 50, 0, true, true,
                            [&](const FileListResult &r) { items = qint64(r.items.size()); });
    return items;
}

// One visit's first request as the remote browser makes it: the count, then page 1 of 50.
PageFigures firstRequest(const QString &dir)
{
    PageFigures figures;
    figures.count = countRequest(dir);
    figures.items = pageRequest(dir, 1);
    return figures;
}

double millisecondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

void benchListing(const QString &root, int entries)
{
    const QString dir = root + QStringLiteral("/list%1").arg(entries);
    makeFolder(dir, entries);
    // Lets the folder's time settle, as a folder a peer browses has.
    QThread::msleep(200);
    floorListing(dir); // warms the file system's caches for both sides alike

    std::vector<double> floorTimes;
    std::vector<double> firstTimes;
    std::vector<double> laterTimes;
    std::vector<double> countTimes;
    std::vector<double> bySizeTimes;
    PageFigures figures;
    for (int round = 0; round < rounds; ++round) {
        floorTimes.push_back(millisecondsOf([&] { floorListing(dir); }));
        FolderListingCache::shared().clear();
        firstTimes.push_back(millisecondsOf([&] { figures = firstRequest(dir); }));
        // Paging on, and coming back, within the same visit.
        for (qint64 pageIndex : {2, 3, 1})
            laterTimes.push_back(millisecondsOf([&] { pageRequest(dir, pageIndex); }));
        // A count always reads the folder anew.
        countTimes.push_back(millisecondsOf([&] { countRequest(dir); }));
        // So does every page in an order by size, whose keys change without the folder changing.
        bySizeTimes.push_back(millisecondsOf([&] { pageRequest(dir, 2, QStringLiteral("3,0")); }));
    }
    const double floor = median(floorTimes);
    const double first = median(firstTimes);
    const double later = *std::max_element(laterTimes.begin(), laterTimes.end());
    say(QStringLiteral("folder of %1 entries (count %2, page of %3):").arg(entries).arg(figures.count).arg(figures.items));
    say(QStringLiteral("  first request, count + page 1 of 50: %1 ms   floor readdir+stat+sort: %2 ms   "
                       "ratio %3 (goal <= 1.5)  %4")
            .arg(first, 0, 'f', 1)
            .arg(floor, 0, 'f', 1)
            .arg(first / floor, 0, 'f', 2)
            .arg(verdict(first <= 1.5 * floor)));
    say(QStringLiteral("  later pages of the visit, each looked at again, slowest of %1: %2 ms, median %3 ms%4")
            .arg(laterTimes.size())
            .arg(later, 0, 'f', 2)
            .arg(median(laterTimes), 0, 'f', 2)
            .arg(entries >= 100000 ? QStringLiteral("   (goal < 5 ms)  ") + verdict(later < 5.0) : QString()));
    say(QStringLiteral("  a new count, which reads the folder anew: median %1 ms").arg(median(countTimes), 0, 'f', 1));
    say(QStringLiteral("  a page in size order, which reads the folder anew: median %1 ms").arg(median(bySizeTimes), 0, 'f', 1));
}

// ---- Thumbnails ------------------------------------------------------------------------------

// A smooth picture with fine grain, so that it compresses like a photo.
QImage photoLike(QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    std::minstd_rand random(seed);
    const double a = 0.002 + seed * 0.0005;
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int grain = int(random() % 17) - 8;
            const int r = int(128 + 100 * std::sin(x * a + y * 0.001)) + grain;
            const int g = int(128 + 90 * std::sin(y * a * 1.3 + seed)) + grain;
            const int b = int(128 + 80 * std::cos((x + y) * a * 0.7)) + grain;
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return image;
}

QStringList makePictures(const QString &dir)
{
    QDir().mkpath(dir);
    // A few distinct pictures, copied: every file is still decoded on its own.
    const int jpegKinds = 4;
    const int pngKinds = 2;
    std::vector<std::thread> makers;
    for (int k = 0; k < jpegKinds + pngKinds; ++k) {
        makers.emplace_back([k, dir] {
            if (k < jpegKinds)
                photoLike({4000, 3000}, k).save(dir + QStringLiteral("/base%1.jpg").arg(k), "JPEG", 88);
            else
                photoLike({2000, 2000}, k).save(dir + QStringLiteral("/base%1.png").arg(k), "PNG");
        });
    }
    for (std::thread &maker : makers)
        maker.join();
    QStringList files;
    for (int i = 0; i < jpegCount; ++i) {
        const QString path = dir + QStringLiteral("/photo%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        QFile::copy(dir + QStringLiteral("/base%1.jpg").arg(i % jpegKinds), path);
        files.append(path);
    }
    for (int i = 0; i < pngCount; ++i) {
        const QString path = dir + QStringLiteral("/image%1.png").arg(i, 3, 10, QLatin1Char('0'));
        QFile::copy(dir + QStringLiteral("/base%1.png").arg(jpegKinds + i % pngKinds), path);
        files.append(path);
    }
    for (int k = 0; k < jpegKinds + pngKinds; ++k)
        QFile::remove(dir + QStringLiteral("/base%1.%2").arg(k).arg(k < jpegKinds ? "jpg" : "png"));
    return files;
}

qint64 peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Runs in a process of its own, so that its peak memory is the batch's alone.
int thumbsChild(int argc, char **argv, const QString &listFile)
{
    // No screen here, so icons are made at scale 2: 160 pixels, as the comparison asks.
    QCoreApplication app(argc, argv);
    QFile list(listFile);
    if (!list.open(QIODevice::ReadOnly))
        return 1;
    const QString text = QString::fromUtf8(list.readAll());
    const qint64 before = peakKilobytes();
    QElapsedTimer timer;
    timer.start();
    QString answer;
    FileItem::dynaReloadIcons(text, &app, [&](const QString &json) {
        answer = json;
        app.quit();
    });
    app.exec();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const qsizetype icons = answer.count(QStringLiteral("\"iconBase64\":\"data:image/png;base64,iVBOR"));
    std::printf("%.1f %lld %lld %lld\n", ms, (long long)icons, (long long)peakKilobytes(), (long long)before);
    return 0;
}

// Processor time of the child processes waited for so far: a figure that other work on the
// machine does not inflate the way it does wall time.
double childCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double runVips(const QString &vips, const QStringList &files, const QString &outDir, int processes)
{
    QDir().mkpath(outDir);
    std::vector<std::unique_ptr<QProcess>> running;
    QElapsedTimer timer;
    timer.start();
    for (int p = 0; p < processes; ++p) {
        QStringList args{QStringLiteral("-s"), QStringLiteral("160"), QStringLiteral("-o"), outDir + QStringLiteral("/%s.png")};
        for (qsizetype i = p; i < files.size(); i += processes)
            args.append(files[i]);
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // One thread per process when the processes share the cores between them.
        if (processes > 1)
            env.insert(QStringLiteral("VIPS_CONCURRENCY"), QStringLiteral("1"));
        process->setProcessEnvironment(env);
        process->start(vips, args);
        running.push_back(std::move(process));
    }
    for (auto &process : running)
        process->waitForFinished(-1);
    return double(timer.nsecsElapsed()) / 1e6;
}

void benchThumbnails(const QString &root, const QString &self)
{
    const QString dir = root + QStringLiteral("/pictures");
    say(QStringLiteral("making %1 JPEG 4000x3000 and %2 PNG 2000x2000 ...").arg(jpegCount).arg(pngCount));
    const QStringList files = makePictures(dir);

    QString listText = QStringLiteral("[");
    for (qsizetype i = 0; i < files.size(); ++i)
        listText += (i ? QStringLiteral(",\"") : QStringLiteral("\"")) + files[i] + u'|' + QString::number(i)
                    + QStringLiteral("|1|-1\"");
    listText += u']';
    const QString listFile = root + QStringLiteral("/list.json");
    QFile list(listFile);
    list.open(QIODevice::WriteOnly);
    list.write(listText.toUtf8());
    list.close();

    const int cores = QThread::idealThreadCount();
    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
    std::vector<double> ours;
    std::vector<double> vipsTimes;
    qint64 peak = 0;
    qint64 idle = 0;
    qint64 icons = 0;
    std::vector<double> oursCpu;
    std::vector<double> vipsCpu;
    auto timedVips = [&](const QString &outDir, int processes) {
        const double cpuBefore = childCpuSeconds();
        vipsTimes.push_back(runVips(vips, files, outDir, processes));
        vipsCpu.push_back(childCpuSeconds() - cpuBefore);
    };
    auto runOurs = [&]() -> bool {
        const double cpuBefore = childCpuSeconds();
        QProcess child;
        child.start(self, {QStringLiteral("--thumbs-child"), listFile});
        child.waitForFinished(-1);
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split('\n').last().split(' ');
        oursCpu.push_back(childCpuSeconds() - cpuBefore);
        if (figures.size() != 4)
            return false;
        ours.push_back(figures[0].toDouble());
        icons = figures[1].toLongLong();
        peak = std::max(peak, figures[2].toLongLong());
        idle = figures[3].toLongLong();
        return true;
    };
    // Interleaved, and the best run of each side counted, so that other work on the machine
    // weighs on both alike.
    for (int round = 0; round < 4; ++round) {
        if (!runOurs()) {
            say(QStringLiteral("thumbnail batch failed to run"));
            return;
        }
        if (!vips.isEmpty())
            timedVips(root + QStringLiteral("/vips-split"), cores);
        runOurs();
        if (!vips.isEmpty())
            timedVips(root + QStringLiteral("/vips-one"), 1);
    }
    say(QStringLiteral("thumbnail batch of %1 files to 160-pixel PNG data URLs (%2 icons made, %3 cores):")
            .arg(files.size())
            .arg(icons)
            .arg(cores));
    const double oursMs = *std::min_element(ours.begin(), ours.end());
    const double oursCpuS = *std::min_element(oursCpu.begin(), oursCpu.end());
    if (vips.isEmpty()) {
        say(QStringLiteral("  this client: %1 ms (processor %2 s)   vipsthumbnail: not installed "
                           "(apt-get install libvips-tools), comparison skipped")
                .arg(oursMs, 0, 'f', 0)
                .arg(oursCpuS, 0, 'f', 2));
    } else {
        const double vipsMs = *std::min_element(vipsTimes.begin(), vipsTimes.end());
        const double vipsCpuS = *std::min_element(vipsCpu.begin(), vipsCpu.end());
        say(QStringLiteral("  this client: %1 ms   floor vipsthumbnail -s 160 (%2 processes or one): %3 ms   "
                           "(best runs) ratio %4 (goal <= 1.0)  %5")
                .arg(oursMs, 0, 'f', 0)
                .arg(cores)
                .arg(vipsMs, 0, 'f', 0)
                .arg(oursMs / vipsMs, 0, 'f', 2)
                .arg(verdict(oursMs <= vipsMs)));
        say(QStringLiteral("  processor time of the best runs: this client %1 s, vipsthumbnail %2 s (hardly "
                           "moved by other load on the machine, unlike wall time)")
                .arg(oursCpuS, 0, 'f', 2)
                .arg(vipsCpuS, 0, 'f', 2));
    }
    say(QStringLiteral("  peak memory of the batch process: %1 MB (of which %2 MB before the batch)   (goal < 200 MB)  %3")
            .arg(double(peak) / 1024, 0, 'f', 0)
            .arg(double(idle) / 1024, 0, 'f', 0)
            .arg(verdict(peak > 0 && peak < 200 * 1024)));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--thumbs-child")
        return thumbsChild(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/fenmar-bench-XXXXXX"));
    if (!root.isValid()) {
        say(QStringLiteral("cannot make a temporary folder"));
        return 1;
    }
    say(QStringLiteral("data in %1 (removed at the end)").arg(root.path()));
    benchListing(root.path(), 10000);
    benchListing(root.path(), 100000);
    benchThumbnails(root.path(), QCoreApplication::applicationFilePath());
    return 0;
}
