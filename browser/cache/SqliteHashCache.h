#pragma once
// The hash cache as an SQLite database (Qt SQL with its SQLite driver), by
// default $XDG_CACHE_HOME/quorvel64/hashes.sqlite (~/.cache when unset).
// A database that is damaged, locked by another program or of another layout
// is removed and built anew; when even that fails the cache finds nothing and
// stores nothing, and verifying goes on without it.

#include <memory>
#include <string>

#include "browser/VerifyImages.h"

namespace q64 {

class SqliteHashCache final : public HashCache {
public:
    // Opens (creating when needed) the database at `path`.
    explicit SqliteHashCache(const std::string& path);
    ~SqliteHashCache() override;
    SqliteHashCache(const SqliteHashCache&) = delete;
    SqliteHashCache& operator=(const SqliteHashCache&) = delete;

    // Where the cache lives for this user.
    static std::string DefaultPath();

    std::optional<CachedHash> Find(const FileStamp& stamp) override;
    void Store(const FileStamp& stamp, const CachedHash& entry) override;
    void BeginBatch() override;
    void EndBatch() override;

    // False when the cache could not be opened even after rebuilding it.
    bool Usable() const;
    // Why it is not usable, in words for the user (empty while it is).
    const std::string& Problem() const { return problem_; }
    // True when the database found on opening had to be rebuilt.
    bool WasRebuilt() const { return rebuilt_; }

private:
    bool Open();
    bool Rebuild();
    void Close();

    std::string path_;
    std::string connection_;
    std::string problem_;
    bool usable_ = false;
    bool rebuilt_ = false;
    bool inBatch_ = false;
};

} // namespace q64
