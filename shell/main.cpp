/* main.cpp - kemlor, the windowed shell of the drelvo converter. */
#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

#include "Ablak.h"
#include "ProgramLoader.h"

/* Started with a standard stream closed, the process would hand out its
 * number to the next file or pipe it opens; /dev/null holds those places. */
static void KeepStandardStreamsTaken()
{
    int fd;
    while ((fd = open("/dev/null", O_RDWR)) >= 0 && fd <= STDERR_FILENO) {
    }
    if (fd > STDERR_FILENO)
        close(fd);
}

int main(int argc, char **argv)
{
    KeepStandardStreamsTaken();
    KeepLargeBlocksMapped();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(ApplicationTitle));
    InstallQtTranslations();
    try {
        TForm1 form;
        Form1 = &form;
        form.show();
        /* "kemlor <file>": the file chosen as if picked; Qt has taken its own options out. */
        if (argc > 1)
            form.OpenNamed(QByteArray(argv[1]));
        return application.exec();
    } catch (const std::exception &error) {
        QMessageBox::critical(nullptr, QString::fromLatin1(ApplicationTitle), QString::fromLocal8Bit(error.what()));
        return 1;
    }
}
