/* The window as it opens: settings, layout, texts, fonts, colours, focus
 * order; and where the shell looks for the converter. */
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <algorithm>
#include <iterator>

#include "Ablak.h"
#include "Controls.h"
#include "shell_test.h"
#include "test_support.h"

class WindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> Form;

private slots:
    void initTestCase()
    {
        Form = std::make_unique<TForm1>();
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
        /* The settings start as the panel shows them, and opening the window leaves them so. */
        const TShellSettings &s = ShellSettings;
        QCOMPARE(s.IntegerDigits, 2);
        QCOMPARE(s.UnitChoice, 0);
        QCOMPARE(s.SpinChoice, 0);
        QCOMPARE(s.TurnValue, 1000);
        QCOMPARE(s.FeedValue, 400);
        QCOMPARE(s.NeutralValue, 2);
        QCOMPARE(s.DepthValue, 2);
        QVERIFY(s.XCoordValue == 0.0);
        QVERIFY(s.YCoordValue == 0.0);
    }

    void windowFrame()
    {
        QCOMPARE(Form->windowTitle(), QStringLiteral("Kemlor"));
        QCOMPARE(Form->size(), QSize(770, 576));
        QCOMPARE(Form->minimumSize(), QSize(770, 576));
        QCOMPARE(Form->maximumSize(), QSize(770, 576));
        const Qt::WindowFlags flags = Form->windowFlags();
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(Form->palette().color(QPalette::Window), QColor(0, 255, 255));
        QVERIFY(Form->autoFillBackground());
        QCOMPARE(Form->font().pixelSize(), 11);
        QCOMPARE(Form->Editor()->font().pixelSize(), 11);
    }

    void layout_data()
    {
        QTest::addColumn<QWidget *>("control");
        QTest::addColumn<QRect>("geometry");
        TForm1 &f = *Form;
        const int rowTops[9] = {32, 88, 144, 200, 256, 312, 368, 424, 480};
        QWidget *bevels[9] = {Control<TBevel>(f, "Bevel1"), Control<TBevel>(f, "Bevel2"), Control<TBevel>(f, "Bevel3"),
                              Control<TBevel>(f, "Bevel4"), Control<TBevel>(f, "Bevel5"), Control<TBevel>(f, "Bevel6"),
                              Control<TBevel>(f, "Bevel7"), Control<TBevel>(f, "Bevel8"), Control<TBevel>(f, "Bevel9")};
        for (int i = 0; i < 9; ++i)
            QTest::addRow("Bevel%d", i + 1) << bevels[i] << QRect(8, rowTops[i], 353, 41);
        QTest::newRow("Bevel10") << (QWidget *)Control<TBevel>(f, "Bevel10") << QRect(8, 536, 753, 41);
        QTest::newRow("Bevel11") << (QWidget *)Control<TBevel>(f, "Bevel11") << QRect(376, 32, 385, 489);
        QTest::newRow("Label1") << (QWidget *)Control<QLabel>(f, "Label1") << QRect(152, 8, 76, 18);
        QTest::newRow("RichEditLabel") << (QWidget *)Control<QLabel>(f, "RichEditLabel") << QRect(512, 8, 125, 18);
        QTest::newRow("IntegerLabel") << (QWidget *)Control<QLabel>(f, "IntegerLabel") << QRect(16, 40, 72, 16);
        QTest::newRow("TurnLabel") << (QWidget *)Control<QLabel>(f, "TurnLabel") << QRect(16, 208, 168, 16);
        QTest::newRow("YCoordLabel") << (QWidget *)Control<QLabel>(f, "YCoordLabel") << QRect(16, 488, 127, 16);
        QTest::newRow("IntegerEdit") << (QWidget *)Control<TCSpinEdit>(f, "IntegerEdit") << QRect(192, 40, 73, 26);
        QTest::newRow("UnitComboBox") << (QWidget *)Control<TComboBox>(f, "UnitComboBox") << QRect(192, 96, 73, 24);
        QTest::newRow("SpinComboBox") << (QWidget *)Control<TComboBox>(f, "SpinComboBox") << QRect(192, 152, 73, 24);
        QTest::newRow("TurnEdit") << (QWidget *)Control<TCSpinEdit>(f, "TurnEdit") << QRect(192, 208, 73, 26);
        QTest::newRow("FeedEdit") << (QWidget *)Control<TCSpinEdit>(f, "FeedEdit") << QRect(192, 264, 73, 26);
        QTest::newRow("NeutralEdit") << (QWidget *)Control<TCSpinEdit>(f, "NeutralEdit") << QRect(192, 320, 73, 26);
        QTest::newRow("DepthEdit") << (QWidget *)Control<TCSpinEdit>(f, "DepthEdit") << QRect(192, 376, 73, 26);
        QTest::newRow("XCoordEdit") << (QWidget *)Control<TEdit>(f, "XCoordEdit") << QRect(192, 432, 57, 24);
        QTest::newRow("XCoordSpinButton")
            << (QWidget *)Control<TCSpinButton>(f, "XCoordSpinButton") << QRect(248, 432, 17, 25);
        QTest::newRow("YCoordEdit") << (QWidget *)Control<TEdit>(f, "YCoordEdit") << QRect(192, 488, 57, 24);
        QTest::newRow("YCoordSpinButton")
            << (QWidget *)Control<TCSpinButton>(f, "YCoordSpinButton") << QRect(248, 488, 17, 25);
        QTest::newRow("IntegerHelp") << (QWidget *)Control<QPushButton>(f, "IntegerHelp") << QRect(280, 40, 75, 25);
        QTest::newRow("YCoordHelp") << (QWidget *)Control<QPushButton>(f, "YCoordHelp") << QRect(280, 488, 75, 25);
        QTest::newRow("RichEdit") << (QWidget *)f.Editor() << QRect(384, 40, 369, 473);
        QTest::newRow("OpenButton") << (QWidget *)Control<QPushButton>(f, "OpenButton") << QRect(56, 544, 97, 25);
        QTest::newRow("StartButton") << (QWidget *)Control<QPushButton>(f, "StartButton") << QRect(240, 544, 97, 25);
        QTest::newRow("SaveFile") << (QWidget *)Control<QPushButton>(f, "SaveFile") << QRect(432, 544, 97, 25);
        QTest::newRow("ExitButton") << (QWidget *)Control<QPushButton>(f, "ExitButton") << QRect(616, 544, 97, 25);
        QTest::newRow("OptionsButton") << (QWidget *)Control<QPushButton>(f, "OptionsButton") << QRect(8, 4, 138, 25);
    }

    void layout()
    {
        QFETCH(QWidget *, control);
        QFETCH(QRect, geometry);
        if (qobject_cast<QLabel *>(control)) {
            /* A label grows to its caption when a stand-in font is wider. */
            QCOMPARE(control->pos(), geometry.topLeft());
            QCOMPARE(control->height(), geometry.height());
            QVERIFY(control->width() >= geometry.width());
            QVERIFY(control->width() >= control->sizeHint().width());
        } else {
            QCOMPARE(control->geometry(), geometry);
        }
        QVERIFY(control->isVisible());
        QVERIFY(control->isEnabled());
    }

    void rowCaptionsStayClearOfTheValues()
    {
        TForm1 &f = *Form;
        for (QLabel *row :
             {Control<QLabel>(f, "IntegerLabel"), Control<QLabel>(f, "UnitLabel"), Control<QLabel>(f, "SpinLabel"),
              Control<QLabel>(f, "TurnLabel"), Control<QLabel>(f, "FeedLabel"), Control<QLabel>(f, "NeutralLabel"),
              Control<QLabel>(f, "DepthLabel"), Control<QLabel>(f, "XCoordLabel"), Control<QLabel>(f, "YCoordLabel")})
            QVERIFY2(row->geometry().right() < 192, qPrintable(row->text()));
    }

    void texts_data()
    {
        QTest::addColumn<QWidget *>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hint");
        TForm1 &f = *Form;
        const QString none;
        QTest::newRow("Label1") << (QWidget *)Control<QLabel>(f, "Label1") << "beállítások" << none;
        QTest::newRow("RichEditLabel") << (QWidget *)Control<QLabel>(f, "RichEditLabel") << "G-kód szerkesztő" << none;
        QTest::newRow("IntegerLabel") << (QWidget *)Control<QLabel>(f, "IntegerLabel") << "egészrész" << none;
        QTest::newRow("UnitLabel") << (QWidget *)Control<QLabel>(f, "UnitLabel") << "mértékegység" << none;
        QTest::newRow("SpinLabel") << (QWidget *)Control<QLabel>(f, "SpinLabel") << "forgásirány" << none;
        QTest::newRow("TurnLabel") << (QWidget *)Control<QLabel>(f, "TurnLabel") << "fordulatszám [ford/perc]" << none;
        QTest::newRow("FeedLabel") << (QWidget *)Control<QLabel>(f, "FeedLabel") << "előtolás [mm/perc]" << none;
        QTest::newRow("NeutralLabel") << (QWidget *)Control<QLabel>(f, "NeutralLabel") << "alaphelyzet [mm]" << none;
        QTest::newRow("DepthLabel") << (QWidget *)Control<QLabel>(f, "DepthLabel") << "mélység [mm]" << none;
        QTest::newRow("XCoordLabel") << (QWidget *)Control<QLabel>(f, "XCoordLabel") << "X koordináta [mm]" << none;
        QTest::newRow("YCoordLabel") << (QWidget *)Control<QLabel>(f, "YCoordLabel") << "Y koordináta [mm]" << none;
        QTest::newRow("IntegerEdit") << (QWidget *)Control<TCSpinEdit>(f, "IntegerEdit") << "2"
                                     << "A gerber fájl koordinátáinak földolgozásába nyúl bele.";
        QTest::newRow("UnitComboBox") << (QWidget *)Control<TComboBox>(f, "UnitComboBox") << "mm"
                                      << "A G kódú koordináták mértékegységét választja ki.";
        QTest::newRow("SpinComboBox") << (QWidget *)Control<TComboBox>(f, "SpinComboBox") << "jobb"
                                      << "A főorsó forgásirányát adja meg.";
        QTest::newRow("TurnEdit") << (QWidget *)Control<TCSpinEdit>(f, "TurnEdit") << "1000"
                                  << "A főorsó fordulatszámát állítja be.";
        QTest::newRow("FeedEdit") << (QWidget *)Control<TCSpinEdit>(f, "FeedEdit") << "400"
                                  << "A fúró előtolását adja meg.";
        QTest::newRow("NeutralEdit") << (QWidget *)Control<TCSpinEdit>(f, "NeutralEdit") << "2"
                                     << "A fúró semleges (fölső) helyzetét állítja.";
        QTest::newRow("DepthEdit") << (QWidget *)Control<TCSpinEdit>(f, "DepthEdit") << "2"
                                   << "A fúrás mélységét határozza meg.";
        QTest::newRow("XCoordEdit") << (QWidget *)Control<TEdit>(f, "XCoordEdit") << "0.00000"
                                    << "A furatcsoport bal alsó X koordinátáját állítja be.";
        QTest::newRow("YCoordEdit") << (QWidget *)Control<TEdit>(f, "YCoordEdit") << "0.00000"
                                    << "A furatcsoport bal alsó Y koordinátáját állítja be.";
        QPushButton *helps[] = {Control<QPushButton>(f, "IntegerHelp"), Control<QPushButton>(f, "UnitHelp"),
                                Control<QPushButton>(f, "SpinHelp"),    Control<QPushButton>(f, "TurnHelp"),
                                Control<QPushButton>(f, "FeedHelp"),    Control<QPushButton>(f, "NeutralHelp"),
                                Control<QPushButton>(f, "DepthHelp"),   Control<QPushButton>(f, "XCoordHelp"),
                                Control<QPushButton>(f, "YCoordHelp")};
        for (QPushButton *help : helps)
            QTest::addRow("help at %d", help->y()) << (QWidget *)help << "súgó" << none;
        QTest::newRow("OpenButton")
            << (QWidget *)Control<QPushButton>(f, "OpenButton") << "meg&nyit"
            << "Egy ablakot jelenít meg ahol meg lehet keresni a feldolgozandó gerber fájlt.";
        QTest::newRow("StartButton") << (QWidget *)Control<QPushButton>(f, "StartButton") << "&indít"
                                     << "Elindítja a feldolgozást.";
        QTest::newRow("SaveFile")
            << (QWidget *)Control<QPushButton>(f, "SaveFile") << "&ment"
            << "Elmenti a G-kód szerkesztő ablakában látható sorokat az eredeti kimeneti fájlba.";
        QTest::newRow("ExitButton") << (QWidget *)Control<QPushButton>(f, "ExitButton") << "&kilép"
                                    << "Kilép a programból.";
        QTest::newRow("RichEdit") << (QWidget *)f.Editor() << "" << none;
    }

    void texts()
    {
        QFETCH(QWidget *, control);
        QFETCH(QString, text);
        QFETCH(QString, hint);
        QString shown;
        if (auto *label = qobject_cast<QLabel *>(control))
            shown = label->text();
        else if (auto *button = qobject_cast<QPushButton *>(control))
            shown = button->text();
        else if (auto *edit = qobject_cast<QLineEdit *>(control))
            shown = edit->text();
        else if (auto *combo = qobject_cast<QComboBox *>(control))
            shown = combo->currentText();
        else if (auto *editor = qobject_cast<QPlainTextEdit *>(control))
            shown = editor->toPlainText();
        QCOMPARE(shown, text);
        QCOMPARE(control->toolTip(), hint);
    }

    void accessKeysChooseTheCommandButtons_data()
    {
        QTest::addColumn<QPushButton *>("button");
        QTest::addColumn<int>("key");
        QTest::newRow("meg&nyit") << Control<QPushButton>(*Form, "OpenButton") << int(Qt::Key_N);
        QTest::newRow("&indít") << Control<QPushButton>(*Form, "StartButton") << int(Qt::Key_I);
        QTest::newRow("&ment") << Control<QPushButton>(*Form, "SaveFile") << int(Qt::Key_M);
        QTest::newRow("&kilép") << Control<QPushButton>(*Form, "ExitButton") << int(Qt::Key_K);
    }

    void accessKeysChooseTheCommandButtons()
    {
        QFETCH(QPushButton *, button);
        QFETCH(int, key);
        QCOMPARE(button->shortcut(), QKeySequence(Qt::ALT | Qt::Key(key)));
    }

    void comboBoxItems()
    {
        QCOMPARE(Control<TComboBox>(*Form, "UnitComboBox")->count(), 2);
        QCOMPARE(Control<TComboBox>(*Form, "UnitComboBox")->itemText(0), QStringLiteral("mm"));
        QCOMPARE(Control<TComboBox>(*Form, "UnitComboBox")->itemText(1), QStringLiteral("coll"));
        QCOMPARE(Control<TComboBox>(*Form, "SpinComboBox")->itemText(0), QStringLiteral("jobb"));
        QCOMPARE(Control<TComboBox>(*Form, "SpinComboBox")->itemText(1), QStringLiteral("bal"));
        for (QComboBox *box : {Control<TComboBox>(*Form, "UnitComboBox"), Control<TComboBox>(*Form, "SpinComboBox")}) {
            QVERIFY(box->isEditable());
            QCOMPARE(box->view()->sizeHintForRow(0), 16);
            QCOMPARE(box->view()->sizeHintForRow(1), 16);
        }
    }

    void spinEditLimits_data()
    {
        QTest::addColumn<TCSpinEdit *>("edit");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::newRow("IntegerEdit") << Control<TCSpinEdit>(*Form, "IntegerEdit") << 1 << 6;
        QTest::newRow("TurnEdit") << Control<TCSpinEdit>(*Form, "TurnEdit") << 1 << 30000;
        QTest::newRow("FeedEdit") << Control<TCSpinEdit>(*Form, "FeedEdit") << 1 << 1000;
        QTest::newRow("NeutralEdit") << Control<TCSpinEdit>(*Form, "NeutralEdit") << 1 << 10;
        QTest::newRow("DepthEdit") << Control<TCSpinEdit>(*Form, "DepthEdit") << 1 << 10;
    }

    void spinEditLimits()
    {
        QFETCH(TCSpinEdit *, edit);
        QFETCH(int, min);
        QFETCH(int, max);
        QCOMPARE(edit->MinValue(), min);
        QCOMPARE(edit->MaxValue(), max);
    }

    void editorPane()
    {
        QPlainTextEdit *editor = Form->Editor();
        QCOMPARE(editor->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(editor->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(editor->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(!editor->isReadOnly());
        const QPalette palette = editor->palette();
        QCOMPARE(palette.color(QPalette::Inactive, QPalette::Highlight),
                 palette.color(QPalette::Active, QPalette::Highlight));
    }

    void fonts_data()
    {
        QTest::addColumn<QWidget *>("control");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<int>("role");
        QTest::addColumn<QColor>("colour");
        TForm1 &f = *Form;
        const QColor text = Form->palette().color(QPalette::WindowText);
        const QColor maroon(128, 0, 0);
        const int windowText = QPalette::WindowText, buttonText = QPalette::ButtonText;
        QTest::newRow("Label1") << (QWidget *)Control<QLabel>(f, "Label1") << "Arial" << 15 << true << windowText
                                << text;
        QTest::newRow("RichEditLabel") << (QWidget *)Control<QLabel>(f, "RichEditLabel") << "Arial" << 15 << true
                                       << windowText << QColor(128, 0, 128);
        QTest::newRow("DepthLabel") << (QWidget *)Control<QLabel>(f, "DepthLabel") << "MS Sans Serif" << 13 << true
                                    << windowText << text;
        QTest::newRow("TurnEdit") << (QWidget *)Control<TCSpinEdit>(f, "TurnEdit") << "MS Sans Serif" << 13 << false
                                  << windowText << text;
        QTest::newRow("SpinComboBox") << (QWidget *)Control<TComboBox>(f, "SpinComboBox") << "MS Sans Serif" << 13
                                      << false << windowText << text;
        QTest::newRow("YCoordEdit") << (QWidget *)Control<TEdit>(f, "YCoordEdit") << "MS Sans Serif" << 13 << false
                                    << windowText << text;
        QTest::newRow("UnitHelp") << (QWidget *)Control<QPushButton>(f, "UnitHelp") << "Lucida Sans Typewriter" << 13
                                  << false << buttonText << maroon;
        QTest::newRow("StartButton") << (QWidget *)Control<QPushButton>(f, "StartButton") << "Arial" << 13 << false
                                     << buttonText << maroon;
        QTest::newRow("OpenButton") << (QWidget *)Control<QPushButton>(f, "OpenButton") << "Arial" << 13 << false
                                    << buttonText << maroon;
        QTest::newRow("RichEdit") << (QWidget *)f.Editor() << "MS Sans Serif" << 11 << false << windowText << text;
    }

    void fonts()
    {
        QFETCH(QWidget *, control);
        QFETCH(QString, family);
        QFETCH(int, pixels);
        QFETCH(bool, bold);
        QFETCH(int, role);
        QFETCH(QColor, colour);
        const QFont font = control->font();
        QCOMPARE(font.family(), family);
        QCOMPARE(font.pixelSize(), pixels);
        QCOMPARE(font.bold(), bold);
        QCOMPARE(control->palette().color(QPalette::ColorRole(role)), colour);
        /* Whatever font stands in, it must draw the Hungarian letters. */
        const QFontMetrics metrics(font);
        for (QChar c : QStringLiteral("őŐűŰáéíóöúü"))
            QVERIFY2(metrics.inFont(c), qPrintable(QStringLiteral("no glyph for ") + c));
    }

    void tabOrderStartsAtOpenButton()
    {
        TForm1 &f = *Form;
        QCOMPARE(f.focusWidget(), (QWidget *)Control<QPushButton>(f, "OpenButton"));
        const QList<QWidget *> expected = {Control<QPushButton>(f, "OpenButton"),
                                           Control<QPushButton>(f, "StartButton"),
                                           Control<QPushButton>(f, "SaveFile"),
                                           Control<QPushButton>(f, "ExitButton"),
                                           Control<TCSpinEdit>(f, "IntegerEdit"),
                                           Control<QPushButton>(f, "IntegerHelp"),
                                           Control<TComboBox>(f, "UnitComboBox"),
                                           Control<QPushButton>(f, "UnitHelp"),
                                           Control<TComboBox>(f, "SpinComboBox"),
                                           Control<QPushButton>(f, "SpinHelp"),
                                           Control<TCSpinEdit>(f, "TurnEdit"),
                                           Control<QPushButton>(f, "TurnHelp"),
                                           Control<TCSpinEdit>(f, "FeedEdit"),
                                           Control<QPushButton>(f, "FeedHelp"),
                                           Control<TCSpinEdit>(f, "NeutralEdit"),
                                           Control<QPushButton>(f, "NeutralHelp"),
                                           Control<TCSpinEdit>(f, "DepthEdit"),
                                           Control<QPushButton>(f, "DepthHelp"),
                                           Control<TEdit>(f, "XCoordEdit"),
                                           Control<TCSpinButton>(f, "XCoordSpinButton"),
                                           Control<QPushButton>(f, "XCoordHelp"),
                                           Control<TEdit>(f, "YCoordEdit"),
                                           Control<TCSpinButton>(f, "YCoordSpinButton"),
                                           Control<QPushButton>(f, "YCoordHelp"),
                                           Control<QPushButton>(f, "OptionsButton"),
                                           f.Editor()};
        /* Walk the chain as Tab does: controls that take the focus by Tab, each once. */
        QList<QWidget *> order;
        QWidget *w = Control<QPushButton>(f, "OpenButton");
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && !w->focusProxy() && !order.contains(w))
                order.append(w);
            w = w->nextInFocusChain();
        } while (w != Control<QPushButton>(f, "OpenButton"));
        /* Parts of composite controls (the combo boxes' edit fields) stand for their control. */
        QList<QWidget *> controls;
        for (QWidget *widget : order) {
            while (widget->parentWidget() != &f)
                widget = widget->parentWidget();
            if (!controls.contains(widget))
                controls.append(widget);
        }
        QCOMPARE(controls, expected);
    }

    /* Where the converter is looked for. */
    void findConverter()
    {
        temp_dir start, program, empty;
        const QString startDir = QString::fromStdString(start.path);
        const QString programDir = QString::fromStdString(program.path);
        const QString emptyDir = QString::fromStdString(empty.path);
        for (const temp_dir *dir : {&start, &program}) {
            write_file(dir->file("drelvo"), "#!/bin/sh\n");
            QFile::setPermissions(QString::fromStdString(dir->file("drelvo")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        write_file(empty.file("notes"), "");
        /* The one beside the shell wins over one in a folder the shell was started from. */
        QCOMPARE(FindConverter(startDir, programDir), programDir + "/drelvo");
        QCOMPARE(FindConverter(emptyDir, programDir), programDir + "/drelvo");
        QCOMPARE(FindConverter(startDir, emptyDir), startDir + "/drelvo");
        QCOMPARE(FindConverter(emptyDir, emptyDir), emptyDir + "/drelvo");
        QCOMPARE(FindConverter(QString(), emptyDir), QStringLiteral("drelvo"));
        QCOMPARE(FindConverter(QString(), programDir), programDir + "/drelvo");
        /* A file that is not a program does not count. */
        write_file(empty.file("drelvo"), "");
        QFile::setPermissions(emptyDir + "/drelvo", QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(FindConverter(startDir, emptyDir), startDir + "/drelvo");
    }

    /* The options button and the list of bit programs sit where nothing
     * else is: every other control keeps its place and stays whole. */
    void addedControlsInFreeSpace()
    {
        QWidget *options = Control<QPushButton>(*Form, "OptionsButton");
        QWidget *bits = Control<QComboBox>(*Form, "BitComboBox");
        bits->show();
        for (QWidget *added : {options, bits}) {
            QVERIFY(Form->rect().contains(added->geometry()));
            for (QWidget *other : Form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                if (other != options && other != bits && !other->isWindow() && other->isVisible())
                    QVERIFY2(!other->geometry().intersects(added->geometry()),
                             qPrintable(QString(other->metaObject()->className()) + " " + other->objectName()));
        }
    }

    /* The options window has a field for every option of the table that
     * takes a value and has no row on the panel, with the table's words. */
    void optionsWindowFromTheTable()
    {
        for (const option_spec &option : option_table) {
            QWidget *field = Form->findChild<QWidget *>(QString::fromLatin1(option.short_name));
            const bool onPanel = std::any_of(std::begin(PanelRows), std::end(PanelRows),
                                             [&](const TSettingRow &row) { return row.Option == option.id; });
            QCOMPARE(field != nullptr, option.kind != VALUE_NONE && !onPanel);
            if (auto *choice = qobject_cast<QComboBox *>(field)) {
                QStringList words;
                for (int i = 0; i < choice->count(); ++i)
                    words << choice->itemText(i);
                QCOMPARE(words.join('|'), QString::fromUtf8(option.choices));
            }
        }
    }

    /* The chosen file's name shows in the free strip above the command
     * buttons, clear of every control; a long path loses its middle. */
    void chosenFileName()
    {
        TFakeDialogs *dialogs = InstallFakeDialogs(*Form);
        const QString deep = "/" + QString(200, 'a') + "/fúró lap.gbr";
        for (const QString &chosen : {QStringLiteral("/tmp/fúró lap.gbr"), deep}) {
            dialogs->Answer = chosen;
            Form->OpenButtonClick();
            const QLabel *label = Control<QLabel>(*Form, "FileNameLabel");
            QVERIFY(label->text().endsWith("fúró lap.gbr"));
            QVERIFY(label->text().startsWith("/"));
            QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        }
        QVERIFY(Control<QLabel>(*Form, "FileNameLabel")->isVisible());
        const QRect strip = Control<QLabel>(*Form, "FileNameLabel")->geometry();
        QVERIFY(Form->rect().contains(strip));
        for (QWidget *other : Form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (other != Control<QLabel>(*Form, "FileNameLabel")
                && !other->isWindow()) /* windows of their own are not on the panel */
                QVERIFY2(!other->geometry().intersects(strip), qPrintable(other->objectName()));
        ResetShellState();
    }

    /* Qt's own texts are Hungarian whatever the locale. */
    void qtTextsInHungarian()
    {
        QLocale::setDefault(QLocale::English);
        QVERIFY(InstallQtTranslations());
        QCOMPARE(QCoreApplication::translate("QFileDialog", "&Open"), QStringLiteral("&Megnyitás"));
    }

    /* The boxes and the file dialog as the window shows them outside the tests:
     * Qt's own dialog, in Hungarian. */
    void realDialogs()
    {
        QString caption, text, title, directory;
        QStringList dialogButtons;
        QMessageBox::Icon icon = QMessageBox::Critical;
        QList<QAbstractButton *> buttons;
        QTimer poll;
        poll.callOnTimeout([&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                caption = box->windowTitle();
                text = box->text();
                icon = box->icon();
                buttons = box->buttons();
                QCOMPARE(box->standardButtons(), QMessageBox::Ok);
                box->accept();
            } else if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                title = dialog->windowTitle();
                directory = dialog->directory().absolutePath();
                QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
                QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
                for (QAbstractButton *button : dialog->findChild<QDialogButtonBox *>()->buttons())
                    dialogButtons << button->text();
                dialog->reject();
            }
        });
        poll.start(20);
        TDialogs dialogs;
        dialogs.MessageBox(Form.get(), QStringLiteral("Nincs mit menteni !"), QStringLiteral("első\nmásodik"));
        QCOMPARE(caption, QStringLiteral("Nincs mit menteni !"));
        QCOMPARE(text, QStringLiteral("első\nmásodik"));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(buttons.size(), 1);

        temp_dir dir;
        const QString chosen =
            dialogs.OpenDialog(Form.get(), QStringLiteral("Keresse meg"), QString::fromStdString(dir.path));
        QVERIFY(chosen.isEmpty());
        QCOMPARE(title, QStringLiteral("Keresse meg"));
        QCOMPARE(directory, QString::fromStdString(dir.path));
        dialogButtons.sort();
        QCOMPARE(dialogButtons, (QStringList{"&Megnyitás", "Mégse"}));
    }

    void converterPathFollowsTheStartDirectory()
    {
        temp_dir dir;
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(QString::fromStdString(dir.path)));
        QVERIFY(QFile::link(QStringLiteral(DRELVO_BIN), QString::fromStdString(dir.file("drelvo"))));
        TForm1 form;
        QDir::setCurrent(cwd);
        QCOMPARE(ConverterPath, QString::fromStdString(dir.file("drelvo")));
    }
};

QTEST_MAIN(WindowTest)
#include "kemlor_window_test.moc"
