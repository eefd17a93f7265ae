// q64 info: what the information panel shows, per file.

#include <cstdio>
#include <filesystem>

#include "browser/InfoPanel.h"
#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "cli/Services.h"
#include "engine/MemoryPakFile.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"
#include "engine/SaveTypeChoice.h"
#include "engine/Territory.h"

namespace q64::cli {

namespace {

const char* KindName(FileKind kind) {
    switch (kind) {
    case FileKind::None: return "not recognised";
    case FileKind::Image: return "image";
    case FileKind::CompressedImage: return "compressed image";
    case FileKind::Doctor64Bios: return "Doctor64 BIOS";
    case FileKind::IpsPatch: return "IPS patch";
    case FileKind::BpsPatch: return "BPS patch";
    case FileKind::SavRam: return "SAV RAM";
    case FileKind::TaggedSave: return "tagged save";
    case FileKind::Dx256: return "DX256";
    case FileKind::MemoryPak: return "memory pak";
    case FileKind::GameSave: return "save";
    }
    return "unknown";
}

// An image's save type, from its header or the ROM database (read once, at
// the first image whose header names none). The guess hashes the image, so
// it is made in the services module.
class SaveTypes {
public:
    SaveTypeChoice For(const std::string& path) {
        SaveTypeChoice choice;
        const CliServices* services = Services();
        if (!services) return choice;
        std::string message;
        if (services->guessSaveType(path, nullptr, {}, choice, message) != EngineResult::Ok) return choice;
        if (choice.source == SaveTypeSource::Header) return choice;
        if (!databaseRead_) {
            database_ = LoadRomDatabase(LoadSettings().RomDatabase, message);
            if (!message.empty()) std::fprintf(stderr, "q64 info: %s\n", message.c_str());
            databaseRead_ = true;
        }
        if (database_) services->guessSaveType(path, &*database_, {}, choice, message);
        return choice;
    }

private:
    std::optional<RomDatabase> database_;
    bool databaseRead_ = false;
};

const char* SourceKey(SaveTypeSource source) {
    switch (source) {
    case SaveTypeSource::Header: return "header";
    case SaveTypeSource::Database: return "database";
    case SaveTypeSource::Chosen:
    case SaveTypeSource::Unknown: break;
    }
    return "";
}

// The save's fields of the panel: an image's save type, a pak's notes and free pages.
struct SaveFields {
    std::string saveType;     // SaveTypeKey, empty when unknown or not an image
    std::string saveTypeText; // as the panel shows it, with where it came from
    const char* from = "";
    int notes = -1;
    int freePages = -1;
};

SaveFields SaveFieldsOf(const std::string& path, const RomImage& image, SaveTypes& types) {
    SaveFields f;
    if (HasImageBit(image.GetKind())) {
        const SaveTypeChoice choice = types.For(path);
        f.from = SourceKey(choice.source);
        if (*f.from) {
            f.saveType = SaveTypeKey(choice.type);
            f.saveTypeText = std::string(SaveTypeName(choice.type)) + " (from the " +
                             (choice.source == SaveTypeSource::Header ? "header)" : "ROM database)");
        }
    } else if (image.GetKind() == FileKind::MemoryPak) {
        PakFile file;
        std::string message;
        if (ReadPakFile(path, file, message) == EngineResult::Ok) {
            const PakReport report = InspectPak(file.pak);
            f.notes = static_cast<int>(report.notes.size());
            f.freePages = report.freePages;
        }
    }
    return f;
}

std::int64_t SizeOnDisk(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? -1 : static_cast<std::int64_t>(size);
}

void PrintJson(const std::string& path, const RomImage& image, EngineResult result, const SaveFields& save) {
    const bool ok = result == EngineResult::Ok;
    const FileKind kind = ok ? image.GetKind() : FileKind::None;
    const bool isImage = ok && HasImageBit(kind);
    const std::string format = isImage ? FormatByteOrder(image.ByteOrder()) : "";
    const std::int64_t fileSize = ok ? image.FileSize() : SizeOnDisk(path);
    std::printf("{%s,\"kind\":%d,\"title\":%s,\"cartId\":%s,\"territoryCode\":%d,\"territory\":%s,"
                "\"makerCode\":%d,\"maker\":%s,\"format\":%s,\"compressed\":%s,\"imageSize\":%lld,"
                "\"fileSize\":%lld,\"sizeMbit\":%.6g,\"saveType\":\"%s\",\"saveTypeFrom\":\"%s\",%s\"result\":%d}\n",
                JsonPathFields("path", path).c_str(), ToInt(kind), JsonText(ok ? image.Title() : "").c_str(),
                JsonText(ok ? image.CartId() : "").c_str(), ok ? image.TerritoryCode() : 0,
                JsonText(ok ? CountryName(image.TerritoryCode(), kind) : "").c_str(), ok ? image.MakerCode() : 0,
                JsonText(isImage ? MakerName(image.MakerCode()) : "").c_str(), JsonText(format).c_str(),
                isImage && image.Compressed() ? "true" : "false",
                static_cast<long long>(ok ? image.ImageSize() : (fileSize < 0 ? 0 : fileSize)),
                static_cast<long long>(fileSize < 0 ? 0 : fileSize),
                ok ? static_cast<double>(image.SizeMbit()) : 0.0, save.saveType.c_str(), save.from,
                save.notes < 0 ? ""
                               : ("\"notes\":" + std::to_string(save.notes) + ",\"freePages\":" +
                                  std::to_string(save.freePages) + ",")
                                     .c_str(),
                ToInt(result));
}

void PrintText(const std::string& path, const RomImage& image, EngineResult result, const SaveFields& save) {
    std::printf("%s\n", path.c_str());
    if (result != EngineResult::Ok) {
        std::printf("  Kind            %s (%s)\n\n", KindName(FileKind::None), ResultName(result));
        return;
    }
    const InfoPanelTexts panel = DescribeLoaded(image);
    std::printf("  Kind            %s\n", KindName(image.GetKind()));
    std::printf("  ROM Name        %s\n", image.Title().c_str());
    std::printf("  Country         %s\n", CountryName(image.TerritoryCode(), image.GetKind()).c_str());
    std::printf("  Image Size      %s\n", panel.imageSize.c_str());
    std::printf("  File Size       %s\n", panel.fileSize.c_str());
    std::printf("  Territory Code  %s\n", panel.territory.c_str());
    std::printf("  Cart ID         %s\n", panel.cartId.c_str());
    std::printf("  Manufacturer    %s\n", panel.maker.c_str());
    std::printf("  File Format     %s\n", panel.format.c_str());
    std::printf("  Compressed      %s\n", panel.compressed ? "yes" : "no");
    if (HasImageBit(image.GetKind()))
        std::printf("  Save Type       %s\n", save.saveTypeText.empty() ? "unknown" : save.saveTypeText.c_str());
    if (save.notes >= 0) std::printf("  Notes           %d\n  Free Pages      %d of 123\n", save.notes, save.freePages);
    std::printf("\n");
}

} // namespace

int RunInfo(ArgParser& args) {
    const bool json = args.Flag("json");
    const std::vector<std::string> files = args.Positionals();
    const Command& self = CommandNamed("info");
    if (!args.Ok()) return UsageError(self, args.Error());
    if (files.empty()) return UsageError(self, "no FILE given");
    RomImage image;
    SaveTypes types;
    int status = 0;
    for (const std::string& path : files) {
        const EngineResult result = image.Identify(path);
        if (result != EngineResult::Ok) status = 1;
        // A file that is missing or cannot be read is said on stderr, as every
        // command says it; JSON still gives its line.
        const char* problem = ProblemReading(path, result);
        if (problem) SayAbout(self, path, problem);
        const SaveFields save = result == EngineResult::Ok ? SaveFieldsOf(path, image, types) : SaveFields{};
        if (json)
            PrintJson(path, image, result, save);
        else if (!problem)
            PrintText(path, image, result, save);
        image.Clear();
    }
    return status;
}

int RunSamples(ArgParser& args) {
    const std::vector<std::string> rest = args.Positionals();
    const Command& self = CommandNamed("samples");
    if (!args.Ok()) return UsageError(self, args.Error());
    if (rest.size() != 1) return UsageError(self, "give exactly one DIR");
    std::error_code ec;
    std::filesystem::create_directories(rest[0], ec);
    const samples::SampleSetOutcome outcome = samples::WriteNewSamples(rest[0]);
    for (const std::string& name : outcome.written) std::printf("%s/%s\n", rest[0].c_str(), name.c_str());
    for (const std::string& name : outcome.skipped)
        std::fprintf(stderr, "q64 samples: skipped %s/%s: it exists already and was left as it is\n",
                     rest[0].c_str(), name.c_str());
    if (!outcome.failed.empty()) {
        std::fprintf(stderr, "q64 samples: cannot write %s/%s\n", rest[0].c_str(), outcome.failed.c_str());
        return 1;
    }
    return 0;
}

} // namespace q64::cli
