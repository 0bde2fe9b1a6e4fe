// make_icons LOGO DIR NAME SIZE...: the application icon in the hicolor theme layout, made from
// the logo at build time so that the icon can never drift from the logo the window shows.
#include "LogoEmblem.h"

#include <QCoreApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 5) {
        std::fputs("usage: make_icons LOGO DIR NAME SIZE...\n", stderr);
        return 2;
    }
    const QImage logo(args[1]);
    if (logo.isNull()) {
        std::fprintf(stderr, "make_icons: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    const QImage emblem = LogoEmblem::extract(logo);
    if (emblem.isNull()) {
        std::fprintf(stderr, "make_icons: %s has no emblem\n", qPrintable(args[1]));
        return 1;
    }
    QList<int> sizes;
    for (const QString& s : args.mid(4)) {
        bool ok = false;
        const int n = s.toInt(&ok);
        if (!ok || n < 8 || n > 1024) {
            std::fprintf(stderr, "make_icons: bad size %s\n", qPrintable(s));
            return 2;
        }
        sizes << n;
    }
    QString error;
    if (!LogoEmblem::writeThemeIcons(emblem, args[2], args[3], sizes, &error)) {
        std::fprintf(stderr, "make_icons: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
