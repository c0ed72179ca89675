/* kemlor_screenshot - writes the window as it opens and after a run on the
 * example board into <directory>/kemlor-start.png and kemlor-run.png, and
 * the drilling plan beside the window, with the cursor on a plunge, into
 * kemlor-plan.png. */
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPlainTextEdit>
#include <cstdio>

#include "Ablak.h"
#include "Terv.h"
#include "shell_test.h"
#include "test_support.h"

static bool Save(TForm1 &form, const QString &path)
{
    QApplication::processEvents();
    if (!form.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

/* The window and the plan side by side, the fourth hole picked in the plan. */
static bool SavePlan(TForm1 &form, const QString &path)
{
    form.Plan->resize(640, form.height());
    QApplication::processEvents();
    form.Plan->CanvasHoleClick(3);
    QApplication::processEvents();
    const QPixmap window = form.grab(), plan = form.Plan->grab();
    QImage both(window.width() + 8 + plan.width(), std::max(window.height(), plan.height()),
                QImage::Format_RGB32);
    both.fill(Qt::darkGray);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, window);
    painter.drawPixmap(window.width() + 8, 0, plan);
    painter.end();
    if (!both.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }
    const QString directory = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(directory);

    TForm1 form;
    InstallFakeDialogs(form);
    form.show();
    if (!Save(form, directory + "/kemlor-start.png"))
        return 1;

    temp_dir work;
    const QString board = QString::fromStdString(work.file("board.gbr"));
    if (!QFile::copy(QStringLiteral(EXAMPLES_DIR "/board.gbr"), board)) {
        std::fprintf(stderr, "no example board\n");
        return 1;
    }
    ConverterPath = QStringLiteral(DRELVO_BIN);
    InputFileName = board;
    form.StartButtonClick();
    if (form.RichEdit->toPlainText().isEmpty()) {
        std::fprintf(stderr, "the run gave no G-code\n");
        return 1;
    }
    if (!Save(form, directory + "/kemlor-run.png"))
        return 1;
    return SavePlan(form, directory + "/kemlor-plan.png") ? 0 : 1;
}
