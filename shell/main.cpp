/* main.cpp - kemlor, the windowed shell of the drelvo converter. */
#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "Ablak.h"

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(ApplicationTitle));
    try {
        TForm1 form;
        Form1 = &form;
        form.show();
        return application.exec();
    } catch (const std::exception &error) {
        QMessageBox::critical(nullptr, QString::fromLatin1(ApplicationTitle), QString::fromLocal8Bit(error.what()));
        return 1;
    }
}
