// The user's own folders when HOME is unset: taken from the passwd entry, or, without one,
// nothing of the user's is stored for the run (never /.config or /.local/share).
#include "PersistedSettings.h"
#include "UserHome.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString passwdHome;
QString fakePasswdHome() {
    return passwdHome;
}

} // namespace

class UserHomeTest : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void init() {
        UserHome::setPasswdHomeLookup(&fakePasswdHome);
        passwdHome = home.path();
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
    }
    void cleanup() { UserHome::setPasswdHomeLookup(nullptr); }

    void anUnsetHomeIsTheOneOfThePasswdEntry_data() {
        QTest::addColumn<bool>("unset"); // else set but empty
        QTest::newRow("HOME unset") << true;
        QTest::newRow("HOME empty") << false;
    }
    void anUnsetHomeIsTheOneOfThePasswdEntry() {
        QFETCH(bool, unset);
        unset ? qunsetenv("HOME") : qputenv("HOME", "");
        QVERIFY(UserHome::prepare());
        QCOMPARE(qEnvironmentVariable("HOME"), home.path());
        QCOMPARE(UserHome::writableLocation(QStandardPaths::GenericConfigLocation),
                 home.path() + "/.config");
        QCOMPARE(UserHome::writableLocation(QStandardPaths::GenericDataLocation),
                 home.path() + "/.local/share");
    }

    void aHomeThatIsSetStays() {
        QTemporaryDir own;
        qputenv("HOME", QFile::encodeName(own.path()));
        QVERIFY(UserHome::prepare());
        QCOMPARE(qEnvironmentVariable("HOME"), own.path());
    }

    void withoutAHomeOnlyAnXdgFolderIsTheUsers_data() {
        QTest::addColumn<QString>("passwd");
        QTest::newRow("no passwd home") << QString();
        QTest::newRow("the root folder") << QStringLiteral("/");
        QTest::newRow("a folder that does not exist") << QStringLiteral("/nonexistent/orvex");
    }
    void withoutAHomeOnlyAnXdgFolderIsTheUsers() {
        QFETCH(QString, passwd);
        passwdHome = passwd;
        qunsetenv("HOME");
        QVERIFY(!UserHome::prepare());
        QVERIFY(qEnvironmentVariableIsEmpty("HOME"));
        QCOMPARE(UserHome::writableLocation(QStandardPaths::GenericConfigLocation), QString());
        QCOMPARE(UserHome::writableLocation(QStandardPaths::GenericDataLocation), QString());
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/data"));
        qputenv("XDG_CONFIG_HOME", "relative/config"); // not a folder the XDG rules accept
        QCOMPARE(UserHome::writableLocation(QStandardPaths::GenericDataLocation),
                 home.path() + "/data");
        QCOMPARE(UserHome::writableLocation(QStandardPaths::GenericConfigLocation), QString());
    }

    // The only test that makes QSettings look for its file (it keeps the folder it found for
    // the rest of the process): without a home nothing is written, not even into /.config.
    void settingsWithoutAHomeAreNotWritten() {
        passwdHome.clear();
        qunsetenv("HOME");
        const QString stray = QStringLiteral("/.config/Merka/Durorude.conf");
        if (QFileInfo::exists(stray)) {
            QSKIP("a settings file of an earlier run is in /.config");
        }
        QVERIFY(!UserHome::prepare());
        QVERIFY(!PersistedSettings::Storable());
        QVERIFY(!PersistedSettings::Write(7, 2));
        QVERIFY(!QFileInfo::exists(stray));
        const PersistedSettings::Values read = PersistedSettings::Read();
        QCOMPARE(read.Comm, 1);
        QCOMPARE(read.Lang, 0);
    }
};

QTEST_GUILESS_MAIN(UserHomeTest)
#include "tst_userhome.moc"
