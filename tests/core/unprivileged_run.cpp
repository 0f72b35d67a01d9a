#include "unprivileged_run.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

std::string runUnprivileged(const std::function<std::string(const QString &base)> &check)
{
    QTemporaryDir shared;
    chmod(QFile::encodeName(shared.path()).constData(), 0777);
    if (geteuid() != 0)
        return check(shared.path());
    std::fflush(stdout);
    int fds[2];
    if (pipe(fds) != 0)
        return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
        const std::string problem = dropped ? check(shared.path()) : "cannot become nobody";
        _exit(write(fds[1], problem.data(), problem.size()) == ssize_t(problem.size()) ? 0 : 1);
    }
    close(fds[1]);
    std::string problem;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        problem.append(buffer, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? problem : "child failed: " + problem;
}
