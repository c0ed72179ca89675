/* kemlor_screenshot - writes the window as it opens, after a run on the
 * example board, the drilling plan beside the window with the cursor on a
 * plunge, and the window after a run that fails, with the box it shows, into
 * <directory>/kemlor-start.png, kemlor-run.png, kemlor-plan.png and
 * kemlor-failed.png. */
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <cstdio>

#include "Ablak.h"
#include "plan/Terv.h"
#include "shell_test.h"
#include "test_support.h"

/* A board whose second hole lies below the origin, which the converter refuses. */
static const char NegativeBoard[] = "%FSLAX24Y24*%\n%MOIN*%\n%ADD10C,0.0320*%\nG54D10*\n"
                                    "X010000Y010000D03*\nX020000Y-005000D03*\nM02*\n";

static bool Save(const QPixmap &picture, const QString &path)
{
    if (!picture.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

static bool SaveWindow(TForm1 &form, const QString &path)
{
    QApplication::processEvents();
    return Save(form.grab(), path);
}

/* The window with the box over its middle, as the desktop shows it: the real
 * box, under a plain title bar that carries its caption. */
static QPixmap WithBox(TForm1 &form, const TShownBox &shown)
{
    QMessageBox box(QMessageBox::NoIcon, shown.caption, shown.text, QMessageBox::Ok, &form);
    box.show();
    QApplication::processEvents();
    const QPixmap content = box.grab();
    box.hide();
    QPixmap picture = form.grab();
    QPainter painter(&picture);
    const int bar = 22;
    const QRect frame((picture.width() - content.width()) / 2 - 1, (picture.height() - content.height() - bar) / 2 - 1,
                      content.width() + 1, content.height() + bar + 1);
    painter.fillRect(frame.adjusted(0, 0, 0, -content.height()), QColor(60, 80, 110));
    painter.setPen(Qt::white);
    painter.drawText(frame.adjusted(8, 0, 0, -content.height() - 1), Qt::AlignVCenter | Qt::AlignLeft, shown.caption);
    painter.drawPixmap(frame.left() + 1, frame.top() + 1 + bar, content);
    painter.setPen(Qt::black);
    painter.drawRect(frame);
    return picture;
}

/* The window and the plan side by side, the fourth hole picked in the plan. */
static bool SavePlan(TForm1 &form, const QString &path)
{
    form.PlanWindow()->resize(640, form.height());
    QApplication::processEvents();
    form.PlanWindow()->CanvasHoleClick(3);
    QApplication::processEvents();
    const QPixmap window = form.grab(), plan = form.PlanWindow()->grab();
    QPixmap both(window.width() + 8 + plan.width(), std::max(window.height(), plan.height()));
    both.fill(Qt::darkGray);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, window);
    painter.drawPixmap(window.width() + 8, 0, plan);
    painter.end();
    return Save(both, path);
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
    InstallQtTranslations();

    TForm1 form;
    TFakeDialogs *dialogs = InstallFakeDialogs(form);
    form.show();
    if (!SaveWindow(form, directory + "/kemlor-start.png"))
        return 1;

    temp_dir work;
    const QString board = QString::fromStdString(work.file("board.gbr"));
    if (!QFile::copy(QStringLiteral(EXAMPLES_DIR "/board.gbr"), board)) {
        std::fprintf(stderr, "no example board\n");
        return 1;
    }
    ConverterPath = QStringLiteral(DRELVO_BIN);
    dialogs->Answer = board;
    form.OpenButtonClick();
    form.StartButtonClick();
    if (form.Editor()->toPlainText().isEmpty() || !dialogs->Boxes.empty()) {
        std::fprintf(stderr, "the run gave no G-code\n");
        return 1;
    }
    if (!SaveWindow(form, directory + "/kemlor-run.png") || !SavePlan(form, directory + "/kemlor-plan.png"))
        return 1;

    dialogs->Answer = QString::fromStdString(work.file("fúró lap.gbr"));
    write_file(work.file("fúró lap.gbr"), NegativeBoard);
    form.OpenButtonClick();
    form.StartButtonClick();
    if (dialogs->Boxes.size() != 1) {
        std::fprintf(stderr, "the failing run showed no box\n");
        return 1;
    }
    return Save(WithBox(form, dialogs->Boxes[0]), directory + "/kemlor-failed.png") ? 0 : 1;
}
