// The program's style hands out the platform style's pictures unchanged.
#include "app/AppStyle.h"

#include <QApplication>
#include <QStyleOption>
#include <QtTest>

class TestAppStyle : public QObject {
    Q_OBJECT

private slots:
    void overflowIconIsTheBaseStyles_data() {
        QTest::addColumn<Qt::LayoutDirection>("direction");
        QTest::newRow("left to right") << Qt::LeftToRight;
        QTest::newRow("right to left") << Qt::RightToLeft;
    }

    void overflowIconIsTheBaseStyles() {
        QFETCH(Qt::LayoutDirection, direction);
        AppStyle mine;
        QStyleOption option;
        option.direction = direction;
        QGuiApplication::setLayoutDirection(direction);
        for (const QStyleOption* given : {static_cast<const QStyleOption*>(nullptr),
                                          static_cast<const QStyleOption*>(&option)}) {
            const QIcon ours =
                mine.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton, given, nullptr);
            const QIcon base = QApplication::style()->standardIcon(
                QStyle::SP_ToolBarHorizontalExtensionButton, given, nullptr);
            QVERIFY(!ours.isNull());
            QCOMPARE(ours.availableSizes(), base.availableSizes());
            for (const int size : {8, 12, 16, 24, 32, 48})
                QCOMPARE(ours.pixmap(size).toImage(), base.pixmap(size).toImage());
        }
        QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    }

    void otherIconsAreTheBaseStyles() {
        AppStyle mine;
        for (const auto which : {QStyle::SP_MessageBoxCritical, QStyle::SP_DialogOkButton}) {
            const QIcon ours = mine.standardIcon(which, nullptr, nullptr);
            const QIcon base = QApplication::style()->standardIcon(which, nullptr, nullptr);
            QCOMPARE(ours.pixmap(32).toImage(), base.pixmap(32).toImage());
        }
    }
};

QTEST_MAIN(TestAppStyle)
#include "tst_appstyle.moc"
