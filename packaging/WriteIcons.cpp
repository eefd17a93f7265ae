// Writes the program's icon as PNG files, one per size, for installation:
//   q64_icons OUTDIR   ->  OUTDIR/16/quorvel64.png, OUTDIR/32/quorvel64.png, ...
#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "engine/FileChange.h"
#include "resources/Pictures.h"

namespace {

bool WritePng(const QPixmap& picture, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) return false;
    std::string message;
    return q64::WriteWholeFile(path.toStdString(), bytes.toStdString(), q64::ExistingFile::Replace, message) ==
           q64::EngineResult::Ok;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: q64_icons OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = out.filePath(QString::number(size));
        if (!QDir().mkpath(folder) ||
            !WritePng(q64::pictures::IconPicture(size), QDir(folder).filePath(QStringLiteral("quorvel64.png")))) {
            std::fprintf(stderr, "q64_icons: cannot write the %d pixel icon\n", size);
            return 1;
        }
    }
    return 0;
}
