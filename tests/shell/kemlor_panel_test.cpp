/* The settings panel driven by key and mouse events: what the controls show
 * and what reaches the settings. */
#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
#include <QToolTip>
#include <QtTest>

#include "Ablak.h"
#include "Controls.h"
#include "shell_test.h"

namespace {

/* Replaces the whole text of an edit by typing, as a user would. */
void TypeOver(QWidget *edit, const QString &text)
{
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

void ClickEnter(QWidget *edit) { QTest::keyClick(edit, Qt::Key_Return); }

} // namespace

class PanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> Form;

    TCSpinEdit *SpinEdit(const QString &name) const
    {
        TForm1 &f = *Form;
        return name == "Integer" ? Control<TCSpinEdit>(f, "IntegerEdit")
               : name == "Turn"  ? Control<TCSpinEdit>(f, "TurnEdit")
               : name == "Feed"  ? Control<TCSpinEdit>(f, "FeedEdit")
               : name == "Neutral" ? Control<TCSpinEdit>(f, "NeutralEdit")
                                   : Control<TCSpinEdit>(f, "DepthEdit");
    }
    static int32_t SpinSetting(const QString &name)
    {
        const TShellSettings &s = ShellSettings;
        return name == "Integer" ? s.IntegerDigits
               : name == "Turn"  ? s.TurnValue
               : name == "Feed"  ? s.FeedValue
               : name == "Neutral" ? s.NeutralValue
                                   : s.DepthValue;
    }
    TEdit *CoordEdit(const QString &axis) const
    {
        return axis == "X" ? Control<TEdit>(*Form, "XCoordEdit") : Control<TEdit>(*Form, "YCoordEdit");
    }
    TCSpinButton *CoordButton(const QString &axis) const
    {
        return axis == "X" ? Control<TCSpinButton>(*Form, "XCoordSpinButton")
                           : Control<TCSpinButton>(*Form, "YCoordSpinButton");
    }
    static double CoordSetting(const QString &axis)
    {
        return axis == "X" ? ShellSettings.XCoordValue : ShellSettings.YCoordValue;
    }

private slots:
    void init()
    {
        ResetShellState();
        Form = std::make_unique<TForm1>();
        InstallFakeDialogs(*Form);
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    }
    void cleanup() { Form.reset(); }

    /* Typing reaches the setting at once; Enter holds it to the limits. */
    void spinEdit_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("setting");
        QTest::newRow("above the limit, typed") << "Turn" << "50000" << false << "50000" << 50000;
        QTest::newRow("above the limit, Enter") << "Turn" << "50000" << true << "30000" << 30000;
        QTest::newRow("the upper limit, Enter") << "Turn" << "30000" << true << "30000" << 30000;
        QTest::newRow("below the limit, typed") << "Depth" << "0" << false << "0" << 0;
        QTest::newRow("below the limit, Enter") << "Depth" << "0" << true << "1" << 1;
        QTest::newRow("negative, Enter") << "Neutral" << "-5" << true << "1" << 1;
        QTest::newRow("integer digits 7, Enter") << "Integer" << "7" << true << "6" << 6;
        QTest::newRow("within, Enter") << "Feed" << "250" << true << "250" << 250;
        QTest::newRow("feed at its limit") << "Feed" << "1000" << true << "1000" << 1000;
        QTest::newRow("letters are refused") << "Feed" << "4x5" << false << "45" << 45;
        QTest::newRow("cleared reads as the lower limit") << "Turn" << "" << false << "" << 1;
        QTest::newRow("cleared, Enter") << "Turn" << "" << true << "1" << 1;
    }

    void spinEdit()
    {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(QString, text);
        QFETCH(int, setting);
        TCSpinEdit *control = SpinEdit(edit);
        TypeOver(control, typed);
        if (enter)
            ClickEnter(control);
        QCOMPARE(control->text(), text);
        QCOMPARE(SpinSetting(edit), setting);
    }

    /* A decimal mark is refused with its fraction, never merged into the
     * digits, and the edit says it takes whole numbers of its unit. */
    void decimalMarkRefusedVisibly_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("note");
        QTest::newRow("depth 1.8") << "Depth" << "1.8" << "1" << "egész mm";
        QTest::newRow("decimal comma") << "Neutral" << "2,75" << "2" << "egész mm";
        QTest::newRow("feed") << "Feed" << "250.5" << "250" << "egész mm/perc";
        QTest::newRow("digits without a unit") << "Integer" << "3.4" << "3" << "egész szám";
        QTest::newRow("a fraction ends at a blank") << "Turn" << "1.5 2" << "12" << "egész ford/perc";
        QTest::newRow("no mark, no note") << "Depth" << "3" << "3" << "";
    }

    void decimalMarkRefusedVisibly()
    {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QString, note);
        QToolTip::hideText();
        TypeOver(SpinEdit(edit), typed);
        QCOMPARE(SpinEdit(edit)->text(), text);
        QCOMPARE(SpinSetting(edit), text.toInt());
        QCOMPARE(QToolTip::isVisible() && QToolTip::text().contains(note), !note.isEmpty());
    }

    /* A key-up of Enter whose key-down went elsewhere (closing a box, say)
     * leaves the edit as it is, whatever Enter did in it before. */
    void enterReleasedWithoutItsPress_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("committed");
        QTest::addColumn<QString>("typed");
        QTest::newRow("no Enter before") << "Integer" << "" << "4";
        QTest::newRow("an earlier Enter") << "Feed" << "300" << "700";
    }

    void enterReleasedWithoutItsPress()
    {
        QFETCH(QString, edit);
        QFETCH(QString, committed);
        QFETCH(QString, typed);
        TCSpinEdit *control = SpinEdit(edit);
        if (!committed.isEmpty()) {
            TypeOver(control, committed);
            ClickEnter(control);
        }
        TypeOver(control, typed);
        QTest::keyRelease(control, Qt::Key_Return);
        QCOMPARE(control->text(), typed);
        QCOMPARE(SpinSetting(edit), typed.toInt());
    }

    /* Enter commits only on the key-up that follows its own key-down. */
    void enterCommitsOnKeyUp()
    {
        TCSpinEdit *edit = Control<TCSpinEdit>(*Form, "TurnEdit");
        TypeOver(edit, "40000");
        QTest::keyPress(edit, Qt::Key_Return);
        QCOMPARE(edit->text(), QStringLiteral("40000"));
        QTest::keyRelease(edit, Qt::Key_Return);
        QCOMPARE(edit->text(), QStringLiteral("30000"));
        QCOMPARE(ShellSettings.TurnValue, 30000);
        /* Other keys commit nothing. */
        TypeOver(edit, "0");
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(edit->text(), QStringLiteral("0"));
        QCOMPARE(ShellSettings.TurnValue, 0);
    }

    void spinEditArrowsStayWithinTheLimits_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("setting");
        QTest::newRow("integer up to 6") << "Integer" << int(Qt::Key_Up) << 10 << 6;
        QTest::newRow("depth down to 1") << "Depth" << int(Qt::Key_Down) << 5 << 1;
        QTest::newRow("turn up by one") << "Turn" << int(Qt::Key_Up) << 3 << 1003;
    }

    void spinEditArrowsStayWithinTheLimits()
    {
        QFETCH(QString, edit);
        QFETCH(int, key);
        QFETCH(int, presses);
        QFETCH(int, setting);
        TCSpinEdit *control = SpinEdit(edit);
        for (int i = 0; i < presses; ++i)
            QTest::keyClick(control, Qt::Key(key));
        QCOMPARE(SpinSetting(edit), setting);
        QCOMPARE(control->text(), QString::number(setting));
        /* The built-in arrow buttons step the same way. */
        QWidget *up = control->Button->childAt(5, 2);
        QVERIFY(up);
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(SpinSetting(edit), std::min(setting + 1, control->MaxValue()));
    }

    void leavingASpinEditHoldsItToTheLimits()
    {
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form.get()));
        Control<TCSpinEdit>(*Form, "FeedEdit")->setFocus();
        TypeOver(Control<TCSpinEdit>(*Form, "FeedEdit"), "5000");
        QCOMPARE(ShellSettings.FeedValue, 5000);
        Control<QPushButton>(*Form, "StartButton")->setFocus();
        QCOMPARE(Control<TCSpinEdit>(*Form, "FeedEdit")->text(), QStringLiteral("1000"));
        QCOMPARE(ShellSettings.FeedValue, 1000);
    }

    /* The drop-downs: known words in any letter case choose, others do not. */
    void comboBox_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("startItem");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("choice");
        QTest::newRow("unit COLL pasted") << "Unit" << 0 << true << "COLL" << "COLL" << 1;
        QTest::newRow("unit Mm pasted") << "Unit" << 1 << true << "Mm" << "Mm" << 0;
        QTest::newRow("unit unknown clears the box") << "Unit" << 1 << true << "inch" << "" << 1;
        QTest::newRow("unit typing c clears the box") << "Unit" << 0 << false << "c" << "" << 0;
        QTest::newRow("direction Jobb typed") << "Spin" << 1 << false << "Jobb" << "Jobb" << 0;
        QTest::newRow("direction BAL typed") << "Spin" << 0 << false << "BAL" << "BAL" << 1;
        QTest::newRow("direction jo stays") << "Spin" << 1 << false << "jo" << "jo" << 1;
        QTest::newRow("direction cleared") << "Spin" << 1 << false << "" << "" << 1;
    }

    void comboBox()
    {
        QFETCH(QString, box);
        QFETCH(int, startItem);
        QFETCH(bool, paste);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(int, choice);
        QComboBox *combo
            = box == "Unit" ? Control<TComboBox>(*Form, "UnitComboBox") : Control<TComboBox>(*Form, "SpinComboBox");
        int32_t &setting = box == "Unit" ? ShellSettings.UnitChoice : ShellSettings.SpinChoice;
        combo->setCurrentIndex(startItem);
        QCOMPARE(setting, startItem);
        if (paste) {
            QGuiApplication::clipboard()->setText(typed);
            QTest::keyClick(combo->lineEdit(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(combo->lineEdit(), Qt::Key_V, Qt::ControlModifier);
        } else {
            TypeOver(combo->lineEdit(), typed);
        }
        QCOMPARE(combo->currentText(), text);
        QCOMPARE(setting, choice);
        QCOMPARE(combo->count(), 2);
    }

    void choosingFromTheList()
    {
        QTest::keyClick(Control<TComboBox>(*Form, "UnitComboBox"), Qt::Key_Down);
        QCOMPARE(Control<TComboBox>(*Form, "UnitComboBox")->currentText(), QStringLiteral("coll"));
        QCOMPARE(ShellSettings.UnitChoice, 1);
        QTest::keyClick(Control<TComboBox>(*Form, "SpinComboBox"), Qt::Key_Down);
        QCOMPARE(ShellSettings.SpinChoice, 1);
        QTest::keyClick(Control<TComboBox>(*Form, "SpinComboBox"), Qt::Key_Up);
        QCOMPARE(ShellSettings.SpinChoice, 0);
        /* Enter keeps a typed text out of the list. */
        TypeOver(Control<TComboBox>(*Form, "SpinComboBox")->lineEdit(), "bal");
        ClickEnter(Control<TComboBox>(*Form, "SpinComboBox")->lineEdit());
        QCOMPARE(Control<TComboBox>(*Form, "SpinComboBox")->count(), 2);
    }

    /* Coordinate edits, typed key by key. */
    void coordinateTyping_data()
    {
        QTest::addColumn<QString>("axis");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("within") << "X" << "12.5" << "12.5" << 12.5;
        QTest::newRow("above 1000") << "X" << "1500" << "1000.000000" << 1000.0;
        QTest::newRow("1000 itself") << "Y" << "1000" << "1000" << 1000.0;
        QTest::newRow("point alone") << "X" << "." << "." << 20.0;
        QTest::newRow("comma after 5") << "Y" << "5," << "5," << 5.0;
        QTest::newRow("decimal comma") << "X" << "12,5" << "12,5" << 12.5;
        QTest::newRow("decimal comma first") << "Y" << ",5" << ",5" << 0.5;
        QTest::newRow("point first") << "X" << ".25" << ".25" << 0.25;
        QTest::newRow("blanks around") << "X" << " 7 " << " 7 " << 7.0;
        QTest::newRow("minus sign") << "X" << "-" << "0.000000" << 0.0;
        QTest::newRow("letter after digits") << "Y" << "12a" << "0.000000" << 0.0;
        QTest::newRow("blank") << "X" << " " << " " << 0.0;
        QTest::newRow("cleared") << "Y" << "" << "" << 0.0;
        QTest::newRow("leading zeros") << "X" << "007.25" << "007.25" << 7.25;
    }

    void coordinateTyping()
    {
        QFETCH(QString, axis);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(double, value);
        /* Start from a value that every row changes. */
        (axis == "X" ? ShellSettings.XCoordValue : ShellSettings.YCoordValue) = 333.0;
        TypeOver(CoordEdit(axis), typed);
        QCOMPARE(CoordEdit(axis)->text(), text);
        QVERIFY2(CoordSetting(axis) == value, qPrintable(QString::number(CoordSetting(axis))));
    }

    /* A field or list that is left shows the value the next run will use. */
    void leavingShowsTheValueUsed_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("decimal comma") << "X" << "12,5" << "12.500000";
        QTest::newRow("blanks around") << "Y" << " 7 " << "7.000000";
        QTest::newRow("point alone") << "X" << "." << "20.000000";
        QTest::newRow("a plain number stays") << "Y" << "12.5" << "12.5";
        QTest::newRow("two points") << "X" << "12.5.3" << "12.500000";
        QTest::newRow("cleared") << "Y" << "" << "0.000000";
        QTest::newRow("unit cleared by a letter") << "Unit" << "c" << "mm";
        QTest::newRow("direction half typed") << "Spin" << "ba" << "jobb";
        QTest::newRow("direction in capitals") << "Spin" << "BAL" << "bal";
        QTest::newRow("direction cleared") << "Spin" << "" << "jobb";
    }

    void leavingShowsTheValueUsed()
    {
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QWidget *widget = control == "Unit"   ? static_cast<QWidget *>(Control<TComboBox>(*Form, "UnitComboBox"))
                          : control == "Spin" ? static_cast<QWidget *>(Control<TComboBox>(*Form, "SpinComboBox"))
                                              : CoordEdit(control);
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form.get()));
        widget->setFocus();
        QLineEdit *edit = qobject_cast<QComboBox *>(widget) ? qobject_cast<QComboBox *>(widget)->lineEdit()
                                                            : qobject_cast<QLineEdit *>(widget);
        TypeOver(edit, typed);
        Control<QPushButton>(*Form, "StartButton")->setFocus();
        QCOMPARE(edit->text(), shown);
        if (control == "Unit")
            QCOMPARE(ShellSettings.UnitChoice, int(shown == "coll"));
        else if (control == "Spin")
            QCOMPARE(ShellSettings.SpinChoice, int(shown == "bal"));
        else
            QCOMPARE(CoordSetting(control), QLocale::c().toDouble(shown));
    }

    /* Pasted texts: read as "%lf" in the C locale, with nothing of the user's locale. */
    void coordinatePasted_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<double>("whilePasted");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("exponent") << "2.5e2" << 250.0 << "0.000000" << 0.0;
        QTest::newRow("large exponent") << "1e9" << 1000.0 << "1000.000000" << 1000.0;
        QTest::newRow("negative") << "-3" << 0.0 << "0.000000" << 0.0;
        QTest::newRow("decimal comma") << "3,5" << 3.5 << "3,5" << 3.5;
        QTest::newRow("six decimals") << "0.300000" << 0.3 << "0.300000" << 0.3;
        QTest::newRow("nan is no number") << "nan" << 20.0 << "0.000000" << 0.0;
        QTest::newRow("infinity") << "inf" << 1000.0 << "1000.000000" << 1000.0;
    }

    void coordinatePasted()
    {
        QFETCH(QString, pasted);
        QFETCH(double, whilePasted);
        QFETCH(QString, text);
        QFETCH(double, value);
        setlocale(LC_ALL, "de_DE.UTF-8"); /* a decimal comma, where the machine has it */
        TEdit *edit = Control<TEdit>(*Form, "XCoordEdit");
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyPress(edit, Qt::Key_V, Qt::ControlModifier);
        const double seen = ShellSettings.XCoordValue;
        QTest::keyRelease(edit, Qt::Key_V, Qt::ControlModifier);
        setlocale(LC_ALL, "C");
        QVERIFY2(seen == whilePasted, qPrintable(QString::number(seen)));
        QCOMPARE(edit->text(), text);
        QVERIFY2(ShellSettings.XCoordValue == value, qPrintable(QString::number(ShellSettings.XCoordValue)));
    }

    /* The up/down buttons step by 0.1 within 0 ... 1000, from the six-decimal text. */
    void coordinateButtons_data()
    {
        QTest::addColumn<QString>("axis");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("clicks"); /* positive: up, negative: down */
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("down at 0") << "X" << "0" << -1 << "0.000000" << 0.0;
        QTest::newRow("up at 999.95") << "Y" << "999.95" << 1 << "1000.000000" << 1000.0;
        QTest::newRow("up at 1000") << "X" << "1000" << 1 << "1000.000000" << 1000.0;
        QTest::newRow("ten up from 0") << "X" << "0" << 10 << "1.000000" << 1.0;
        QTest::newRow("thirty up from 0") << "Y" << "0" << 30 << "3.000000" << 3.0;
        QTest::newRow("down past 0") << "Y" << "0.25" << -3 << "0.000000" << 0.0;
        QTest::newRow("down from 1") << "X" << "1" << -7 << "0.300000" << 0.3;
    }

    void coordinateButtons()
    {
        QFETCH(QString, axis);
        QFETCH(QString, start);
        QFETCH(int, clicks);
        QFETCH(QString, text);
        QFETCH(double, value);
        TypeOver(CoordEdit(axis), start);
        TCSpinButton *buttons = CoordButton(axis);
        QWidget *arrow = buttons->childAt(8, clicks > 0 ? 3 : buttons->height() - 3);
        QVERIFY(arrow);
        for (int i = 0; i < std::abs(clicks); ++i)
            QTest::mouseClick(arrow, Qt::LeftButton);
        QCOMPARE(CoordEdit(axis)->text(), text);
        /* Exactly the value of the text: steps do not pile up rounding errors. */
        QVERIFY2(CoordSetting(axis) == value, qPrintable(QString::number(CoordSetting(axis), 'g', 17)));
    }

    void coordinateButtonsByKeyboard()
    {
        QTest::keyClick(Control<TCSpinButton>(*Form, "YCoordSpinButton"), Qt::Key_Up);
        QTest::keyClick(Control<TCSpinButton>(*Form, "YCoordSpinButton"), Qt::Key_Up);
        QTest::keyClick(Control<TCSpinButton>(*Form, "YCoordSpinButton"), Qt::Key_Down);
        QCOMPARE(Control<TEdit>(*Form, "YCoordEdit")->text(), QStringLiteral("0.100000"));
        QVERIFY(ShellSettings.YCoordValue == 0.1);
        QVERIFY(ShellSettings.XCoordValue == 0.0);
    }
    /* The design's handler names reach the row they name, as the controls' own events do. */
    void designHandlersActOnTheirOwnRow()
    {
        TForm1 &f = *Form;
        const struct {
            const char *edit;
            void (TForm1::*change)();
            int32_t TShellSettings::*setting;
        } spins[] = {{"IntegerEdit", &TForm1::IntegerEditChange, &TShellSettings::IntegerDigits},
                     {"TurnEdit", &TForm1::TurnEditChange, &TShellSettings::TurnValue},
                     {"FeedEdit", &TForm1::FeedEditChange, &TShellSettings::FeedValue},
                     {"NeutralEdit", &TForm1::NeutralEditChange, &TShellSettings::NeutralValue},
                     {"DepthEdit", &TForm1::DepthEditChange, &TShellSettings::DepthValue}};
        for (const auto &row : spins) {
            TCSpinEdit *edit = Control<TCSpinEdit>(f, row.edit);
            const QSignalBlocker quiet(edit);
            edit->setText(QStringLiteral("3"));
            (f.*row.change)();
            QVERIFY2(ShellSettings.*row.setting == 3, row.edit);
        }
        const QSignalBlocker quietUnit(Control<TComboBox>(f, "UnitComboBox"));
        Control<TComboBox>(f, "UnitComboBox")->setEditText(QStringLiteral("coll"));
        f.UnitComboBoxChange();
        QCOMPARE(ShellSettings.UnitChoice, 1);
        f.XCoordSpinButtonUpClick();
        f.YCoordSpinButtonUpClick();
        f.YCoordSpinButtonUpClick();
        f.YCoordSpinButtonDownClick();
        QCOMPARE(Control<TEdit>(f, "XCoordEdit")->text(), QStringLiteral("0.100000"));
        QCOMPARE(Control<TEdit>(f, "YCoordEdit")->text(), QStringLiteral("0.100000"));

        TFakeDialogs *dialogs = InstallFakeDialogs(f);
        const struct {
            const char *button;
            void (TForm1::*click)();
        } helps[] = {{"IntegerHelp", &TForm1::IntegerHelpClick}, {"UnitHelp", &TForm1::UnitHelpClick},
                     {"SpinHelp", &TForm1::SpinHelpClick},       {"TurnHelp", &TForm1::TurnHelpClick},
                     {"FeedHelp", &TForm1::FeedHelpClick},       {"NeutralHelp", &TForm1::NeutralHelpClick},
                     {"DepthHelp", &TForm1::DepthHelpClick},     {"XCoordHelp", &TForm1::XCoordHelpClick},
                     {"YCoordHelp", &TForm1::YCoordHelpClick}};
        for (const auto &row : helps) {
            (f.*row.click)();
            Control<QPushButton>(f, row.button)->click();
            QCOMPARE(dialogs->Boxes.size(), size_t(2));
            QVERIFY2(dialogs->Boxes[0].text == dialogs->Boxes[1].text, row.button);
            dialogs->Boxes.clear();
        }
    }
};

QTEST_MAIN(PanelTest)
#include "kemlor_panel_test.moc"
