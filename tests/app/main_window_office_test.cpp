#include "app/main_window.h"
#include "office/libreoffice_application.h"
#include "support/numbered_names.h"
#include "support/office_fixture.h"
#include "support/recording_messages.h"
#include "support/window_probe.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace lotdraw;
using namespace lotdraw::testing;

namespace {

// Clicks `target` the moment `label` first shows `text` on the screen: at its paint.
class ClickWhenShown final : public QObject {
public:
    ClickWhenShown(QLabel *label, QString text, QWidget *target)
        : m_text(std::move(text))
        , m_target(target) {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint && !m_clicked && static_cast<QLabel *>(watched)->text() == m_text) {
            m_clicked = true;
            const QPointF centre = QRectF(m_target->rect()).center();
            const QPointF global = m_target->mapToGlobal(centre);
            QCoreApplication::postEvent(m_target, new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
            QCoreApplication::postEvent(m_target, new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                                  Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        }
        return false;
    }

private:
    QString m_text;
    QWidget *m_target;
    bool m_clicked = false;
};

} // namespace

// The window against a real LibreOffice: the office that ends after a command holds neither the
// window nor the program.
class MainWindowOfficeTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_fixture.cleanup(); }
    void windowIsFreeOnceTheCountShows_data();
    void windowIsFreeOnceTheCountShows();

private:
    OfficeFixture m_fixture;
    LibreOfficeApplication m_office{LibreOfficeOptions{.profileFolder = m_fixture.profileFolder()}};
};

void MainWindowOfficeTest::init() {
    // The import's probe would refuse while another office of this login runs.
    if (m_fixture.otherOfficeRuns()) {
        QSKIP(kOfficeOfThisLoginRuns);
    }
    QVERIFY(m_fixture.init());
}

void MainWindowOfficeTest::windowIsFreeOnceTheCountShows_data() {
    QTest::addColumn<QString>("format");
    QTest::newRow("xls content") << "xls";
    QTest::newRow("xlsx content") << "xlsx";
    QTest::newRow("ods content") << "ods";
}

void MainWindowOfficeTest::windowIsFreeOnceTheCountShows() {
    QFETCH(QString, format);
    makeWorkbookFromCsv(QStringLiteral("名单\n姓名\n") + numbered(QStringLiteral("名"), 12).join(u'\n'),
                        m_fixture.path(), format);
    RecordingMessages messages;
    auto window = std::make_unique<MainWindow>(MainWindow::Dependencies{messages, m_office, m_fixture.path()});
    window->show();
    auto *keep = control<QRadioButton>(*window, QStringLiteral("keepOption"));
    const ClickWhenShown operatorAtTheWindow(control<QLabel>(*window, QStringLiteral("poolCountLabel")),
                                             QStringLiteral("12可抽值"), keep);

    QTest::mouseClick(control<QPushButton>(*window, QStringLiteral("importButton")), Qt::LeftButton);

    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.shown().join(u'\n')));
    QTRY_VERIFY2(keep->isChecked(), "the click on 是 as the count showed was lost");
    // Closed right after: the office that ends in the background does not outlive the window.
    QVERIFY(window->close());
    window.reset();
    QCOMPARE(m_fixture.offices(true), QList<qint64>{});
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.shown().join(u'\n')));
}

QTEST_MAIN(MainWindowOfficeTest)
#include "main_window_office_test.moc"
