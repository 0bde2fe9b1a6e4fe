// `--version` of orvex, orvex-sim and orvex-flash: the version the window caption shows and the
// revision of the tree the build came from, also when that tree is not a git checkout.
#include "IdentityDecoder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Output {
    int exitCode = -1;
    QString out;
    QString err;
};

Output run(const QString& program, const QStringList& args, const QString& dir = QString()) {
    QProcess p;
    if (!dir.isEmpty()) {
        p.setWorkingDirectory(dir);
    }
    // Commits in the scratch repositories need a name, whatever the machine's git set-up.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("GIT_AUTHOR_NAME"), QStringLiteral("t"));
    env.insert(QStringLiteral("GIT_AUTHOR_EMAIL"), QStringLiteral("t@t"));
    env.insert(QStringLiteral("GIT_COMMITTER_NAME"), QStringLiteral("t"));
    env.insert(QStringLiteral("GIT_COMMITTER_EMAIL"), QStringLiteral("t@t"));
    env.insert(QStringLiteral("GIT_CONFIG_NOSYSTEM"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    Output o;
    if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit) {
        o.exitCode = p.exitCode();
    }
    o.out = QString::fromUtf8(p.readAllStandardOutput());
    o.err = QString::fromUtf8(p.readAllStandardError());
    return o;
}

// The revision the build script writes for the tree at `source`.
QString revisionFor(const QString& source, const QString& headerDir) {
    const QString header = headerDir + QStringLiteral("/OrvexBuildInfo.h");
    const Output o = run(QStringLiteral(ORVEX_CMAKE),
                         {QStringLiteral("-DSOURCE_DIR=") + source,
                          QStringLiteral("-DOUTPUT=") + header, QStringLiteral("-DVERSION=1.03"),
                          QStringLiteral("-P"), QStringLiteral(ORVEX_BUILDINFO_SCRIPT)});
    if (o.exitCode != 0) {
        return QStringLiteral("script failed: ") + o.err;
    }
    QFile f(header);
    if (!f.open(QIODevice::ReadOnly)) {
        return QStringLiteral("no header");
    }
    const QRegularExpression re(QStringLiteral("#define ORVEX_REVISION \"([^\"]*)\""));
    const QRegularExpressionMatch m = re.match(QString::fromUtf8(f.readAll()));
    return m.hasMatch() ? m.captured(1) : QStringLiteral("no revision line");
}
} // namespace

class TestVersion : public QObject {
    Q_OBJECT

private slots:
    void programsPrintTheCaptionVersionAndARevision_data();
    void programsPrintTheCaptionVersionAndARevision();
    void revisionOfACheckoutATarballAndATarballInsideACheckout();
};

void TestVersion::programsPrintTheCaptionVersionAndARevision_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("name");
    QTest::newRow("orvex") << QStringLiteral(ORVEX_BINARY) << QStringLiteral("orvex");
    QTest::newRow("orvex-sim") << QStringLiteral(ORVEX_SIM_BINARY) << QStringLiteral("orvex-sim");
    QTest::newRow("orvex-flash") << QStringLiteral(ORVEX_FLASH_BINARY)
                                 << QStringLiteral("orvex-flash");
}

void TestVersion::programsPrintTheCaptionVersionAndARevision() {
    QFETCH(QString, program);
    QFETCH(QString, name);
    // No window system needed: --version answers before anything starts.
    const Output o = run(program, {QStringLiteral("--version")});
    QCOMPARE(o.exitCode, 0);
    QVERIFY2(o.err.isEmpty(), qPrintable(o.err));
    // The caption shows " V1.03": --version must print the same number.
    const QString captionVersion =
        QString::fromLatin1(IdentityDecoder::ProgramVersion).trimmed().mid(1);
    const QRegularExpression line(QStringLiteral("^%1 (\\S+) \\(revision (\\S+)\\)\\n$").arg(name));
    const QRegularExpressionMatch m = line.match(o.out);
    QVERIFY2(m.hasMatch(), qPrintable(o.out));
    QCOMPARE(m.captured(1), captionVersion);
    QVERIFY(!m.captured(2).isEmpty());
}

void TestVersion::revisionOfACheckoutATarballAndATarballInsideACheckout() {
    const QString git = QStandardPaths::findExecutable(QStringLiteral("git"));
    if (git.isEmpty()) {
        QSKIP("git is not installed");
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString headers = dir.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(headers));

    // An unpacked tarball: no .git anywhere above (the temporary folder is outside any tree).
    const QString tarball = dir.filePath(QStringLiteral("tarball"));
    QVERIFY(QDir().mkpath(tarball));
    if (run(git, {QStringLiteral("-C"), tarball, QStringLiteral("rev-parse")}).exitCode == 0) {
        QSKIP("the temporary folder lies inside a git checkout");
    }
    QCOMPARE(revisionFor(tarball, headers), QStringLiteral("unknown"));

    // A checkout: its commit, marked when the tree has changes.
    const QString repo = dir.filePath(QStringLiteral("repo"));
    QVERIFY(QDir().mkpath(repo));
    QFile file(repo + QStringLiteral("/a.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("one\n");
    file.close();
    QCOMPARE(run(git, {QStringLiteral("init"), QStringLiteral("-q")}, repo).exitCode, 0);
    QCOMPARE(run(git, {QStringLiteral("add"), QStringLiteral("a.txt")}, repo).exitCode, 0);
    QCOMPARE(run(git,
                 {QStringLiteral("commit"), QStringLiteral("-q"), QStringLiteral("-m"),
                  QStringLiteral("one")},
                 repo)
                 .exitCode,
             0);
    const QString head =
        run(git,
            {QStringLiteral("rev-parse"), QStringLiteral("--short=12"), QStringLiteral("HEAD")},
            repo)
            .out.trimmed();
    QCOMPARE(head.size(), 12);
    QCOMPARE(revisionFor(repo, headers), head);
    QVERIFY(file.open(QIODevice::Append));
    file.write("two\n");
    file.close();
    QCOMPARE(revisionFor(repo, headers), head + QStringLiteral("-dirty"));

    // A tarball unpacked inside someone else's checkout must not take that checkout's commit.
    const QString nested = repo + QStringLiteral("/orvex-1.03");
    QVERIFY(QDir().mkpath(nested));
    QCOMPARE(revisionFor(nested, headers), QStringLiteral("unknown"));
}

QTEST_GUILESS_MAIN(TestVersion)
#include "tst_version.moc"
