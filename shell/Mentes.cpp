/* Mentes.cpp - saving a file whole or not at all. */
#include "Mentes.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int WriteAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        ssize_t written = write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno;
        data += written;
        left -= written;
    }
    return 0;
}

} // namespace

int SaveWhole(const QString &path, const std::function<int(const TPieceWriter &write)> &produce)
{
    /* A link is followed, so that the file it names is the one replaced. */
    const QFileInfo info(path);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
    const QByteArray name = QFile::encodeName(target);
    mode_t mode = 0644;
    struct stat old;
    if (stat(name.constData(), &old) == 0) {
        if (S_ISDIR(old.st_mode))
            return EISDIR;
        /* A file the user may not change stays so, even where its directory is writable. */
        if (faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0)
            return errno;
        mode = old.st_mode & 07777;
    }
    QByteArray temporary = name + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0)
        return errno;
    int error = fchmod(fd, mode) != 0 ? errno : produce([fd](QByteArrayView piece) { return WriteAll(fd, piece); });
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(temporary.constData(), name.constData()) != 0)
        error = errno;
    if (error != 0)
        unlink(temporary.constData());
    return error;
}

TBackgroundSave::~TBackgroundSave()
{
    if (Thread) {
        Thread->wait();
        delete Thread;
    }
}

void TBackgroundSave::Start(std::function<int()> save, std::function<void(int error)> done)
{
    Finish();
    Done = std::move(done);
    Thread = QThread::create([this, save = std::move(save)] { Error = save(); });
    const unsigned started = ++Started;
    /* Finish may report it before the event loop comes to this. */
    QObject::connect(Thread, &QThread::finished, &Reports, [this, started] {
        if (started == Started)
            Finish();
    }, Qt::QueuedConnection);
    Thread->start();
}

void TBackgroundSave::Finish()
{
    if (!Thread)
        return;
    Thread->wait();
    delete Thread;
    Thread = nullptr;
    const std::function<void(int)> done = std::move(Done);
    done(Error);
}

QString FileErrorText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Nincs hozzá jog (a fájlhoz vagy a mappájához).");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Nincs ilyen fájl vagy mappa.");
    case ENOEXEC:
        return QStringLiteral("Ez nem futtatható program.");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Megtelt a lemez.");
    case EROFS:
        return QStringLiteral("A lemez csak olvasható.");
    case EISDIR:
        return QStringLiteral("Ezen a néven egy mappa van.");
    case EIO:
        return QStringLiteral("Írási vagy olvasási hiba történt a lemezen.");
    default:
        return QStringLiteral("Rendszerhiba (%1): %2").arg(error).arg(QString::fromLocal8Bit(strerror(error)));
    }
}
