#include "browser/cache/SqliteHashCache.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace q64 {

namespace {

// Bump when the table changes: an older layout is then rebuilt.
constexpr int kLayoutVersion = 1;

std::atomic<int> connectionCounter{0};

QString Q(const std::string& text) { return QString::fromStdString(text); }

void RemoveDatabaseFiles(const std::string& path) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) std::remove((path + suffix).c_str());
}

} // namespace

std::string SqliteHashCache::DefaultPath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && home[0] != '\0') {
        base = std::string(home) + "/.cache";
    } else {
        base = "/tmp";
    }
    return base + "/quorvel64/hashes.sqlite";
}

SqliteHashCache::SqliteHashCache(const std::string& path)
    : path_(path), connection_("q64-hash-cache-" + std::to_string(++connectionCounter)) {
    QDir().mkpath(QFileInfo(Q(path_)).absolutePath());
    if (!Open()) usable_ = Rebuild();
}

SqliteHashCache::~SqliteHashCache() {
    EndBatch();
    Close();
}

bool SqliteHashCache::Usable() const { return usable_; }

void SqliteHashCache::Close() {
    if (QSqlDatabase::contains(Q(connection_))) {
        {
            QSqlDatabase db = QSqlDatabase::database(Q(connection_), false);
            if (db.isOpen()) db.close();
        }
        QSqlDatabase::removeDatabase(Q(connection_));
    }
    usable_ = false;
}

bool SqliteHashCache::Open() {
    if (!QSqlDatabase::isDriverAvailable("QSQLITE")) {
        problem_ = "the SQLite driver of Qt is not installed (package libqt6sql6-sqlite)";
        return false;
    }
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", Q(connection_));
        db.setDatabaseName(Q(path_));
        // Another program holding the lock makes us wait briefly, then rebuild.
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=200");
        const bool opened = db.open();
        if (!opened) problem_ = path_ + ": " + db.lastError().text().toStdString();
        if (opened) {
            QSqlQuery q(db);
            // A damaged file fails here (or on the first query) with "not a database".
            ok = q.exec("PRAGMA user_version") && q.next();
            const int version = ok ? q.value(0).toInt() : -1;
            if (ok && version != kLayoutVersion) {
                ok = q.exec("DROP TABLE IF EXISTS hashes") &&
                     q.exec("CREATE TABLE hashes (path TEXT PRIMARY KEY, size INTEGER, mtime_ns INTEGER, "
                            "inode INTEGER, device INTEGER, is_image INTEGER, image_size INTEGER, crc32 INTEGER, "
                            "sha1 BLOB, format INTEGER, compressed INTEGER, has_checksum INTEGER, "
                            "checksum_valid INTEGER)") &&
                     q.exec(QString("PRAGMA user_version = %1").arg(kLayoutVersion));
            }
            if (ok) ok = q.exec("SELECT count(*) FROM hashes WHERE 0") && q.exec("PRAGMA quick_check(1)") && q.next() &&
                         q.value(0).toString() == "ok";
            if (!ok) problem_ = path_ + ": " + q.lastError().text().toStdString();
        }
    }
    if (!ok) {
        Close();
        return false;
    }
    usable_ = true;
    problem_.clear();
    return true;
}

bool SqliteHashCache::Rebuild() {
    Close();
    RemoveDatabaseFiles(path_);
    rebuilt_ = true;
    return Open();
}

std::optional<CachedHash> SqliteHashCache::Find(const FileStamp& stamp) {
    if (!usable_) return std::nullopt;
    QSqlDatabase db = QSqlDatabase::database(Q(connection_), false);
    QSqlQuery q(db);
    q.prepare("SELECT is_image, image_size, crc32, sha1, format, compressed, has_checksum, checksum_valid "
              "FROM hashes WHERE path = ? AND size = ? AND mtime_ns = ? AND inode = ? AND device = ?");
    q.addBindValue(Q(stamp.path));
    q.addBindValue(static_cast<qlonglong>(stamp.size));
    q.addBindValue(static_cast<qlonglong>(stamp.mtimeNs));
    q.addBindValue(static_cast<qlonglong>(stamp.inode));
    q.addBindValue(static_cast<qlonglong>(stamp.device));
    if (!q.exec() || !q.next()) return std::nullopt;
    CachedHash entry;
    entry.isImage = q.value(0).toInt() != 0;
    if (entry.isImage) {
        const QByteArray sha1 = q.value(3).toByteArray();
        const int format = q.value(4).toInt();
        if (sha1.size() != 20 || format < 0 || format > 2) return std::nullopt; // a row we did not write
        entry.hashes.size = static_cast<std::uint64_t>(q.value(1).toLongLong());
        entry.hashes.crc32 = static_cast<std::uint32_t>(q.value(2).toLongLong());
        std::copy(sha1.begin(), sha1.end(), entry.hashes.sha1.begin());
        entry.hashes.format = static_cast<ImageFormat>(format);
        entry.hashes.compressed = q.value(5).toInt() != 0;
        entry.hashes.hasChecksum = q.value(6).toInt() != 0;
        entry.hashes.checksumValid = q.value(7).toInt() != 0;
    }
    return entry;
}

void SqliteHashCache::Store(const FileStamp& stamp, const CachedHash& entry) {
    if (!usable_) return;
    QSqlDatabase db = QSqlDatabase::database(Q(connection_), false);
    QSqlQuery q(db);
    q.prepare("INSERT OR REPLACE INTO hashes VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.addBindValue(Q(stamp.path));
    q.addBindValue(static_cast<qlonglong>(stamp.size));
    q.addBindValue(static_cast<qlonglong>(stamp.mtimeNs));
    q.addBindValue(static_cast<qlonglong>(stamp.inode));
    q.addBindValue(static_cast<qlonglong>(stamp.device));
    q.addBindValue(entry.isImage ? 1 : 0);
    q.addBindValue(static_cast<qlonglong>(entry.hashes.size));
    q.addBindValue(static_cast<qlonglong>(entry.hashes.crc32));
    q.addBindValue(QByteArray(reinterpret_cast<const char*>(entry.hashes.sha1.data()), 20));
    q.addBindValue(static_cast<int>(entry.hashes.format));
    q.addBindValue(entry.hashes.compressed ? 1 : 0);
    q.addBindValue(entry.hashes.hasChecksum ? 1 : 0);
    q.addBindValue(entry.hashes.checksumValid ? 1 : 0);
    if (!q.exec()) {
        // Locked or damaged under us: start afresh; this entry is simply not remembered.
        const bool batch = inBatch_;
        inBatch_ = false;
        usable_ = Rebuild();
        if (batch) BeginBatch();
    }
}

void SqliteHashCache::BeginBatch() {
    if (!usable_ || inBatch_) return;
    QSqlDatabase db = QSqlDatabase::database(Q(connection_), false);
    inBatch_ = db.transaction();
}

void SqliteHashCache::EndBatch() {
    if (!usable_ || !inBatch_) return;
    inBatch_ = false;
    QSqlDatabase db = QSqlDatabase::database(Q(connection_), false);
    if (!db.commit()) usable_ = Rebuild();
}

} // namespace q64
