#include "ui/about.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void layoutAndTexts();
    void windowFlags();
    void okHidesAndShowsAgain();
};

void TestAbout::layoutAndTexts()
{
    About about;
    auto *label = about.findChild<QLabel *>("label");
    auto *ok = about.findChild<QPushButton *>("pushButton");
    QVERIFY(label && ok);

    QCOMPARE(about.objectName(), QString("About"));
    QCOMPARE(about.windowTitle(), QString("About"));
    QCOMPARE(about.size(), QSize(350, 250));
    QCOMPARE(ok->geometry(), QRect(270, 220, 75, 23));
    QCOMPARE(ok->text(), QString("OK"));
    QCOMPARE(label->geometry(), QRect(10, 10, 331, 201));
    QVERIFY(label->openExternalLinks());

    const QString html = label->text();
    QVERIFY(html.contains("<head/>"));
    QCOMPARE(html.count("<p align=\"center\">"), 6);
    for (const char *text :
         {"Orvane Finder", "Anwendung zum finden von Orvane Hardware in Netzwerken",
          "Release: 0.0.1<br/>Datum: 18.02.2014", "Orvane Software Downloadservice"})
        QVERIFY2(html.contains(QString::fromUtf8(text)), text);
    const QRegularExpressionMatch link = QRegularExpression("<a href=\"([^\"]+)\">").match(html);
    QVERIFY(link.hasMatch());
    QVERIFY2(QUrl(link.captured(1)).host().endsWith(".example"), qPrintable(link.captured(1)));
}

void TestAbout::windowFlags()
{
    About about;

    QVERIFY(!(about.windowFlags() & Qt::WindowContextHelpButtonHint));
    QVERIFY(!(about.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(about.windowFlags() & Qt::CustomizeWindowHint);
    QCOMPARE(about.minimumSize(), QSize(350, 250));
    QCOMPARE(about.maximumSize(), QSize(350, 250));
}

void TestAbout::okHidesAndShowsAgain()
{
    About about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    QTest::mouseClick(about.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
    QVERIFY(!about.isVisible());
    about.show();
    QVERIFY(about.isVisible());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
