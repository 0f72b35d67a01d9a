#include "unprivileged_run.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// In a user namespace that maps root alone there is no other user to become; root without its
// capabilities is held to a folder's permission bits all the same.
bool dropCapabilities()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[_LINUX_CAPABILITY_U32S_3] = {};
    return syscall(SYS_capset, &header, none) == 0;
}

} // namespace

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
        const bool dropped = (setgid(65534) == 0 && setuid(65534) == 0) || dropCapabilities();
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
