#include "support/SmallDisk.h"

#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool writeFile(const char* path, const std::string& text)
{
    const int fd = ::open(path, O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = writeAll(fd, text.data(), text.size());
    ::close(fd);
    return ok;
}

// In the child: a mount namespace of its own (as root, or as the user's own
// root in a new user namespace), with nothing of it seen outside.
bool privateMounts(std::string& why)
{
    if (::unshare(CLONE_NEWNS) != 0) {
        const uid_t uid = ::getuid();
        const gid_t gid = ::getgid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            why = std::string("unshare: ") + std::strerror(errno);
            return false;
        }
        writeFile("/proc/self/setgroups", "deny");
        if (!writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
            why = std::string("uid_map: ") + std::strerror(errno);
            return false;
        }
    }
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        why = std::string("mount --make-rprivate: ") + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

SmallDiskRun onSmallDisk(qint64 bytes, const std::function<int(const QString& dir, QString& text)>& work)
{
    QTemporaryDir mountPoint;
    SmallDiskRun run;
    int fds[2];
    if (!mountPoint.isValid() || ::pipe(fds) != 0) {
        run.text = QStringLiteral("no temporary folder or pipe");
        return run;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        run.text = QStringLiteral("fork: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return run;
    }
    if (pid == 0) {
        ::close(fds[0]);
        const QByteArray where = mountPoint.path().toLocal8Bit();
        std::string why;
        if (!privateMounts(why)) {
            writeAll(fds[1], why.data(), why.size());
            ::_exit(99);
        }
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
        if (::mount("tarsela-prueba", where.constData(), "tmpfs", 0, options.c_str()) != 0) {
            why = std::string("mount tmpfs: ") + std::strerror(errno);
            writeAll(fds[1], why.data(), why.size());
            ::_exit(99);
        }
        QString text;
        const int code = work(mountPoint.path(), text);
        const QByteArray out = text.toUtf8();
        writeAll(fds[1], out.constData(), size_t(out.size()));
        ::_exit(code & 0xff);
    }
    ::close(fds[1]);
    QByteArray got;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got.append(buf, int(n));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.text = QString::fromUtf8(got);
    return run;
}

bool fillDisk(const QString& dir)
{
    const QByteArray path = (dir + QStringLiteral("/relleno")).toLocal8Bit();
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    static const char block[4096] = {};
    bool full = false;
    for (;;) {
        const ssize_t n = ::write(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            full = errno == ENOSPC;
            break;
        }
        // A short write took the last bytes that fit; the next one says
        // there is no room. A write that takes nothing ends it too.
        if (n == 0)
            break;
    }
    ::close(fd);
    return full;
}
