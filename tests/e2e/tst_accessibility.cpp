#include "app/applicationmanager.h"
#include "e2esession.h"
#include "network/networksettingswindow.h"
#include "network/proxyconfigurator.h"
#include "support/datarows.h"
#include "ui/aboutwindow.h"
#include "ui/changepasswordwindow.h"
#include "ui/companywindow.h"
#include "ui/credentialaccountwindow.h"
#include "ui/credentialconfidiwindow.h"
#include "ui/insertticketmessagewindow.h"
#include "ui/insertticketwindow.h"
#include "ui/loginwindow.h"
#include "ui/mainwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/positionwindow.h"
#include "ui/reportwindow.h"
#include "ui/ticketdetailwindow.h"
#include "ui/ticketwindow.h"

#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <memory>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;

/// Each window of a signed-in demo session as a screen reader or a keyboard alone meets it.
class TestAccessibility final : public E2eTest {
    Q_OBJECT
private slots:
    void initTestCase();

    void inputsCarryTheirLabel_data();
    void inputsCarryTheirLabel();
    void choicesAndPictures_data();
    void choicesAndPictures();
    void keyboardWalk_data();
    void keyboardWalk();

private:
    QWidget* window(const QString& name);

    BoxCloser boxes;
};

void TestAccessibility::initTestCase()
{
    QVERIFY(startServer());
    QVERIFY(session->signInReadyUser());
    // The network settings window exists once it has been opened.
    session->application()->getProxyConfigurator()->openNetworkSettingsWindow();
    window("network")->hide();
}

QWidget* TestAccessibility::window(const QString& name)
{
    ApplicationManager* m = session->application();
    const QHash<QString, QWidget*> windows { { QStringLiteral("login"), m->getLoginWindow() },
        { QStringLiteral("account request"), m->getCredentialAccountWindow() },
        { QStringLiteral("consortium request"), m->getCredentialConfidiWindow() },
        { QStringLiteral("change password"), m->getChangePasswordWindow() },
        { QStringLiteral("companies"), m->getCompanyWindow() },
        { QStringLiteral("positions"), m->getPositionWindow() },
        { QStringLiteral("reports"), m->getReportWindow() },
        { QStringLiteral("tickets"), m->getTicketWindow() },
        { QStringLiteral("new ticket"), m->getInsertTicketWindow() },
        { QStringLiteral("new message"),
            m->getTicketWindow()->getTicketDetailWindow()->getInsertTicketMessageWindow() },
        { QStringLiteral("network"), m->getProxyConfigurator()->getSettingsWindow() },
        { QStringLiteral("about"), m->getAboutWindow() } };
    return windows.value(name);
}

void TestAccessibility::inputsCarryTheirLabel_data()
{
    QTest::addColumn<QString>("windowName");
    for (const char* name :
        { "login", "consortium request", "account request", "change password", "companies",
            "positions", "reports", "tickets", "new ticket", "new message", "network" })
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestAccessibility::inputsCarryTheirLabel()
{
    // Guards against a field a screen reader announces without its label, or with another's.
    QFETCH(QString, windowName);
    QWidget* parent = window(windowName);
    QVERIFY(parent);
    const QList<QLabel*> labels = parent->findChildren<QLabel*>();
    const auto editable = [](QWidget* widget) {
        return qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget)
            || qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QTextEdit*>(widget);
    };
    QStringList wrong;
    int fields = 0;
    for (QWidget* field : parent->findChildren<QWidget*>()) {
        // A spin or combo box announces its own line edit; opened windows are walked apart.
        if (!editable(field) || editable(field->parentWidget()) || field->window() != parent)
            continue;
        ++fields;
        const auto label = std::find_if(labels.cbegin(), labels.cend(),
            [field](QLabel* label) { return label->buddy() == field; });
        QString text = label != labels.cend() ? (*label)->text() : QString();
        // A group box names the one field it holds.
        auto* box = qobject_cast<QGroupBox*>(field->parentWidget());
        const QList<QWidget*> siblings = box
            ? box->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)
            : QList<QWidget*>();
        if (text.isEmpty() && box
            && std::count_if(siblings.cbegin(), siblings.cend(), editable) == 1)
            text = box->title();
        QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(field);
        const QString name = interface ? interface->text(QAccessible::Name) : QString();
        if (text.isEmpty() || name != QString(text).remove(QLatin1Char('&')))
            wrong << QStringLiteral("%1 \"%2\"").arg(field->objectName(), name);
    }
    QVERIFY(fields > 0);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1String(", "))));
}

void TestAccessibility::choicesAndPictures_data()
{
    addRows({ "windowName", "widget" },
        { { "proxy HTTP", "network", "httpProxyType" }, { "SOCKS v5", "network", "socksProxyType" },
            { "manual proxy", "network", "manualProxy" }, { "login logo", "login", "ostraniLogo" },
            { "about logo", "about", "qrvLogo" }, { "about small logo", "about", "ostraniLogo" } });
}

void TestAccessibility::choicesAndPictures()
{
    // Guards against a choice announced without its name or state, or a picture without words.
    QFETCH(QString, windowName);
    QFETCH(QString, widget);
    QWidget* target = window(windowName)->findChild<QWidget*>(widget);
    QVERIFY(target);
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(target);
    QVERIFY(interface);
    QVERIFY(!interface->text(QAccessible::Name).isEmpty());
    auto* button = qobject_cast<QAbstractButton*>(target);
    if (!button)
        return;
    QCOMPARE(interface->role(), QAccessible::RadioButton);
    QVERIFY(interface->state().checkable);
    QCOMPARE(bool(interface->state().checked), button->isChecked());
}

void TestAccessibility::keyboardWalk_data()
{
    QTest::addColumn<QString>("place");
    for (const char* place : { "main window", "new ticket", "new message", "network" })
        QTest::newRow(place) << QString::fromLatin1(place);
}

void TestAccessibility::keyboardWalk()
{
    // Guards against an action that only a mouse can reach.
    QFETCH(QString, place);
    ApplicationManager* application = session->application();
    MainWindow* main = application->getMainWindow();
    const auto is = [&place](const char* name) { return place == QLatin1String(name); };

    if (is("main window")) {
        // Mnemonics on the menus, a modifier on every shortcut, the bank change in a menu.
        bool bankChange = false;
        for (QAction* menu : main->menuBar()->actions()) {
            if (menu->text() != QLatin1String("?"))
                QVERIFY2(!QKeySequence::mnemonic(menu->text()).isEmpty(), qPrintable(menu->text()));
            for (QAction* action : menu->menu()->actions())
                bankChange = bankChange || action->text() == QLatin1String("Cambia banca");
        }
        QVERIFY(bankChange);
        for (QAction* action : main->findChildren<QAction*>()) {
            for (const QKeySequence& shortcut : action->shortcuts())
                QVERIFY2(shortcut[0] & Qt::KeyboardModifierMask, qPrintable(action->text()));
        }
        main->activateWindow();
        QTRY_VERIFY(main->isActiveWindow());
        QTest::keyClick(main, Qt::Key_I, Qt::ControlModifier);
        QTRY_VERIFY(application->getCompanyWindow()->isVisible());
        // Every tool bar button is reached by Tab.
        application->getPositionDetailWindow()->show();
        for (QWidget* parent : std::initializer_list<QWidget*> {
                 main, application->getCompanyWindow(), application->getPositionDetailWindow() }) {
            for (QToolBar* toolbar : parent->findChildren<QToolBar*>()) {
                for (QAction* action : toolbar->actions()) {
                    QWidget* button = toolbar->widgetForAction(action);
                    if (button && !action->isSeparator())
                        QVERIFY2(button->focusPolicy() & Qt::TabFocus, qPrintable(action->text()));
                }
            }
        }
        application->getPositionDetailWindow()->hide();
        application->getCompanyWindow()->close();
    } else if (is("new ticket") || is("new message")) {
        // Tab leaves the text for the next field.
        auto* dialog = qobject_cast<QDialog*>(window(place));
        dialog->open();
        QTRY_VERIFY(dialog->isActiveWindow());
        auto* text = child<QTextEdit>(dialog, is("new ticket") ? "text" : "message");
        text->setFocus();
        QVERIFY(text->hasFocus());
        QTest::keyClick(text, Qt::Key_Tab);
        QVERIFY(!text->hasFocus());
        QVERIFY(!text->toPlainText().contains(QLatin1Char('\t')));
        dialog->reject();
    } else if (is("network")) {
        // The manual proxy chosen without a click.
        application->getProxyConfigurator()->openNetworkSettingsWindow();
        QWidget* settings = window(place);
        auto* manual = child<QAbstractButton>(settings, "manualProxy");
        child<QAbstractButton>(settings, "noProxy")->click();
        QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(manual);
        QVERIFY(interface->actionInterface());
        interface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(manual->isChecked());
        QVERIFY(child<QWidget>(settings, "proxyHostname")->isEnabled());
        QVERIFY(child<QWidget>(settings, "proxyPort")->isEnabled());
        settings->hide();
    }
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
