// SPDX-License-Identifier: MIT
#include "platform/FileFault.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

FileFault FileFault::fromErrno(int error)
{
    FileFault fault;
    fault.detail = QString::fromLocal8Bit(std::strerror(error));
    switch (error) {
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        fault.kind = Kind::DiskFull;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        fault.kind = Kind::NoAccess;
        break;
    case EISDIR:
    case ENOTDIR:
        fault.kind = Kind::NotAFile;
        break;
    default:
        fault.kind = Kind::Other;
        break;
    }
    return fault;
}

QString FileFault::reason() const
{
    switch (kind) {
    case Kind::DiskFull:
        return QStringLiteral("ディスクがいっぱいです");
    case Kind::NoAccess:
        return QStringLiteral("アクセスが許可されていません");
    case Kind::LockHeld:
        return QStringLiteral("ほかのプログラムが設定ファイルを使っています");
    case Kind::NotAFile:
        return QStringLiteral("ファイルの場所にフォルダなどがあります");
    case Kind::Other:
        break;
    }
    return detail.isEmpty() ? QStringLiteral("読み書きできません")
                            : QStringLiteral("読み書きできません（%1）").arg(detail);
}

ReadProbe probeForReading(const QString &path)
{
    ReadProbe probe;
    const QByteArray name = QFile::encodeName(path);
#ifdef Q_OS_WIN
    struct _stat64 st = {};
    if (::_stat64(name.constData(), &st) != 0) {
#else
    struct stat st = {};
    if (::stat(name.constData(), &st) != 0) {
#endif
        // ENOTDIR: a file stands where a folder on the way should be, so no store can be
        // there either, and nothing can be written over.
        if (errno == ENOENT || errno == ENOTDIR)
            return probe;
        probe.state = ReadProbe::State::Unreadable;
        probe.fault = FileFault::fromErrno(errno);
        return probe;
    }
    if (!S_ISREG(st.st_mode)) {
        probe.state = ReadProbe::State::Unreadable;
        probe.fault = FileFault::fromErrno(EISDIR);
        probe.fault.kind = FileFault::Kind::NotAFile;
        return probe;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        probe.state = ReadProbe::State::Unreadable;
        probe.fault = FileFault::fromErrno(errno ? errno : EIO);
        return probe;
    }
    probe.state = ReadProbe::State::Readable;
    return probe;
}

int writeFully(QFileDevice &file, QByteArrayView bytes)
{
    if (!file.flush())
        return EIO;
    const int fd = file.handle();
    const char *p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const unsigned chunk = unsigned(std::min<qsizetype>(left, 1 << 30));
#ifdef Q_OS_WIN
        const int n = ::_write(fd, p, chunk);
#else
        const ssize_t n = ::write(fd, p, chunk);
#endif
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        p += n;
        left -= n;
    }
    return 0;
}

int syncToDisk(QFileDevice &file)
{
    if (!file.flush())
        return EIO;
#ifdef Q_OS_WIN
    return ::_commit(file.handle()) == 0 ? 0 : errno;
#else
    return ::fsync(file.handle()) == 0 ? 0 : errno;
#endif
}

} // namespace platform
