#include "browser/ScratchFile.h"

#include <cstdlib>
#include <unistd.h>

#include "engine/FileChange.h"
#include "engine/MemoryPakFile.h"
#include "engine/OperationIo.h"
#include "engine/PathNames.h"

namespace q64 {

ScratchFile::ScratchFile() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/q64-scratch-XXXXXX";
    if (::mkdtemp(pattern.data())) folder_ = pattern;
}

ScratchFile::~ScratchFile() {
    if (!file_.empty()) ::unlink(file_.c_str());
    if (!folder_.empty()) ::rmdir(folder_.c_str());
}

std::string ScratchFile::Put(const std::string& name, const std::vector<std::uint8_t>& bytes, const MessageSink& sink) {
    std::string message = messages::kOpenForWrite;
    if (!folder_.empty() && file_.empty() &&
        WriteWholeFile(JoinPath(folder_, name), bytes, ExistingFile::Refuse, message) == EngineResult::Ok)
        return file_ = JoinPath(folder_, name);
    if (sink) sink(message);
    return {};
}

std::string PlainPakPath(const std::string& path, ScratchFile& scratch, const MessageSink& sink) {
    PakFile file;
    std::string message;
    if (ReadPakFile(path, file, message) != EngineResult::Ok || !file.IsDexDrive()) return path;
    return scratch.Put("pak.mpk", file.pak, sink);
}

} // namespace q64
